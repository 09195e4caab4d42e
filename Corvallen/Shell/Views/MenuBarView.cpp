#include "Corvallen/Shell/Views/MenuBarView.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Shell/StatusTexts.h"
#include "Corvallen/Sync/AppModel.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Empties a layout, deleting its widgets and nested layouts (a nested layout is its own item).
void clearLayout(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QLayout* inner = item->layout())
            clearLayout(inner);
        delete item->widget();
        delete item;
    }
}

}  // namespace

MenuBarView::MenuBarView(AppModel& model, QWidget* parent)
    : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("MenuBarView"));
    setFixedWidth(260);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(6);
    auto* title = ViewStyle::label(QStringLiteral("Corvallen"), ViewStyle::TextStyle::body, QFont::Bold, false, this);
    column->addWidget(title);
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(6);
    column->addLayout(m_rows);
    connect(&m_model, &AppModel::changed, this, &MenuBarView::refresh);
    refresh();
}

QStringList MenuBarView::lines() const
{
    QStringList out;
    for (const QLabel* l : findChildren<QLabel*>())
        if (!l->text().isEmpty())
            out << l->text();
    return out;
}

void MenuBarView::refresh()
{
    clearLayout(m_rows);
    const QList<SyncLocation> connected = m_model.connectedLocations();
    if (connected.isEmpty()) {
        m_rows->addWidget(ViewStyle::label(StatusTexts::noSyncLocationConnected(), ViewStyle::TextStyle::caption,
                                            QFont::Normal, true, this));
    } else {
        for (const SyncLocation& location : connected) {
            auto* row = new QHBoxLayout;
            row->setSpacing(6);
            auto* icon = new QLabel(this);
            icon->setPixmap(symbolIcon(QStringLiteral("externaldrive.badge.checkmark")).pixmap(14, 14));
            row->addWidget(icon);
            auto* text = ViewStyle::label(StatusTexts::panelRowText(location), ViewStyle::TextStyle::caption, QFont::Normal, false, this);
            text->setTextFormat(Qt::PlainText);
            row->addWidget(text, 1);
            m_rows->addLayout(row);
        }
    }
    const QString summary = m_model.lastSyncSummary();
    if (!summary.isEmpty()) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        m_rows->addWidget(line);
        auto* text = ViewStyle::label(summary, ViewStyle::TextStyle::caption, QFont::Normal, true, this);
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        m_rows->addWidget(text);
    }
    adjustSize();
}
