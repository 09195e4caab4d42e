#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

class ModelContext;
class Tag;

// The ten colours a new tag takes, chosen by its name.
const QStringList& tagPalette();

// The sum of the Unicode code points of a text (not bytes, not UTF-16 units), starting from 0.
qint64 unicodeScalarSum(const QString& text);

// The palette entry of a name: index unicodeScalarSum(name) modulo 10. The name is used exactly
// as given: no trimming, case folding or normalisation.
QString paletteHex(const QString& name);
QColor paletteColor(const QString& name);

// The stored tag with exactly this name (compared as stored), or a new one coloured from the
// palette, inserted into the context. Does not save: the caller saves after attaching the tag.
// A tag that exists keeps its colour.
Tag* findOrCreateTag(const QString& name, ModelContext& context);
