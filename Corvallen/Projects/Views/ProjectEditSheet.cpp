#include "Corvallen/Projects/Views/ProjectEditSheet.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/MoneyFormatter.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Widgets/Views/NumericField.h"

#include <QAbstractTextDocumentLayout>
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLabel* capsLabel(const QString& text, bool medium, QWidget* parent)
{
    auto* l = new QLabel(text.toUpper(), parent);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.8);
    if (medium)
        f.setWeight(QFont::Medium);
    l->setFont(f);
    l->setForegroundRole(QPalette::PlaceholderText);
    return l;
}

QVBoxLayout* group(QVBoxLayout* parentLayout, const QString& label, QWidget* parent)
{
    auto* g = new QVBoxLayout;
    g->setSpacing(5);
    g->addWidget(capsLabel(label, true, parent));
    parentLayout->addLayout(g);
    return g;
}

// A plain-text box that shows between `minLines` and `maxLines` lines, scrolling beyond.
void fitLines(QPlainTextEdit* edit, int minLines, int maxLines)
{
    const int line = edit->fontMetrics().lineSpacing();
    const int frame = 2 * edit->frameWidth() + int(edit->document()->documentMargin() * 2);
    auto adjust = [edit, line, frame, minLines, maxLines] {
        const int lines = std::clamp(int(edit->document()->size().height()), minLines, maxLines);
        edit->setFixedHeight(lines * line + frame);
    };
    QObject::connect(edit->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, edit, adjust);
    adjust();
}

}  // namespace

