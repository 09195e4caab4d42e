#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>

namespace documents_test {
// Writes a PDF of `pages` pages of the given size, each carrying the text "Page n", and returns
// its bytes.
QByteArray makePdf(int pages, QSizeF size = QSizeF(612, 792));
// Writes bytes into the documents folder under `name` and returns the path.
QString storeDocument(const QString& name, const QByteArray& bytes);
QByteArray readFile(const QString& path);
}  // namespace documents_test
