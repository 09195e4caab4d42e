#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyle>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>

#include <cmath>

namespace {

struct SymbolInfo {
    QStringList themeNames;
    // For symbols without a glyph of ours: the style's icon when the theme has none either.
    QStyle::StandardPixmap styleFallback = QStyle::SP_CustomBase;
};

const QHash<QString, SymbolInfo>& symbols()
{
    static const QHash<QString, SymbolInfo> table = {
        {QStringLiteral("square.grid.2x2"), {{QStringLiteral("view-grid"), QStringLiteral("view-app-grid")}}},
        {QStringLiteral("photo.stack"), {{QStringLiteral("folder-pictures"), QStringLiteral("image-x-generic")}}},
        {QStringLiteral("photo"), {{QStringLiteral("image-x-generic")}}},
        {QStringLiteral("photo.on.rectangle"), {{QStringLiteral("image-x-generic")}}},
        {QStringLiteral("photo.on.rectangle.angled"), {{QStringLiteral("image-x-generic")}}},
        {QStringLiteral("shippingbox"), {{QStringLiteral("package-x-generic")}}},
        {QStringLiteral("cpu"), {{QStringLiteral("cpu"), QStringLiteral("hardware")}}},
        {QStringLiteral("cpu.fill"), {{QStringLiteral("cpu"), QStringLiteral("hardware")}}},
        {QStringLiteral("externaldrive"), {{QStringLiteral("drive-removable-media"), QStringLiteral("drive-harddisk")}}},
        {QStringLiteral("externaldrive.badge.checkmark"), {{QStringLiteral("drive-removable-media")}}},
        {QStringLiteral("externaldrive.badge.plus"), {{QStringLiteral("drive-removable-media")}}},
        {QStringLiteral("externaldrive.badge.xmark"), {{QStringLiteral("drive-removable-media")}}},
        {QStringLiteral("folder"), {{QStringLiteral("folder")}}},
        {QStringLiteral("folder.badge.plus"), {{QStringLiteral("folder-new")}}},
        {QStringLiteral("gearshape"), {{QStringLiteral("preferences-system"), QStringLiteral("configure")}}},
        {QStringLiteral("plus"), {{QStringLiteral("list-add")}}},
        {QStringLiteral("minus.circle"), {{QStringLiteral("list-remove")}}},
        {QStringLiteral("sidebar.left"), {{QStringLiteral("sidebar-show"), QStringLiteral("view-left-pane")}}},
        {QStringLiteral("sidebar.right"), {{QStringLiteral("sidebar-show-right"), QStringLiteral("view-right-pane")}}},
        {QStringLiteral("trash"), {{QStringLiteral("user-trash"), QStringLiteral("edit-delete")}}},
        {QStringLiteral("doc"), {{QStringLiteral("text-x-generic"), QStringLiteral("x-office-document")}}},
        {QStringLiteral("doc.text"), {{QStringLiteral("text-x-generic"), QStringLiteral("x-office-document")}}},
        {QStringLiteral("tag"), {{QStringLiteral("tag"), QStringLiteral("bookmark-new")}}},
        {QStringLiteral("xmark.circle.fill"), {{QStringLiteral("edit-clear"), QStringLiteral("window-close")}}},
        {QStringLiteral("chevron.left"), {{QStringLiteral("go-previous")}}},
        {QStringLiteral("chevron.right"), {{QStringLiteral("go-next")}}},
        {QStringLiteral("waveform.path.ecg"), {{QStringLiteral("utilities-system-monitor")}}},
        {QStringLiteral("exclamationmark.triangle"), {{QStringLiteral("dialog-warning")}}},
        {QStringLiteral("exclamationmark.octagon"), {{QStringLiteral("dialog-error")}}},
        {QStringLiteral("arrow.triangle.2.circlepath"), {{QStringLiteral("view-refresh")}}},
        {QStringLiteral("arrow.clockwise"), {{QStringLiteral("view-refresh")}}},
        {QStringLiteral("eject"), {{QStringLiteral("media-eject")}}},
        {QStringLiteral("magnifyingglass"), {{QStringLiteral("edit-find"), QStringLiteral("system-search")}}},
        {QStringLiteral("brain"), {{}}},
        {QStringLiteral("sparkles"), {{}}},
        {QStringLiteral("square.and.arrow.up"), {{QStringLiteral("document-export"), QStringLiteral("document-send")}}},
        {QStringLiteral("square.and.arrow.down"), {{QStringLiteral("document-import"), QStringLiteral("document-save")}}},
        {QStringLiteral("checkmark.circle.fill"), {{QStringLiteral("emblem-ok"), QStringLiteral("object-select")}}},
        {QStringLiteral("pencil"), {{QStringLiteral("document-edit"), QStringLiteral("edit-rename")}}},
        {QStringLiteral("lock.fill"), {{QStringLiteral("changes-prevent"), QStringLiteral("object-locked")}}},
        {QStringLiteral("globe"), {{QStringLiteral("applications-internet"), QStringLiteral("web-browser")}}},
        {QStringLiteral("envelope"), {{QStringLiteral("mail-message"), QStringLiteral("internet-mail")}}},
        {QStringLiteral("heart"), {{QStringLiteral("emblem-favorite")}}},
        {QStringLiteral("slider.horizontal.3"), {{QStringLiteral("configure"), QStringLiteral("preferences-system")}, QStyle::SP_FileDialogDetailedView}},
        {QStringLiteral("bolt.fill"), {{QStringLiteral("system-software-update")}, QStyle::SP_ArrowUp}},
        {QStringLiteral("cable.connector.slash"), {{QStringLiteral("network-offline")}, QStyle::SP_MessageBoxWarning}},
        {QStringLiteral("building.2"), {{QStringLiteral("go-home")}, QStyle::SP_DirHomeIcon}},
        {QStringLiteral("arrow.up.right.square"), {{QStringLiteral("document-open-remote"), QStringLiteral("external-link")}, QStyle::SP_ArrowForward}},
    };
    return table;
}

// Our own glyphs, drawn in a 24 × 24 box with strokes of 1.7.
class Glyph {
public:
    Glyph(QPainter& p, const QColor& c) : m_p(p), m_c(c)
    {
        QPen pen(c, 1.7);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        m_p.setPen(pen);
        m_p.setBrush(Qt::NoBrush);
    }
    void filled() { m_p.setBrush(m_c); }
    void hollow() { m_p.setBrush(Qt::NoBrush); }
    void noPen() { m_p.setPen(Qt::NoPen); }
    void line(qreal x1, qreal y1, qreal x2, qreal y2) { m_p.drawLine(QPointF(x1, y1), QPointF(x2, y2)); }
    void rect(qreal x, qreal y, qreal w, qreal h, qreal r = 2) { m_p.drawRoundedRect(QRectF(x, y, w, h), r, r); }
    void circle(qreal cx, qreal cy, qreal r) { m_p.drawEllipse(QPointF(cx, cy), r, r); }
    void poly(std::initializer_list<QPointF> pts, bool closed = false)
    {
        QPainterPath path;
        auto it = pts.begin();
        path.moveTo(*it);
        for (++it; it != pts.end(); ++it)
            path.lineTo(*it);
        if (closed)
            path.closeSubpath();
        m_p.drawPath(path);
    }
    void path(const QPainterPath& path) { m_p.drawPath(path); }
    void badge(qreal cx, qreal cy, qreal r) // a small disc that clears what lies beneath
    {
        m_p.save();
        m_p.setCompositionMode(QPainter::CompositionMode_Clear);
        m_p.setPen(Qt::NoPen);
        m_p.setBrush(Qt::black);
        m_p.drawEllipse(QPointF(cx, cy), r + 1.5, r + 1.5);
        m_p.restore();
    }
    QPainter& painter() { return m_p; }
    QColor color() const { return m_c; }

private:
    QPainter& m_p;
    QColor m_c;
};

void drawFolder(Glyph& g)
{
    g.poly({{3, 7}, {3, 5.5}, {9, 5.5}, {11, 7.5}, {21, 7.5}, {21, 19}, {3, 19}}, true);
    g.line(3, 10, 21, 10);
}

void drawDrive(Glyph& g)
{
    g.rect(3, 8, 18, 9, 2.5);
    g.filled();
    g.circle(17.5, 12.5, 1);
    g.hollow();
}

bool drawGlyph(QPainter& p, const QString& name, const QColor& color)
{
    Glyph g(p, color);
    if (name == QLatin1String("square.grid.2x2")) {
        g.rect(4, 4, 7, 7, 1.5); g.rect(13, 4, 7, 7, 1.5); g.rect(4, 13, 7, 7, 1.5); g.rect(13, 13, 7, 7, 1.5);
    } else if (name == QLatin1String("photo") || name.startsWith(QLatin1String("photo."))) {
        if (name != QLatin1String("photo"))
            g.poly({{6, 4}, {21, 4}, {21, 15}});
        g.rect(3, 7, 15, 13, 2);
        g.poly({{4, 18}, {9, 13}, {12, 16}, {14, 14}, {17, 17}});
        g.circle(13.5, 10.5, 1.3);
    } else if (name == QLatin1String("shippingbox")) {
        g.poly({{12, 3}, {20.5, 7}, {20.5, 17}, {12, 21}, {3.5, 17}, {3.5, 7}}, true);
        g.poly({{3.5, 7}, {12, 11}, {20.5, 7}});
        g.line(12, 11, 12, 21);
        g.line(7.7, 5, 16.2, 9);
    } else if (name == QLatin1String("cpu") || name == QLatin1String("cpu.fill")) {
        if (name == QLatin1String("cpu.fill"))
            g.filled();
        g.rect(6, 6, 12, 12, 2);
        g.hollow();
        g.rect(9.5, 9.5, 5, 5, 1);
        for (qreal t : {9.0, 12.0, 15.0}) {
            g.line(t, 3, t, 6); g.line(t, 18, t, 21); g.line(3, t, 6, t); g.line(18, t, 21, t);
        }
    } else if (name == QLatin1String("externaldrive")) {
        drawDrive(g);
    } else if (name.startsWith(QLatin1String("externaldrive.badge."))) {
        drawDrive(g);
        g.badge(18, 18, 4.5);
        g.circle(18, 18, 4.5);
        if (name.endsWith(QLatin1String("checkmark")))
            g.poly({{16, 18}, {17.5, 19.5}, {20, 16.5}});
        else if (name.endsWith(QLatin1String("plus"))) {
            g.line(18, 16, 18, 20); g.line(16, 18, 20, 18);
        } else {
            g.line(16.5, 16.5, 19.5, 19.5); g.line(19.5, 16.5, 16.5, 19.5);
        }
    } else if (name == QLatin1String("folder")) {
        drawFolder(g);
    } else if (name == QLatin1String("folder.badge.plus")) {
        drawFolder(g);
        g.badge(18.5, 17.5, 4.5);
        g.line(18.5, 14, 18.5, 21); g.line(15, 17.5, 22, 17.5);
    } else if (name == QLatin1String("gearshape")) {
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const qreal a = (i * M_PI) / teeth;
            const qreal r = (i % 2 == 0) ? 9.0 : 7.0;
            const QPointF pt(12 + r * std::cos(a), 12 + r * std::sin(a));
            i == 0 ? gear.moveTo(pt) : gear.lineTo(pt);
        }
        gear.closeSubpath();
        g.path(gear);
        g.circle(12, 12, 3);
    } else if (name == QLatin1String("plus")) {
        g.line(12, 4, 12, 20); g.line(4, 12, 20, 12);
    } else if (name == QLatin1String("minus.circle")) {
        g.circle(12, 12, 8.5); g.line(8, 12, 16, 12);
    } else if (name == QLatin1String("sidebar.left") || name == QLatin1String("sidebar.right")) {
        g.rect(3, 5, 18, 14, 2.5);
        const qreal x = name == QLatin1String("sidebar.left") ? 9 : 15;
        g.line(x, 5, x, 19);
    } else if (name == QLatin1String("trash")) {
        g.line(4, 6.5, 20, 6.5);
        g.poly({{9, 6.5}, {9.5, 4}, {14.5, 4}, {15, 6.5}});
        g.poly({{6, 6.5}, {7, 20}, {17, 20}, {18, 6.5}});
        g.line(10, 10, 10, 17); g.line(14, 10, 14, 17);
    } else if (name == QLatin1String("doc") || name == QLatin1String("doc.text")) {
        g.poly({{6, 3}, {14, 3}, {19, 8}, {19, 21}, {6, 21}}, true);
        g.poly({{14, 3}, {14, 8}, {19, 8}});
        if (name == QLatin1String("doc.text")) {
            g.line(9, 12, 16, 12); g.line(9, 15, 16, 15); g.line(9, 18, 14, 18);
        }
    } else if (name == QLatin1String("tag")) {
        g.poly({{3, 4}, {12, 4}, {21, 13}, {13, 21}, {3, 12}}, true);
        g.circle(8, 8.5, 1.5);
    } else if (name == QLatin1String("xmark.circle.fill") || name == QLatin1String("checkmark.circle.fill")) {
        g.filled();
        g.noPen();
        g.circle(12, 12, 10);
        QPainter& p2 = g.painter();
        p2.save();
        p2.setCompositionMode(QPainter::CompositionMode_Clear);
        QPen pen(Qt::black, 2.4);
        pen.setCapStyle(Qt::RoundCap);
        p2.setPen(pen);
        if (name.startsWith(QLatin1String("xmark"))) {
            p2.drawLine(QPointF(8, 8), QPointF(16, 16));
            p2.drawLine(QPointF(16, 8), QPointF(8, 16));
        } else {
            p2.drawPolyline(QPolygonF({QPointF(7.5, 12.5), QPointF(10.5, 15.5), QPointF(16.5, 8.5)}));
        }
        p2.restore();
    } else if (name == QLatin1String("chevron.left")) {
        g.poly({{15, 4}, {8, 12}, {15, 20}});
    } else if (name == QLatin1String("chevron.right")) {
        g.poly({{9, 4}, {16, 12}, {9, 20}});
    } else if (name == QLatin1String("waveform.path.ecg")) {
        g.poly({{2, 13}, {7, 13}, {9, 8}, {12, 19}, {15, 4}, {17, 13}, {22, 13}});
    } else if (name == QLatin1String("exclamationmark.triangle")) {
        g.poly({{12, 3}, {22, 20}, {2, 20}}, true);
        g.line(12, 9, 12, 14);
        g.filled();
        g.circle(12, 17, 0.6);
    } else if (name == QLatin1String("exclamationmark.octagon")) {
        g.poly({{8.5, 3}, {15.5, 3}, {21, 8.5}, {21, 15.5}, {15.5, 21}, {8.5, 21}, {3, 15.5}, {3, 8.5}}, true);
        g.line(12, 7.5, 12, 13.5);
        g.filled();
        g.circle(12, 16.5, 0.6);
    } else if (name == QLatin1String("arrow.triangle.2.circlepath") || name == QLatin1String("arrow.clockwise")) {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(4, 4, 16, 16), 60);
        arc.arcTo(QRectF(4, 4, 16, 16), 60, name == QLatin1String("arrow.clockwise") ? 300 : 150);
        g.path(arc);
        g.poly({{17, 3}, {17, 7.5}, {12.5, 7.5}});
        if (name != QLatin1String("arrow.clockwise")) {
            QPainterPath arc2;
            arc2.arcMoveTo(QRectF(4, 4, 16, 16), 240);
            arc2.arcTo(QRectF(4, 4, 16, 16), 240, 150);
            g.path(arc2);
            g.poly({{7, 21}, {7, 16.5}, {11.5, 16.5}});
        }
    } else if (name == QLatin1String("eject")) {
        g.poly({{12, 4}, {20, 14}, {4, 14}}, true);
        g.line(4, 19, 20, 19);
    } else if (name == QLatin1String("magnifyingglass")) {
        g.circle(10, 10, 6);
        g.line(14.5, 14.5, 20, 20);
    } else if (name == QLatin1String("brain")) {
        g.circle(9, 9, 4.5); g.circle(15, 9, 4.5); g.circle(8.5, 15, 4.5); g.circle(15.5, 15, 4.5);
        g.line(12, 5, 12, 20);
    } else if (name == QLatin1String("sparkles")) {
        const auto star = [&g](qreal cx, qreal cy, qreal r) {
            g.poly({{cx, cy - r}, {cx + r * 0.25, cy - r * 0.25}, {cx + r, cy}, {cx + r * 0.25, cy + r * 0.25},
                    {cx, cy + r}, {cx - r * 0.25, cy + r * 0.25}, {cx - r, cy}, {cx - r * 0.25, cy - r * 0.25}},
                   true);
        };
        g.filled();
        star(10, 13, 7); star(18, 6, 3.5); star(18.5, 18, 2.5);
    } else if (name == QLatin1String("square.and.arrow.up")) {
        g.poly({{8, 9}, {5, 9}, {5, 21}, {19, 21}, {19, 9}, {16, 9}});
        g.line(12, 3, 12, 15); g.poly({{8.5, 6.5}, {12, 3}, {15.5, 6.5}});
    } else if (name == QLatin1String("square.and.arrow.down")) {
        g.poly({{8, 9}, {5, 9}, {5, 21}, {19, 21}, {19, 9}, {16, 9}});
        g.line(12, 3, 12, 15); g.poly({{8.5, 11.5}, {12, 15}, {15.5, 11.5}});
    } else if (name == QLatin1String("pencil")) {
        g.poly({{4, 20}, {5, 15.5}, {16, 4.5}, {19.5, 8}, {8.5, 19}}, true);
        g.line(14, 6.5, 17.5, 10);
    } else if (name == QLatin1String("lock.fill")) {
        g.filled();
        g.rect(5, 11, 14, 10, 2);
        g.hollow();
        g.poly({{8, 11}, {8, 7.5}});
        QPainterPath shackle;
        shackle.moveTo(8, 11);
        shackle.lineTo(8, 8);
        shackle.arcTo(QRectF(8, 4, 8, 8), 180, -180);
        shackle.lineTo(16, 11);
        g.path(shackle);
    } else if (name == QLatin1String("globe")) {
        g.circle(12, 12, 9);
        g.painter().drawEllipse(QRectF(8, 3, 8, 18));
        g.line(3, 12, 21, 12);
    } else if (name == QLatin1String("envelope")) {
        g.rect(3, 6, 18, 13, 2);
        g.poly({{3.5, 7}, {12, 13.5}, {20.5, 7}});
    } else if (name == QLatin1String("heart")) {
        QPainterPath heart;
        heart.moveTo(12, 20);
        heart.cubicTo(4, 14, 2, 10, 4, 6.5);
        heart.cubicTo(6, 3.5, 10, 4, 12, 7.5);
        heart.cubicTo(14, 4, 18, 3.5, 20, 6.5);
        heart.cubicTo(22, 10, 20, 14, 12, 20);
        g.path(heart);
    } else {
        return false;
    }
    return true;
}

