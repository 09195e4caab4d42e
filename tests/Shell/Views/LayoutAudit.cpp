#include "LayoutAudit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QToolButton>

namespace LayoutAudit {

namespace {

QString pathOf(const QWidget* w)
{
    QStringList parts;
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        parts.prepend(p->objectName().isEmpty() ? QString::fromLatin1(p->metaObject()->className()) : p->objectName());
        if (p->isWindow())
            break;
    }
    return parts.join(QLatin1Char('/'));
}

// Shown on screen: the widget and all its parents up to the window are visible.
bool shown(const QWidget* w, const QWidget* window)
{
    for (const QWidget* p = w; p && p != window; p = p->parentWidget())
        if (!p->isVisible())
            return false;
    return true;
}

// The longest line of a text as the widget's font draws it, mnemonic markers removed.
int textWidth(const QFontMetrics& fm, QString text, bool mnemonic)
{
    if (mnemonic) {
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        text.remove(QLatin1Char('&'));
        text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    }
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

bool isRichText(const QLabel* label)
{
    return label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
}

// Inside an item view or a scroll area's scrolled content, where the parent may be larger than
// what is seen: clipping there is the view's business.
bool insideScrolledContent(const QWidget* w, const QWidget* window)
{
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<const QAbstractItemView*>(p))
            return true;
    const QWidget* parent = w->parentWidget();
    if (!parent)
        return false;
    if (auto* area = qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()))
        return area->viewport() == parent;
    return false;
}

void checkLabel(const QLabel* label, QStringList& out)
{
    // A label that cuts its text must still have room for a few letters and the ellipsis.
    if (label->property("elidesText").toBool() && !label->text().isEmpty() &&
        label->width() + 1 < label->minimumSizeHint().width()) {
        out << QStringLiteral("%1: the label \"%2\" is squeezed to %3 px, less than its %4 px minimum")
                   .arg(pathOf(label), label->text().left(60))
                   .arg(label->width())
                   .arg(label->minimumSizeHint().width());
        return;
    }
    if (label->text().isEmpty() || label->wordWrap() || isRichText(label) || label->hasScaledContents() ||
        label->property("elidesText").toBool())
        return;
    if (!label->pixmap().isNull() || label->movie())
        return;
    const int needed = textWidth(label->fontMetrics(), label->text(), label->buddy() != nullptr) + 2 * label->margin() +
                       std::max(0, label->indent());
    const int has = label->contentsRect().width();
    if (has + 1 < needed)
        out << QStringLiteral("%1: the label \"%2\" needs %3 px and has %4")
                   .arg(pathOf(label), label->text().left(60))
                   .arg(needed)
                   .arg(has);
}

void checkButton(const QAbstractButton* button, QStringList& out)
{
    // Buttons of our own classes draw themselves; the plain ones are judged by what Qt draws.
    const bool plainTool = button->metaObject() == &QToolButton::staticMetaObject;
    if (button->text().isEmpty()) {
        auto* tool = qobject_cast<const QToolButton*>(button);
        if (plainTool && button->icon().isNull() && tool->toolButtonStyle() != Qt::ToolButtonTextOnly && !tool->arrowType())
            out << QStringLiteral("%1: a symbol button with no symbol and no text").arg(pathOf(button));
        return;
    }
    // A symbol-only tool button shows its text only when it has no symbol.
    if (auto* tool = qobject_cast<const QToolButton*>(button);
        tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
        return;
    const int text = textWidth(button->fontMetrics(), button->text(), true);
    const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    int needed = 0;
    if (qobject_cast<const QPushButton*>(button)) {
        // The style's own minimum width for text buttons is a look, not a need: count the
        // text, the symbol and the bezel's padding.
        needed = std::min(button->sizeHint().width(), text + icon + 12);
    } else {
        needed = button->sizeHint().width();
    }
    if (button->width() + 1 < needed)
        out << QStringLiteral("%1: the button \"%2\" needs %3 px and has %4")
                   .arg(pathOf(button), button->text().left(60))
                   .arg(needed)
                   .arg(button->width());
}

void checkCombo(const QComboBox* combo, QStringList& out)
{
    if (combo->isEditable() || combo->currentText().isEmpty())
        return;
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = false;
    opt.frame = combo->hasFrame();
    opt.currentText = combo->currentText();
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    const QRect arrow = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, combo);
    if (field.intersects(arrow))
        out << QStringLiteral("%1: the drop-down's arrow lies over its text").arg(pathOf(combo));
    // Very narrow fields cut even short choices.
    const int shortest = std::min(textWidth(combo->fontMetrics(), combo->currentText(), false), 40);
    if (field.width() < shortest)
        out << QStringLiteral("%1: the drop-down shows %2 px of \"%3\"").arg(pathOf(combo)).arg(field.width()).arg(combo->currentText());
}

