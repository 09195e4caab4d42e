#include "DocumentsTestSupport.h"

#include "Corvallen/Model/DocumentFileStore.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace documents_test {

QByteArray makePdf(int pages, QSizeF size)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(size, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawText(QPointF(72, 72), QStringLiteral("Page %1").arg(i + 1));
    }
    painter.end();
    return data;
}

QString storeDocument(const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(DocumentFileStore::documentsFolder()).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace documents_test