// Draws the glyph at any size in the colour of the moment (the palette's text colour unless
// tinted), so icons follow a theme change.
class GlyphEngine : public QIconEngine {
public:
    GlyphEngine(QString name, std::optional<QColor> tint) : m_name(std::move(name)), m_tint(std::move(tint)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        // Drawn apart first: badges and cut-outs clear parts of the glyph, never what lies behind.
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
        return QPixmap::fromImage(image);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new GlyphEngine(m_name, m_tint); }
    QString key() const override { return QStringLiteral("CorvallenGlyph"); }
    QString iconName() override { return m_name; }

private:
    void render(QImage& image, const QSize& size, QIcon::Mode mode) const
    {
        QColor c = m_tint.value_or(QGuiApplication::palette().color(QPalette::WindowText));
        if (mode == QIcon::Disabled)
            c.setAlphaF(c.alphaF() * 0.35);
        else if (mode == QIcon::Selected && !m_tint)
            c = QGuiApplication::palette().color(QPalette::HighlightedText);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal side = std::min(size.width(), size.height());
        p.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
        p.scale(side / 24.0, side / 24.0);
        drawGlyph(p, m_name, c);
    }

    QString m_name;
    std::optional<QColor> m_tint;
};

}  // namespace

QIcon symbolIcon(const QString& symbolName)
{
    const auto it = symbols().constFind(symbolName);
    if (it == symbols().constEnd())
        return {};
    for (const QString& themeName : it->themeNames) {
        if (QIcon::hasThemeIcon(themeName))
            return QIcon::fromTheme(themeName);
    }
    if (it->styleFallback != QStyle::SP_CustomBase && !SymbolIcons::hasGlyph(symbolName))
        return QApplication::style()->standardIcon(it->styleFallback);
    return QIcon(new GlyphEngine(symbolName, std::nullopt));
}

QIcon symbolIcon(const QString& symbolName, const QColor& tint)
{
    if (!SymbolIcons::hasGlyph(symbolName))
        return symbolIcon(symbolName);
    return QIcon(new GlyphEngine(symbolName, tint));
}

namespace SymbolIcons {

QStringList themeNames(const QString& symbolName) { return symbols().value(symbolName).themeNames; }

bool hasGlyph(const QString& symbolName)
{
    if (!symbols().contains(symbolName))
        return false;
    QImage probe(24, 24, QImage::Format_ARGB32_Premultiplied);
    probe.fill(Qt::transparent);
    QPainter p(&probe);
    return drawGlyph(p, symbolName, Qt::black);
}

QStringList knownSymbols()
{
    QStringList names = symbols().keys();
    names.sort();
    return names;
}

}  // namespace SymbolIcons
