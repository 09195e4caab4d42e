#include "Corvallen/Library/ImageEditSession.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/HexColor.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Sync/DeviceStorage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr double kDefaultAspect = 480.0 / 272.0;

QPointF clamped(const QPointF& location, const QSizeF& size)
{
    const double x = size.width() > 0 ? location.x() / size.width() : 0;
    const double y = size.height() > 0 ? location.y() / size.height() : 0;
    return {qMin(qMax(x, 0.0), 1.0), qMin(qMax(y, 0.0), 1.0)};
}

// The name up to its last dot: a name that is all extension (".png") leaves nothing, so the
// copy is named after the edit alone.
QString nameBeforeLastDot(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

}  // namespace

ImageEditSession::ImageEditSession(QString fileName)
    : m_fileName(std::move(fileName))
{
}

const QStringList& ImageEditSession::palette()
{
    static const QStringList colours = {QStringLiteral("#FF3B30"), QStringLiteral("#FF9500"), QStringLiteral("#FFCC00"),
                                        QStringLiteral("#34C759"), QStringLiteral("#0A84FF"), QStringLiteral("#FFFFFF"),
                                        QStringLiteral("#000000")};
    return colours;
}

void ImageEditSession::loadBaseImage()
{
    if (hasBase() || !AppPaths::isPlainFileName(m_fileName))
        return;
    QImageReader reader(QDir(DeviceStorage::capturesFolder()).filePath(m_fileName));
    reader.setAutoTransform(true);
    m_base = reader.read();
}

void ImageEditSession::zoomOut()
{
    m_zoom = qMin(qMax(m_zoom - 0.25, 0.5), 2.0);
    m_lastZoom = m_zoom;
}

void ImageEditSession::zoomIn()
{
    m_zoom = qMin(qMax(m_zoom + 0.25, 0.5), 2.0);
    m_lastZoom = m_zoom;
}

void ImageEditSession::zoomToFit()
{
    m_zoom = 1;
    m_lastZoom = m_zoom;
}

void ImageEditSession::magnifyChanged(double magnification)
{
    m_zoom = qMin(qMax(m_lastZoom * magnification, 0.5), 2.0);
}

void ImageEditSession::magnifyEnded()
{
    m_lastZoom = m_zoom;
}

QString ImageEditSession::zoomText() const
{
    return QString::number(qint64(std::floor(m_zoom * 100 + 1e-9))) + QLatin1Char('%');
}

double ImageEditSession::aspect() const
{
    if (hasBase() && m_base.height() > 0)
        return double(m_base.width()) / double(m_base.height());
    return kDefaultAspect;
}

QSizeF ImageEditSession::fittedSize(const QSizeF& area) const
{
    const double w = area.width();
    const double h = area.height();
    if (w <= 0 || h <= 0)
        return area;
    const double a = aspect();
    if (a < w / h)
        return {h * a, h};
    return {w, w / a};
}

QRectF ImageEditSession::normalizedCropRect(const QPointF& a, const QPointF& b)
{
    const double x0 = qMax(qMin(a.x(), b.x()), 0.0);
    const double y0 = qMax(qMin(a.y(), b.y()), 0.0);
    const double x1 = qMin(qMax(a.x(), b.x()), 1.0);
    const double y1 = qMin(qMax(a.y(), b.y()), 1.0);
    return {x0, y0, x1 - x0, y1 - y0};
}

void ImageEditSession::dragChanged(const QPointF& location, const QSizeF& canvasSize)
{
    const QPointF p = clamped(location, canvasSize);
    if (m_tool == Tool::pen) {
        if (!m_live) {
            Stroke s;
            s.id = QUuid::createUuid();
            s.pts = {p};
            s.colorHex = m_penHex;
            s.width = canvasSize.width() > 0 ? m_penPts / canvasSize.width() : 0;
            m_live = s;
        } else {
            m_live->pts.append(p);
        }
    } else if (m_tool == Tool::crop) {
        if (!m_cropStart)
            m_cropStart = p;
        m_cropRect = normalizedCropRect(*m_cropStart, p);
    }
}

void ImageEditSession::dragEnded()
{
    if (m_tool == Tool::pen) {
        if (m_live) {
            m_strokes.append(*m_live);
            m_live.reset();
        }
    } else if (m_tool == Tool::crop) {
        m_cropStart.reset();
    }
}

