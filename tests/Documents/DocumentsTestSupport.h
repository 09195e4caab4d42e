#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace documents_test {
// Writes a PDF of `pages` pages of the given size, each carrying the text "Page n", and returns
// its bytes.
QByteArray makePdf(int pages, QSizeF size = QSizeF(612, 792));
// A one-page PDF of 612 x 792 points turned by `rotation` degrees (/Rotate), with a black square
// in the top-left corner of the unturned page.
QByteArray makeRotatedPdf(int rotation);
// A one-page PDF whose page dictionary holds `pageEntries` (its /MediaBox and the like) and whose
// content stream is `content`.
QByteArray makeOnePagePdf(const QByteArray& pageEntries, const QByteArray& content);
// A PDF of these objects, numbered from 1 in order; object 1 is the catalog.
QByteArray pdfOfObjects(const QList<QByteArray>& objects);
// Writes bytes into the documents folder under `name` and returns the path.
QString storeDocument(const QString& name, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// A gray PNG whose header claims this size, with almost no picture data after it.
QByteArray pngClaiming(QSize size);
}  // namespace documents_test
