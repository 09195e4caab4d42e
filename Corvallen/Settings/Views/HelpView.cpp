#include "Corvallen/Settings/Views/HelpView.h"

#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Settings/HelpTopic.h"
#include "Corvallen/Settings/Views/MarkdownText.h"
#include "Corvallen/Settings/Views/SettingsStyle.h"
#include "Corvallen/Widgets/Views/SourceList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

HelpView::HelpView(const QString& selection, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HelpView"));
    setMinimumSize(720, 460);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    m_list = new QListWidget(splitter);
    m_list->setObjectName(QStringLiteral("topicList"));
    m_list->setMinimumWidth(200);
    m_list->setMaximumWidth(260);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setIconSize(QSize(18, 18));
    // Topics whose symbol the icon theme lacks keep the room of an icon, so the titles line up.
    QPixmap blank(m_list->iconSize());
    blank.fill(Qt::transparent);
    for (const HelpTopic& topic : HelpTopic::all()) {
        const QIcon icon = symbolIcon(topic.icon);
        auto* item = new QListWidgetItem(icon.isNull() ? QIcon(blank) : icon, topic.title, m_list);
        item->setData(Qt::UserRole, topic.id);
    }

    SourceList::keepCurrentSelected(m_list);
    m_detail = new QStackedWidget(splitter);
    auto* scroll = new QScrollArea(m_detail);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* page = new QWidget(scroll);
    auto* outer = new QHBoxLayout(page);
    outer->setContentsMargins(28, 28, 28, 28);
    auto* column = new QWidget(page);
    column->setMaximumWidth(640);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(16);
    m_title = SettingsStyle::label(QString(), SettingsStyle::TextStyle::largeTitle, 1, QFont::Bold, column);
    m_title->setObjectName(QStringLiteral("topicTitle"));
    m_title->setWordWrap(true);
    m_article = new MarkdownText(QString(), column);
    columnLayout->addWidget(m_title);
    columnLayout->addWidget(m_article);
    columnLayout->addStretch(1);
    outer->addWidget(column, 1);
    outer->addStretch(0);
    scroll->setWidget(page);
    m_detail->addWidget(scroll);

    m_empty = SettingsStyle::label(tr("Select a topic"), SettingsStyle::TextStyle::body, 2, QFont::Normal, m_detail);
    m_empty->setObjectName(QStringLiteral("noTopic"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_detail->addWidget(m_empty);

    splitter->addWidget(m_list);
    splitter->addWidget(m_detail);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 600});

    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        m_selection = item ? item->data(Qt::UserRole).toString() : QString();
        showSelection();
    });
    setSelection(selection);
}

void HelpView::setSelection(const QString& id)
{
    m_selection = id;
    {
        const QSignalBlocker block(m_list);
        m_list->setCurrentItem(nullptr);
        for (int i = 0; i < m_list->count(); ++i) {
            if (m_list->item(i)->data(Qt::UserRole).toString() == id) {
                m_list->setCurrentRow(i);
                break;
            }
        }
    }
    showSelection();
}

void HelpView::showSelection()
{
    const std::optional<HelpTopic> topic = HelpTopic::find(m_selection);
    if (!topic) {
        m_detail->setCurrentWidget(m_empty);
        return;
    }
    m_title->setText(topic->title);
    m_article->setMarkdown(topic->body);
    m_detail->setCurrentIndex(0);
}

QString HelpView::shownTitle() const
{
    return m_detail->currentWidget() == m_empty ? m_empty->text() : m_title->text();
}