void ImageEditSession::undoLastStroke()
{
    if (!m_strokes.isEmpty())
        m_strokes.removeLast();
}

bool ImageEditSession::applyCrop()
{
    if (!hasBase() || !m_cropRect)
        return false;
    const int pw = m_base.width();
    const int ph = m_base.height();
    const QRectF r = *m_cropRect;
    // Outward to whole pixels; a tiny epsilon keeps 0.1 × 480 = 48.000000001 from growing a pixel.
    const auto down = [](double v) { return int(std::floor(v + 1e-9)); };
    const auto up = [](double v) { return int(std::ceil(v - 1e-9)); };
    const int left = down(r.x() * pw);
    const int top = down(r.y() * ph);
    const int right = up((r.x() + r.width()) * pw);
    const int bottom = up((r.y() + r.height()) * ph);
    QRect pixels(left, top, right - left, bottom - top);
    if (pixels.width() < 1 || pixels.height() < 1)
        return false;
    pixels = pixels.intersected(m_base.rect());
    if (pixels.isEmpty())
        return false;
    const QImage cut = m_base.copy(pixels);
    if (cut.isNull())
        return false;
    m_base = cut;
    m_strokes.clear();
    m_cropRect.reset();
    m_tool = Tool::view;
    return true;
}

QByteArray ImageEditSession::renderEditedImage() const
{
    if (!hasBase())
        return {};
    const int w = m_base.width();
    const int h = m_base.height();
    QImage canvas(w, h, QImage::Format_RGBA8888_Premultiplied);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawImage(QRect(0, 0, w, h), m_base);
        for (const Stroke& s : m_strokes) {
            if (s.pts.size() < 2)
                continue;
            QPen pen(colorFromHex(s.colorHex), s.width * w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            p.setPen(pen);
            QPainterPath path(QPointF(s.pts.first().x() * w, s.pts.first().y() * h));
            for (qsizetype i = 1; i < s.pts.size(); ++i)
                path.lineTo(s.pts.at(i).x() * w, s.pts.at(i).y() * h);
            p.drawPath(path);
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!canvas.save(&buffer, "PNG"))
        return {};
    return png;
}

QString ImageEditSession::copyName(const QString& fileName, const QString& folder, const QSet<QString>& heldNames)
{
    // Copies of copies grow the name; it stays within what a file name can hold.
    const QString stem = AppPaths::clippedToBytes(nameBeforeLastDot(fileName), 200);
    const QDir dir(folder);
    QString name = stem + QStringLiteral("_edit.png");
    for (qint64 n = 2; heldNames.contains(name) || QFileInfo::exists(dir.filePath(name)); ++n)
        name = stem + QStringLiteral("_edit") + QString::number(n) + QStringLiteral(".png");
    return name;
}

void ImageEditSession::saveCopy(ModelContext& context)
{
    const QByteArray data = renderEditedImage();
    if (data.isEmpty()) {
        m_savedNote = QObject::tr("Nothing to save");
        return;
    }
    const QString folder = DeviceStorage::capturesFolder();
    QSet<QString> held;
    for (const Capture* c : context.fetch<Capture>())
        held.insert(c->fileName());
    const QString name = copyName(m_fileName, folder, held);
    // The copy must land in the captures folder itself, whatever the source name holds.
    if (!AppPaths::isPlainFileName(name)) {
        m_savedNote = QObject::tr("Save failed");
        return;
    }
    QFile file(QDir(folder).filePath(name));
    // NewOnly: a file that appeared since the name was chosen is never overwritten.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        m_savedNote = QObject::tr("Save failed");
        return;
    }
    if (file.write(data) != data.size() || !file.flush()) {
        file.close();
        file.remove();  // no half-written image left for the folder reconcile to pick up
        m_savedNote = QObject::tr("Save failed");
        return;
    }
    file.close();

    const QList<Capture*> sources =
        context.fetch<Capture>([this](const Capture* c) { return c->fileName() == m_fileName; });
    Capture* source = sources.isEmpty() ? nullptr : sources.first();
    auto* copy = new Capture(name);
    copy->setTitle((source ? source->title() : nameBeforeLastDot(m_fileName)) + QStringLiteral(" edit"));
    copy = context.insert(copy);
    copy->setProject(source ? source->project() : nullptr);
    context.save();
    m_savedNote = QObject::tr("Saved as ") + name;
}
