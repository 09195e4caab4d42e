#pragma once

// Where a chevron click moves the recent-captures strip: by `delta` positions, held between the
// first capture and the last (0 for an empty strip).
namespace CarouselIndex {

int move(int index, int delta, int count);

}  // namespace CarouselIndex