void checkInside(const QWidget* w, const QWidget* window, QStringList& out)
{
    const QWidget* parent = w->parentWidget();
    if (!parent || w->isWindow() || insideScrolledContent(w, window))
        return;
    if (qobject_cast<const QScrollBar*>(w) || parent->inherits("QAbstractScrollArea") || w->inherits("QFocusFrame"))
        return;
    const QRect inner = parent->rect();
    const QRect g = w->geometry();
    // A pixel of rounding is no clipping.
    if (g.left() < inner.left() - 1 || g.top() < inner.top() - 1 || g.right() > inner.right() + 1 ||
        g.bottom() > inner.bottom() + 1)
        out << QStringLiteral("%1: lies outside its parent (%2,%3 %4×%5 in %6×%7)")
                   .arg(pathOf(w))
                   .arg(g.x())
                   .arg(g.y())
                   .arg(g.width())
                   .arg(g.height())
                   .arg(inner.width())
                   .arg(inner.height());
}

void checkScrollArea(const QScrollArea* area, QStringList& out)
{
    if (!area->widgetResizable() || area->property("scrollsSideways").toBool())
        return;
    if (area->horizontalScrollBar()->maximum() > 0 ||
        (area->widget() && area->widget()->width() > area->viewport()->width() + 1)) {
        // Name the narrowest-held widget that asks for more than the column has: the culprit.
        QString culprit;
        int culpritWidth = 0;
        if (QWidget* content = area->widget())
            for (QWidget* w : content->findChildren<QWidget*>())
                if (w->isVisibleTo(content) && w->minimumSizeHint().width() > area->viewport()->width() - 8 &&
                    (culprit.isEmpty() || w->minimumSizeHint().width() <= culpritWidth)) {
                    culprit = pathOf(w);
                    culpritWidth = w->minimumSizeHint().width();
                }
        out << QStringLiteral("%1: scrolls sideways (content %2 px in %3 px%4)")
                   .arg(pathOf(area))
                   .arg(area->widget() ? area->widget()->width() : 0)
                   .arg(area->viewport()->width())
                   .arg(culprit.isEmpty() ? QString() : QStringLiteral("; %1 needs %2 px").arg(culprit).arg(culpritWidth));
    }
}

}  // namespace

void settle()
{
    for (int i = 0; i < 6; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QStringList problems(QWidget* window)
{
    QStringList out;
    settle();
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (!shown(w, window) || w->window() != window)
            continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            checkLabel(label, out);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            checkButton(button, out);
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            checkCombo(combo, out);
        else if (auto* area = qobject_cast<QScrollArea*>(w))
            checkScrollArea(area, out);
        else if (auto* list = qobject_cast<QListView*>(w); list && list->horizontalScrollBar()->maximum() > 0 &&
                                                          !list->property("scrollsSideways").toBool())
            out << QStringLiteral("%1: the list scrolls sideways").arg(pathOf(list));
        checkInside(w, window, out);
    }
    return out;
}

QStringList resizeTo(QWidget* window, QSize size)
{
    window->resize(size);
    settle();
    if (window->size() != size)
        return {QStringLiteral("%1: asked for %2×%3, the window is %4×%5")
                    .arg(pathOf(window))
                    .arg(size.width())
                    .arg(size.height())
                    .arg(window->width())
                    .arg(window->height())};
    return {};
}

void screenshot(QWidget* window, const QString& name)
{
    QString folder = qEnvironmentVariable("CORVALLEN_LAYOUT_SHOTS");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/layout-screenshots");
    QDir().mkpath(folder);
    window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace LayoutAudit
