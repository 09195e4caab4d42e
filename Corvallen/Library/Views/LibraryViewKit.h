#pragma once

#include <QImage>
#include <QRectF>
#include <QString>

class QAbstractButton;
class QLabel;
class QPainter;
class QPushButton;
class QToolButton;
class QWidget;

// Small pieces the Library's views share: buttons with a symbol (or a short text where the icon
// theme has none), section titles, the empty-state panel and the 30:17 thumbnail drawing.
namespace LibraryViewKit {

inline constexpr double kThumbAspect = 480.0 / 272.0;

// A tool button showing the symbol, or `fallbackText` when no icon exists for it.
QToolButton* symbolButton(const QString& symbol, const QString& fallbackText, const QString& tooltip, QWidget* parent = nullptr);
// A push button with text and a symbol beside it when one exists.
QPushButton* textButton(const QString& text, const QString& symbol, QWidget* parent = nullptr);
// A caption-2 title in the secondary colour, upper-cased.
QLabel* sectionTitle(const QString& text, QWidget* parent = nullptr);
// A centred panel: symbol, title, message.
QWidget* emptyState(const QString& title, const QString& symbol, const QString& message, QWidget* parent = nullptr);
// Sets the empty state's texts (the panel made by emptyState()).
void setEmptyStateTexts(QWidget* panel, const QString& title, const QString& message);

// The rectangle of width `width` at the thumbnail ratio.
QRectF thumbRect(double width);
// Draws the image stretched to fill `rect`, nearest-neighbour, clipped to a
// rounded rectangle of `radius`; a faint placeholder when the image is null.
void drawThumbnail(QPainter& p, const QImage& image, const QRectF& rect, double radius, const QWidget* widget);

}  // namespace LibraryViewKit
