#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>

#include <optional>

// What opens one document viewer window: the stored file, the markup file the viewer loads and
// saves (a project attachment's own, or the document's library markup), and the project's name
// (empty in the library). Equal when all three are equal, so the same document opened from the
// library and from a project gets two windows.
struct DocViewerTarget {
    QString fileName;
    QString markupFileName;
    QString scopeLabel;

    // {"fileName":…,"markupFileName":…,"scopeLabel":…}
    QByteArray toJson() const;
    // All three keys as text, or nothing.
    static std::optional<DocViewerTarget> fromJson(const QByteArray& json);

    friend bool operator==(const DocViewerTarget& a, const DocViewerTarget& b)
    {
        return a.fileName == b.fileName && a.markupFileName == b.markupFileName && a.scopeLabel == b.scopeLabel;
    }
    friend bool operator!=(const DocViewerTarget& a, const DocViewerTarget& b) { return !(a == b); }
};

inline size_t qHash(const DocViewerTarget& t, size_t seed = 0)
{
    return qHashMulti(seed, t.fileName, t.markupFileName, t.scopeLabel);
}
