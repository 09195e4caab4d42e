// The markup files: whatever a markup file holds, reading it never crashes; laid over a
// document and saved, every page keeps as many kept annotations as it had, and the pages the
// document lacks keep theirs too.
#include "Corvallen/Documents/MarkupFile.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <poppler/qt6/poppler-qt6.h>

namespace {

const QString key = QStringLiteral("FUZZ.markup.pdf");

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::isolate();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = MarkupFile::path(key);
    QDir folder = QFileInfo(path).absoluteDir();
    folder.removeRecursively();
    QDir().mkpath(folder.absolutePath());
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(fuzz::bytes(data, size));
    }
    const auto before = MarkupFile::readMarkupFile(path);

    // A two-page document shown with the file's markup, then saved.
    MarkupDocument document;
    for (int i = 0; i < 2; ++i) {
        auto page = std::make_shared<MarkupPage>();
        page->size = QSizeF(612, 792);
        document.pages << page;
    }
    MarkupFile::loadMarkupOverlay(document, key);
    QString error;
    if (!MarkupFile::writeMarkupOverlay(document, key, &error))
        fuzz::fail("markup over a readable folder can be saved", error);

    const auto after = MarkupFile::readMarkupFile(path);
    if (after.size() != std::max<qsizetype>(2, before.size()))
        fuzz::fail("every page of the file and the document is written",
                   QString::number(before.size()) + QStringLiteral(" -> ") + QString::number(after.size()));
    for (qsizetype i = 0; i < after.size(); ++i) {
        const qsizetype had = i < before.size() ? before[i].size() : 0;
        if (after[i].size() != had)
            fuzz::fail("each page keeps its markup", QStringLiteral("page %1: %2 -> %3").arg(i).arg(had).arg(after[i].size()));
    }
    return 0;
}
