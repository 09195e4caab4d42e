#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSet>
#include <QSvgRenderer>
#include <QToolButton>

#include <memory>
#include <optional>

namespace {

struct Drawing {
    QString file;   // the SVG under ":/symbols/", without its extension
    QString badge;  // a second SVG drawn small over the lower right corner; empty for none
};

// The symbols of the interface and their drawings (line icons of the Lucide set, ISC licence;
// see Resources/icons/symbols/LICENSE).
const QHash<QString, Drawing>& table()
{
    static const QHash<QString, Drawing> symbols = {
        {QStringLiteral("square.grid.2x2"), {QStringLiteral("layout-grid")}},
        {QStringLiteral("photo.stack"), {QStringLiteral("images")}},
        {QStringLiteral("photo"), {QStringLiteral("image")}},
        {QStringLiteral("photo.on.rectangle"), {QStringLiteral("gallery-vertical-end")}},
        {QStringLiteral("photo.on.rectangle.angled"), {QStringLiteral("image-plus")}},
        {QStringLiteral("shippingbox"), {QStringLiteral("package")}},
        {QStringLiteral("cpu"), {QStringLiteral("cpu")}},
        {QStringLiteral("memorychip"), {QStringLiteral("memory-stick")}},
        {QStringLiteral("externaldrive"), {QStringLiteral("hard-drive")}},
        {QStringLiteral("externaldrive.badge.checkmark"), {QStringLiteral("hard-drive"), QStringLiteral("circle-check")}},
        {QStringLiteral("externaldrive.badge.plus"), {QStringLiteral("hard-drive"), QStringLiteral("circle-plus")}},
        {QStringLiteral("externaldrive.badge.xmark"), {QStringLiteral("hard-drive"), QStringLiteral("circle-x")}},
        {QStringLiteral("sdcard"), {QStringLiteral("card-sim")}},
        {QStringLiteral("folder"), {QStringLiteral("folder")}},
        {QStringLiteral("folder.badge.plus"), {QStringLiteral("folder-plus")}},
        {QStringLiteral("folder.badge.gearshape"), {QStringLiteral("folder-cog")}},
        {QStringLiteral("gearshape"), {QStringLiteral("settings")}},
        {QStringLiteral("plus"), {QStringLiteral("plus")}},
        {QStringLiteral("minus.circle"), {QStringLiteral("circle-minus")}},
        {QStringLiteral("sidebar.left"), {QStringLiteral("panel-left")}},
        {QStringLiteral("sidebar.right"), {QStringLiteral("panel-right")}},
        {QStringLiteral("trash"), {QStringLiteral("trash-2")}},
        {QStringLiteral("doc"), {QStringLiteral("file")}},
        {QStringLiteral("doc.text"), {QStringLiteral("file-text")}},
        {QStringLiteral("doc.richtext"), {QStringLiteral("file-type")}},
        {QStringLiteral("tag"), {QStringLiteral("tag")}},
        {QStringLiteral("xmark.circle.fill"), {QStringLiteral("circle-x")}},
        {QStringLiteral("checkmark.circle.fill"), {QStringLiteral("circle-check")}},
        {QStringLiteral("info.circle"), {QStringLiteral("info")}},
        {QStringLiteral("chevron.left"), {QStringLiteral("chevron-left")}},
        {QStringLiteral("chevron.right"), {QStringLiteral("chevron-right")}},
        {QStringLiteral("chevron.down"), {QStringLiteral("chevron-down")}},
        {QStringLiteral("waveform.path.ecg"), {QStringLiteral("activity")}},
        {QStringLiteral("wave.square"), {QStringLiteral("audio-waveform")}},
        {QStringLiteral("gauge.with.dots.needle.bottom.50percent"), {QStringLiteral("gauge")}},
        {QStringLiteral("camera"), {QStringLiteral("camera")}},
        {QStringLiteral("ruler"), {QStringLiteral("ruler")}},
        {QStringLiteral("exclamationmark.triangle"), {QStringLiteral("triangle-alert")}},
        {QStringLiteral("exclamationmark.octagon"), {QStringLiteral("octagon-alert")}},
        {QStringLiteral("arrow.triangle.2.circlepath"), {QStringLiteral("refresh-cw")}},
        {QStringLiteral("arrow.triangle.2.circlepath.circle"), {QStringLiteral("refresh-ccw-dot")}},
        {QStringLiteral("arrow.clockwise"), {QStringLiteral("rotate-cw")}},
        {QStringLiteral("arrow.clockwise.circle"), {QStringLiteral("archive-restore")}},
        {QStringLiteral("arrow.counterclockwise"), {QStringLiteral("rotate-ccw")}},
        {QStringLiteral("arrow.uturn.backward"), {QStringLiteral("undo-2")}},
        {QStringLiteral("arrow.up.left.and.arrow.down.right"), {QStringLiteral("maximize-2")}},
        {QStringLiteral("arrow.up.right.square"), {QStringLiteral("square-arrow-out-up-right")}},
        {QStringLiteral("arrow.up.forward.app"), {QStringLiteral("external-link")}},
        {QStringLiteral("eject"), {QStringLiteral("eject")}},
        {QStringLiteral("magnifyingglass"), {QStringLiteral("search")}},
        {QStringLiteral("plus.magnifyingglass"), {QStringLiteral("zoom-in")}},
        {QStringLiteral("minus.magnifyingglass"), {QStringLiteral("zoom-out")}},
        {QStringLiteral("brain"), {QStringLiteral("brain")}},
        {QStringLiteral("sparkles"), {QStringLiteral("sparkles")}},
        {QStringLiteral("square.and.arrow.up"), {QStringLiteral("upload")}},
        {QStringLiteral("square.and.arrow.down"), {QStringLiteral("download")}},
        {QStringLiteral("pencil"), {QStringLiteral("pencil")}},
        {QStringLiteral("pencil.tip"), {QStringLiteral("pen-tool")}},
        {QStringLiteral("pencil.and.outline"), {QStringLiteral("pencil-ruler")}},
        {QStringLiteral("highlighter"), {QStringLiteral("highlighter")}},
        {QStringLiteral("eraser"), {QStringLiteral("eraser")}},
        {QStringLiteral("cursorarrow"), {QStringLiteral("mouse-pointer-2")}},
        {QStringLiteral("hand.draw"), {QStringLiteral("hand")}},
        {QStringLiteral("note.text"), {QStringLiteral("sticky-note")}},
        {QStringLiteral("text.viewfinder"), {QStringLiteral("scan-text")}},
        {QStringLiteral("crop"), {QStringLiteral("crop")}},
        {QStringLiteral("lock"), {QStringLiteral("lock")}},
        {QStringLiteral("lock.open"), {QStringLiteral("lock-open")}},
        {QStringLiteral("globe"), {QStringLiteral("globe")}},
        {QStringLiteral("envelope"), {QStringLiteral("mail")}},
        {QStringLiteral("heart"), {QStringLiteral("heart")}},
        {QStringLiteral("slider.horizontal.3"), {QStringLiteral("sliders-horizontal")}},
        {QStringLiteral("bolt"), {QStringLiteral("zap")}},
        {QStringLiteral("cable.connector.slash"), {QStringLiteral("unplug")}},
        {QStringLiteral("building.2"), {QStringLiteral("building-2")}},
        {QStringLiteral("mappin.and.ellipse"), {QStringLiteral("map-pin")}},
        {QStringLiteral("tray.2"), {QStringLiteral("inbox")}},
        {QStringLiteral("ellipsis.circle"), {QStringLiteral("circle-ellipsis")}},
        {QStringLiteral("cart"), {QStringLiteral("shopping-cart")}},
        {QStringLiteral("checklist"), {QStringLiteral("list-checks")}},
        {QStringLiteral("icloud"), {QStringLiteral("cloud")}},
        {QStringLiteral("books.vertical"), {QStringLiteral("library-big")}},
        {QStringLiteral("rectangle.connected.to.line.below"), {QStringLiteral("circuit-board")}},
        {QStringLiteral("wrench.and.screwdriver"), {QStringLiteral("wrench")}},
        {QStringLiteral("calendar"), {QStringLiteral("calendar")}},
        {QStringLiteral("rectangle.split.2x1"), {QStringLiteral("columns-2")}},
        {QStringLiteral("square"), {QStringLiteral("square")}},
        {QStringLiteral("rectangle"), {QStringLiteral("rectangle-horizontal")}},
    };
    return symbols;
}

// Pixmaps drawn in the text colour of the moment, by cache key, so a label showing one can have
// it drawn again when the palette changes (see followPalette). Bounded: the oldest are dropped.
struct DrawnPixmap {
    QString name;
    QSize size;
    QIcon::Mode mode;
};
QHash<qint64, DrawnPixmap>& drawnPixmaps()
{
    static QHash<qint64, DrawnPixmap> drawn;
    return drawn;
}
QList<qint64>& drawnOrder()
{
    static QList<qint64> order;
    return order;
}
void rememberDrawn(const QPixmap& pixmap, const QString& name, QIcon::Mode mode)
{
    constexpr qsizetype kept = 4096;
    drawnPixmaps().insert(pixmap.cacheKey(), {name, pixmap.size(), mode});
    drawnOrder().append(pixmap.cacheKey());
    if (drawnOrder().size() > kept)
        drawnPixmaps().remove(drawnOrder().takeFirst());
}

QSet<QString>& missingNames()
{
    static QSet<QString> names;
    return names;
}

// The SVG text of a drawing with its colour left open ("currentColor"), read once.
QByteArray svgSource(const QString& file)
{
    static QHash<QString, QByteArray> cache;
    auto it = cache.constFind(file);
    if (it == cache.constEnd()) {
        QFile in(QStringLiteral(":/symbols/") + file + QStringLiteral(".svg"));
        it = cache.insert(file, in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray());
    }
    return *it;
}

void renderSvg(QPainter& p, const QString& file, const QColor& color, const QRectF& box)
{
    QByteArray svg = svgSource(file);
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return;
    p.save();
    p.setOpacity(p.opacity() * color.alphaF());
    renderer.render(&p, box);
    p.restore();
}

// Draws the symbol at any size in the colour of the moment (the palette's text colour unless
// tinted; the highlighted-text colour when selected; faded when disabled).
class SymbolEngine : public QIconEngine {
public:
    SymbolEngine(QString name, Drawing drawing, std::optional<QColor> tint)
        : m_name(std::move(name)), m_drawing(std::move(drawing)), m_tint(std::move(tint))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        // Drawn apart first: a badge clears part of the drawing beneath it, never what lies behind.
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QImage image(rect.size() * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        render(image, rect.size(), mode);
        painter->drawImage(rect, image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        render(image, size, mode);
        QPixmap pixmap = QPixmap::fromImage(image);
        if (!m_tint)
            rememberDrawn(pixmap, m_name, mode);
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new SymbolEngine(m_name, m_drawing, m_tint); }
    QString key() const override { return QStringLiteral("CorvallenSymbol"); }
    QString iconName() override { return m_name; }
    bool isNull() override { return svgSource(m_drawing.file).isEmpty(); }

private:
    void render(QImage& image, const QSizeF& size, QIcon::Mode mode) const
    {
        QColor c = m_tint.value_or(QGuiApplication::palette().color(QPalette::WindowText));
        if (mode == QIcon::Selected && !m_tint)
            c = QGuiApplication::palette().color(QPalette::HighlightedText);
        if (mode == QIcon::Disabled)
            c.setAlphaF(c.alphaF() * 0.35);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal side = std::min(size.width(), size.height());
        const QRectF box((size.width() - side) / 2.0, (size.height() - side) / 2.0, side, side);
        renderSvg(p, m_drawing.file, c, box);
        if (!m_drawing.badge.isEmpty()) {
            const qreal b = side * 0.55;
            const QRectF badgeBox(box.right() - b, box.bottom() - b, b, b);
            p.save();
            p.setCompositionMode(QPainter::CompositionMode_Clear);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawEllipse(badgeBox.adjusted(-side * 0.04, -side * 0.04, side * 0.04, side * 0.04));
            p.restore();
            renderSvg(p, m_drawing.badge, c, badgeBox);
        }
    }

    QString m_name;
    Drawing m_drawing;
    std::optional<QColor> m_tint;
};

// Draws label pixmaps of untinted symbols again after a palette change.
class PaletteFollower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::PaletteChange && event->type() != QEvent::ApplicationPaletteChange)
            return false;
        auto* label = qobject_cast<QLabel*>(watched);
        if (!label)
            return false;
        const QPixmap current = label->pixmap();
        if (current.isNull())
            return false;
        const auto it = drawnPixmaps().constFind(current.cacheKey());
        if (it == drawnPixmaps().constEnd())
            return false;
        const DrawnPixmap drawn = *it;
        const qreal dpr = current.devicePixelRatio();
        QPixmap again = symbolIcon(drawn.name).pixmap(drawn.size, drawn.mode);
        again.setDevicePixelRatio(dpr);
        label->setPixmap(again);
        return false;
    }
};