ProjectEditSheet::ProjectEditSheet(Project* project, ModelContext& context, QWidget* parent)
    : QDialog(parent), m_project(project), m_context(context)
{
    setObjectName(QStringLiteral("ProjectEditSheet"));
    setWindowTitle(tr("Edit Project"));
    setFixedWidth(460);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(16);
    stack->setSizeConstraint(QLayout::SetFixedSize);

    auto* title = new QLabel(tr("Edit Project"), this);
    QFont tf = title->font();
    tf.setBold(true);
    tf.setPointSizeF(tf.pointSizeF() * 1.4);
    title->setFont(tf);
    stack->addWidget(title);

    m_name = new QLineEdit(project->name(), this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setPlaceholderText(tr("Name"));
    group(stack, QStringLiteral("Name"), this)->addWidget(m_name);

    m_description = new QPlainTextEdit(project->details(), this);
    m_description->setObjectName(QStringLiteral("description"));
    m_description->setPlaceholderText(tr("Description"));
    m_description->setTabChangesFocus(true);
    group(stack, QStringLiteral("Description"), this)->addWidget(m_description);
    fitLines(m_description, 2, 4);

    m_notes = new QPlainTextEdit(project->notes(), this);
    m_notes->setObjectName(QStringLiteral("notes"));
    m_notes->setFixedHeight(84);
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A field of the form: Tab goes on to the labour fields instead of typing a tab.
    m_notes->setTabChangesFocus(true);
    m_notes->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid palette(mid); border-radius: 6px; padding: 6px; }"));
    group(stack, QStringLiteral("Notes"), this)->addWidget(m_notes);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    stack->addWidget(divider);

    QVBoxLayout* labour = group(stack, QStringLiteral("Labour & quote"), this);
    auto* labourRow = new QHBoxLayout;
    labourRow->setSpacing(10);
    const MoneyFormatter money;
    auto labourField = [&](const QString& label, std::optional<double> value, bool isCurrency, const QString& placeholder) {
        auto* col = new QVBoxLayout;
        col->setSpacing(4);
        col->addWidget(capsLabel(label, false, this));
        auto* field = new NumericField(value, isCurrency ? std::optional<QString>(money.symbol()) : std::nullopt, placeholder,
                                       isCurrency ? money.fractionDigits() : 2, true, this);
        col->addWidget(field);
        labourRow->addLayout(col);
        return field;
    };
    m_hours = labourField(QStringLiteral("Hours"), project->labourHours(), false, QStringLiteral("0"));
    m_hours->setObjectName(QStringLiteral("hours"));
    m_rate = labourField(QStringLiteral("Rate / h"), project->labourRate(), true, QStringLiteral("0.00"));
    m_rate->setObjectName(QStringLiteral("rate"));
    m_flat = labourField(QStringLiteral("Flat"), project->labourFlat(), true, QStringLiteral("0.00"));
    m_flat->setObjectName(QStringLiteral("flat"));
    labourRow->setAlignment(Qt::AlignBottom);
    labour->addLayout(labourRow);

    labour->addSpacing(12);
    auto* quote = new QVBoxLayout;
    quote->setSpacing(5);
    quote->addWidget(capsLabel(QStringLiteral("Quote detail"), true, this));
    auto* segments = new QHBoxLayout;
    segments->setSpacing(0);
    m_itemised = new QPushButton(tr("Itemised"), this);
    m_combined = new QPushButton(tr("Combined"), this);
    m_itemised->setObjectName(QStringLiteral("itemised"));
    m_combined->setObjectName(QStringLiteral("combined"));
    auto* quoteGroup = new QButtonGroup(this);
    for (QPushButton* b : {m_itemised, m_combined}) {
        ViewStyle::makeSegment(b);
        b->setAutoDefault(false);
        quoteGroup->addButton(b);
        segments->addWidget(b);
    }
    (project->quoteCombined() ? m_combined : m_itemised)->setChecked(true);
    segments->addStretch(1);
    quote->addLayout(segments);
    labour->addLayout(quote);

    labour->addSpacing(2);
    m_money = new QLabel(this);
    m_money->setObjectName(QStringLiteral("moneySummary"));
    m_money->setWordWrap(true);
    QFont mf = m_money->font();
    mf.setPointSizeF(mf.pointSizeF() * 0.8);
    m_money->setFont(mf);
    m_money->setForegroundRole(QPalette::PlaceholderText);
    labour->addWidget(m_money);

    stack->addSpacing(4);
    auto* buttons = new QHBoxLayout;
    auto* done = new QPushButton(tr("Done"), this);
    done->setObjectName(QStringLiteral("done"));
    done->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(done);
    stack->addLayout(buttons);

    // Every control writes straight into the project; there is nothing to cancel.
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) { m_project->setName(text); });
    connect(m_description, &QPlainTextEdit::textChanged, this, [this] {
        if (m_project->details() != m_description->toPlainText())
            m_project->setDetails(m_description->toPlainText());
    });
    connect(m_notes, &QPlainTextEdit::textChanged, this, [this] {
        if (m_project->notes() != m_notes->toPlainText())
            m_project->setNotes(m_notes->toPlainText());
    });
    connect(m_hours, &NumericField::valueEdited, this, [this](std::optional<double> v) { m_project->setLabourHours(v); });
    connect(m_rate, &NumericField::valueEdited, this, [this](std::optional<double> v) { m_project->setLabourRate(v); });
    connect(m_flat, &NumericField::valueEdited, this, [this](std::optional<double> v) { m_project->setLabourFlat(v); });
    connect(m_itemised, &QPushButton::toggled, this, [this](bool on) {
        if (on)
            m_project->setQuoteCombined(false);
    });
    connect(m_combined, &QPushButton::toggled, this, [this](bool on) {
        if (on)
            m_project->setQuoteCombined(true);
    });
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    // However the sheet closes (Done, Esc, the window's close button).
    connect(this, &QDialog::finished, this, [this] {
        if (ProjectTexts::clearBlankName(m_project))
            m_name->setText(QString());
    });
    connect(&m_context, &ModelContext::changed, this, [this] {
        if (m_refreshQueued)
            return;
        m_refreshQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_refreshQueued = false;
            refreshMoney();
        });
    });
    refreshMoney();
}

void ProjectEditSheet::done(int result)
{
    for (NumericField* field : {m_hours, m_rate, m_flat}) {
        if (!field->isReadable()) {
            field->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    QDialog::done(result);
}

QString ProjectEditSheet::marginLine() const { return m_money->text(); }

void ProjectEditSheet::refreshMoney()
{
    if (m_project->isDeleted())
        return;
    m_money->setText(ProjectTexts::marginLine(m_project, BusinessProfile::currentCurrencyCode()));
}
