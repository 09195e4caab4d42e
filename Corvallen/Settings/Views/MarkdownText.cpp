#include "Corvallen/Settings/Views/MarkdownText.h"

#include "Corvallen/Settings/Views/SettingsStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A wrapping label whose least height is one line: QLabel's own guess assumes a narrow width,
// and layouts would then keep every wrapped line that tall even when it fits on one line.
class WrappingLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override
    {
        const QSize s = QLabel::minimumSizeHint();
        return {s.width(), fontMetrics().lineSpacing()};
    }
};

}  // namespace

MarkdownText::MarkdownText(const QString& markdown, QWidget* parent) : QWidget(parent), m_markdown(markdown)
{
    setObjectName(QStringLiteral("MarkdownText"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    rebuild();
}

void MarkdownText::setMarkdown(const QString& markdown)
{
    if (markdown == m_markdown)
        return;
    m_markdown = markdown;
    rebuild();
}

void MarkdownText::rebuild()
{
    auto* column = static_cast<QVBoxLayout*>(layout());
    while (QLayoutItem* item = column->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const MarkdownBlock& block : parse(m_markdown)) {
        if (block.kind == MarkdownBlock::Kind::heading && column->count() > 0)
            column->addSpacing(6);
        column->addWidget(blockView(block, this));
    }
}

QWidget* MarkdownText::blockView(const MarkdownBlock& block, QWidget* parent)
{
    using SettingsStyle::TextStyle;
    switch (block.kind) {
    case MarkdownBlock::Kind::heading: {
        QLabel* l = block.level <= 2 ? SettingsStyle::label(block.text, TextStyle::title3, 1, QFont::Bold, parent)
                                     : SettingsStyle::label(block.text, TextStyle::headline, 1, QFont::Normal, parent);
        l->setObjectName(QStringLiteral("markdownHeading"));
        l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
        l->setProperty("level", block.level);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    }
    case MarkdownBlock::Kind::paragraph: {
        QLabel* l = inlineText(block.text, parent);
        l->setObjectName(QStringLiteral("markdownParagraph"));
        return l;
    }
    case MarkdownBlock::Kind::bullets: {
        auto* list = new QWidget(parent);
        list->setObjectName(QStringLiteral("markdownBullets"));
        auto* rows = new QVBoxLayout(list);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(6);
        list->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
        for (const QString& item : block.items) {
            auto* row = new QHBoxLayout;
            row->setSpacing(8);
            QLabel* bullet = SettingsStyle::label(QStringLiteral("\u2022"), TextStyle::body, 2, QFont::Normal, list);
            bullet->setAlignment(Qt::AlignTop | Qt::AlignLeft);
            bullet->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Maximum);
            row->addWidget(bullet, 0, Qt::AlignTop);
            QLabel* text = inlineText(item, list);
            text->setObjectName(QStringLiteral("markdownItem"));
            row->addWidget(text, 1);
            rows->addLayout(row);
        }
        return list;
    }
    }
    return new QWidget(parent);
}

QLabel* MarkdownText::inlineText(const QString& line, QWidget* parent)
{
    auto* l = new WrappingLabel(parent);
    l->setTextFormat(Qt::RichText);
    // Spaces are kept as written, like the source line.
    l->setText(QStringLiteral("<span style=\"white-space:pre-wrap\">") + MarkdownBlock::inlineHtml(line) +
               QStringLiteral("</span>"));
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setOpenExternalLinks(true);
    l->setTextInteractionFlags(Qt::TextBrowserInteraction);
    // As tall as its wrapped text at the width it gets, never stretched taller (the height
    // follows the width, as word wrapping had set).
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    policy.setHeightForWidth(true);
    l->setSizePolicy(policy);
    l->setProperty("markdownSource", line);
    return l;
}
