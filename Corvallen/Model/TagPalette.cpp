#include "Corvallen/Model/TagPalette.h"

#include "Corvallen/Model/HexColor.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContext.h"

#include <QList>

const QStringList& tagPalette()
{
    static const QStringList palette = {
        QStringLiteral("#FF6B6B"), QStringLiteral("#FF922B"), QStringLiteral("#FAB005"), QStringLiteral("#82C91E"),
        QStringLiteral("#20C997"), QStringLiteral("#4DABF7"), QStringLiteral("#5C7CFA"), QStringLiteral("#9775FA"),
        QStringLiteral("#F06595"), QStringLiteral("#E64980"),
    };
    return palette;
}

qint64 unicodeScalarSum(const QString& text)
{
    qint64 sum = 0;
    for (char32_t scalar : text.toUcs4())
        sum += qint64(scalar);
    return sum;
}

QString paletteHex(const QString& name)
{
    const QStringList& palette = tagPalette();
    return palette[qsizetype(unicodeScalarSum(name) % palette.size())];
}

QColor paletteColor(const QString& name) { return colorFromHex(paletteHex(name)); }

Tag* findOrCreateTag(const QString& name, ModelContext& context)
{
    const QList<Tag*> found = context.fetch<Tag>([&name](const Tag* t) { return t->name() == name; });
    if (!found.isEmpty())
        return found.first();
    return context.insert(new Tag(name, paletteHex(name)));
}
