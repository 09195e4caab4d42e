#include "Corvallen/Settings/Views/ChangelogView.h"

#include "Corvallen/Settings/ChangelogText.h"
#include "Corvallen/Settings/Views/MarkdownText.h"
#include "Corvallen/Settings/Views/SettingsStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

ChangelogView::ChangelogView(QWidget* parent) : ChangelogView(ChangelogText::trimmedText(), parent) {}

ChangelogView::ChangelogView(const QString& text, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ChangelogView"));
    setMinimumSize(560, 480);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(scroll);

    auto* page = new QWidget(scroll);
    auto* outer = new QHBoxLayout(page);
    outer->setContentsMargins(28, 28, 28, 28);
    auto* column = new QWidget(page);
    column->setMaximumWidth(640);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(16);
    QLabel* title = SettingsStyle::label(tr("Release Notes"), SettingsStyle::TextStyle::largeTitle, 1, QFont::Bold, column);
    title->setObjectName(QStringLiteral("changelogTitle"));
    stack->addWidget(title);
    m_notes = new MarkdownText(text, column);
    stack->addWidget(m_notes);
    stack->addStretch(1);
    // The column grows up to its maximum width; what is left stays empty on the right.
    outer->addWidget(column, 1);
    outer->addStretch(0);
    scroll->setWidget(page);
}