QIcon makeIcon(const QString& symbolName, std::optional<QColor> tint)
{
    const QString name = SymbolIcons::resolve(symbolName);
    if (name.isEmpty()) {
        if (!symbolName.isEmpty())
            missingNames().insert(symbolName);
        return {};
    }
    return QIcon(new SymbolEngine(name, table().value(name), std::move(tint)));
}

}  // namespace

QIcon symbolIcon(const QString& symbolName) { return makeIcon(symbolName, std::nullopt); }

QIcon symbolIcon(const QString& symbolName, const QColor& tint)
{
    return makeIcon(symbolName, tint.isValid() ? std::optional<QColor>(tint) : std::nullopt);
}

void setSymbolOrText(QToolButton* button, const QString& symbolName, const QString& text)
{
    const QIcon icon = symbolIcon(symbolName);
    if (icon.isNull()) {
        button->setText(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    } else {
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
}

namespace SymbolIcons {

QString resolve(const QString& symbolName)
{
    QString name = symbolName;
    while (!name.isEmpty()) {
        if (table().contains(name))
            return name;
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0)
            break;
        name.truncate(dot);
    }
    return {};
}

QStringList knownSymbols()
{
    QStringList names = table().keys();
    names.sort();
    return names;
}

void followPalette(QApplication& app)
{
    const QString name = QStringLiteral("CorvallenSymbolPaletteFollower");
    if (app.findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* follower = new PaletteFollower(&app);
    follower->setObjectName(name);
    app.installEventFilter(follower);
}

QStringList missing()
{
    QStringList names = missingNames().values();
    names.sort();
    return names;
}

}  // namespace SymbolIcons
