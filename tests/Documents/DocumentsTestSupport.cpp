#include "DocumentsTestSupport.h"

#include "Corvallen/Model/DocumentFileStore.h"
#include "support/CraftedZip.h"

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

QByteArray pdfOfObjects(const QList<QByteArray>& objects)
{
    QByteArray out = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << out.size();
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype o : offsets)
        out += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref)
           + "\n%%EOF\n";
    return out;
}

QByteArray makeOnePagePdf(const QByteArray& pageEntries, const QByteArray& content)
{
    return pdfOfObjects({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R " + pageEntries + " /Contents 4 0 R /Resources << >> >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "endstream",
    });
}

QByteArray makeRotatedPdf(int rotation)
{
    return makeOnePagePdf("/MediaBox [0 0 612 792] /Rotate " + QByteArray::number(rotation), "0 0 0 rg 0 692 100 100 re f\n");
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

namespace {

QByteArray bigEndian(quint32 v)
{
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    return bigEndian(quint32(data.size())) + type + data + bigEndian(corvallen::test::crc32Of(type + data));
}

}  // namespace

QByteArray pngClaiming(QSize size)
{
    const QByteArray header = bigEndian(quint32(size.width())) + bigEndian(quint32(size.height())) + QByteArray("\x08\x00\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header)
           + pngChunk("IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) + pngChunk("IEND", QByteArray());
}

}  // namespace documents_test
