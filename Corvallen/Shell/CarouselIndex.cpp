#include "Corvallen/Shell/CarouselIndex.h"

#include <algorithm>

namespace CarouselIndex {

int move(int index, int delta, int count)
{
    const long long target = static_cast<long long>(index) + delta;
    const long long last = std::max(0, count - 1);
    return static_cast<int>(std::min(std::max(target, 0LL), last));
}

}  // namespace CarouselIndex
