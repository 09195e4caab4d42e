#include "Corvallen/Platform/CountedText.h"

#include <QCoreApplication>

#include <limits>

QString countedText(const char* context, const char* one, const char* many, qint64 count)
{
    if (count < std::numeric_limits<int>::min() || count > std::numeric_limits<int>::max())
        return QCoreApplication::translate(context, many).replace(QStringLiteral("%n"), QString::number(count));
    return QCoreApplication::translate(context, count == 1 ? one : many, nullptr, int(count));
}
