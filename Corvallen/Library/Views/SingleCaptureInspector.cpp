#include "Corvallen/Library/Views/SingleCaptureInspector.h"

#include "Corvallen/Platform/Views/ThemeManager.h"

#include "Corvallen/Library/AnalyzeService.h"
#include "Corvallen/Library/CaptureEdits.h"
#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/WindowRouter.h"
#include "Corvallen/Widgets/Views/FlowLayout.h"
#include "Corvallen/Widgets/Views/TagPill.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QWidget* section(const QString& title, QWidget* control, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(4);
    l->addWidget(LibraryViewKit::sectionTitle(title, box));
    l->addWidget(control);
    return box;
}

QString number(double v)
{
    return QLocale().toString(v, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

SingleCaptureInspector::SingleCaptureInspector(ModelContext& context, std::function<void()> onDelete, QWidget* parent)
    : QScrollArea(parent)
    , m_context(context)
    , m_onDelete(std::move(onDelete))
{
    setObjectName(QStringLiteral("SingleCaptureInspector"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setSpacing(14);
    column->setContentsMargins(16, 16, 16, 16);

    m_preview = new QLabel(content);
    m_preview->setAlignment(Qt::AlignCenter);
    column->addWidget(m_preview);

    auto* open = LibraryViewKit::textButton(tr("Open in Editor Window"), QStringLiteral("pencil"), content);
    connect(open, &QPushButton::clicked, this, &SingleCaptureInspector::openInEditor);
    column->addWidget(open);

    m_name = new QLineEdit(content);
    m_name->setPlaceholderText(tr("Name"));
    ViewStyle::showStartAtRest(m_name);
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& t) {
        if (m_capture)
            m_capture->setTitle(t);
    });
    column->addWidget(section(tr("Name"), m_name, content));

    m_project = new QComboBox(content);
    connect(m_project, &QComboBox::activated, this, [this](int index) {
        if (!m_capture || m_updating)
            return;
        m_capture->setProject(static_cast<Project*>(m_project->itemData(index).value<void*>()));
    });
    column->addWidget(section(tr("Project"), m_project, content));

    auto* tags = new QWidget(content);
    auto* tagColumn = new QVBoxLayout(tags);
    tagColumn->setContentsMargins(0, 0, 0, 0);
    tagColumn->setSpacing(6);
    m_tagPills = new QWidget(tags);
    m_tagFlow = new FlowLayout(4, m_tagPills);
    tagColumn->addWidget(m_tagPills);
    auto* inputRow = new QHBoxLayout;
    m_tagInput = new QLineEdit(tags);
    m_tagInput->setPlaceholderText(tr("Add tag"));
    m_add = new QPushButton(tr("Add"), tags);
    inputRow->addWidget(m_tagInput, 1);
    inputRow->addWidget(m_add);
    tagColumn->addLayout(inputRow);
    m_suggestions = new QFrame(tags);
    m_suggestions->setObjectName(QStringLiteral("TagSuggestions"));
    m_suggestions->setStyleSheet(QStringLiteral("#TagSuggestions{background:rgba(128,128,128,40);border-radius:6px;}"));
    m_suggestionLayout = new QVBoxLayout(m_suggestions);
    m_suggestionLayout->setContentsMargins(6, 6, 6, 6);
    m_suggestionLayout->setSpacing(2);
    tagColumn->addWidget(m_suggestions);
    connect(m_tagInput, &QLineEdit::textChanged, this, [this] {
        m_add->setEnabled(CaptureEdits::canAddTag(m_tagInput->text()));
        rebuildSuggestions();
    });
    connect(m_tagInput, &QLineEdit::returnPressed, this, [this] { addTag(m_tagInput->text()); });
    connect(m_add, &QPushButton::clicked, this, [this] { addTag(m_tagInput->text()); });
    column->addWidget(section(tr("Tags"), tags, content));

    m_notes = new QPlainTextEdit(content);
    m_notes->setFixedHeight(70);
    connect(m_notes, &QPlainTextEdit::textChanged, this, [this] {
        if (m_capture && !m_updating && m_notes->toPlainText() != m_capture->notes())
            m_capture->setNotes(m_notes->toPlainText());
    });
    column->addWidget(section(tr("Notes"), m_notes, content));

    m_analyze = LibraryViewKit::textButton(tr("Analyze with On-Device Model"), QStringLiteral("sparkles"), content);
    m_analyze->setDefault(false);
    connect(m_analyze, &QPushButton::clicked, this, &SingleCaptureInspector::analyze);
    column->addWidget(m_analyze);
    m_error = new QLabel(content);
    m_error->setWordWrap(true);
    m_error->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    ThemeManager::makeRed(m_error);
    m_error->setTextFormat(Qt::PlainText);
    column->addWidget(m_error);

    m_readingBox = new QGroupBox(tr("Reading"), content);
    auto* reading = new QVBoxLayout(m_readingBox);
    reading->setSpacing(2);
    m_readingLine = new QLabel(m_readingBox);
    m_readingLine->setFont(ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold));
    m_minLine = ViewStyle::label({}, ViewStyle::TextStyle::caption, QFont::Normal, false, m_readingBox);
    m_maxLine = ViewStyle::label({}, ViewStyle::TextStyle::caption, QFont::Normal, false, m_readingBox);
    m_summaryLine = ViewStyle::label({}, ViewStyle::TextStyle::caption, QFont::Normal, true, m_readingBox);
    m_summaryLine->setWordWrap(true);
    for (QLabel* l : {m_readingLine, m_minLine, m_maxLine, m_summaryLine})
        reading->addWidget(l);
    column->addWidget(m_readingBox);

    auto* line = new QFrame(content);
    line->setFrameShape(QFrame::HLine);
    column->addWidget(line);
    auto* del = LibraryViewKit::textButton(tr("Delete Capture"), QStringLiteral("trash"), content);
    connect(del, &QPushButton::clicked, this, [this] {
        if (m_onDelete)
            m_onDelete();
    });
    column->addWidget(del);
    column->addStretch();
    setWidget(content);
    m_add->setEnabled(false);
    m_suggestions->hide();
}

void SingleCaptureInspector::setCapture(Capture* capture)
{
    m_capture = capture;
    refresh();
}

void SingleCaptureInspector::renderPreview()
{
    if (m_previewImage.isNull()) {
        m_preview->clear();
        m_preview->hide();
        return;
    }
    const int w = qMax(200, viewport()->width() - 32);
    if (!m_preview->pixmap().isNull() && m_preview->pixmap().width() == w && m_preview->isVisibleTo(this))
        return;
    QImage frame(w, int(w / LibraryViewKit::kThumbAspect), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    LibraryViewKit::drawThumbnail(p, m_previewImage, QRectF(frame.rect()), 8, this);
    p.end();
    m_preview->setPixmap(QPixmap::fromImage(frame));
    m_preview->show();
}

void SingleCaptureInspector::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    renderPreview();
}

void SingleCaptureInspector::refresh()
{
    if (!m_capture || m_capture->isDeleted())
        return;
    m_updating = true;
    // The preview is read from disk each time, not from the shared cache.
    QImageReader reader(AnalyzeService::imagePathFor(m_capture->fileName()));
    m_previewImage = reader.read();
    m_preview->clear();  // drawn again: the image may have been edited
    renderPreview();
    if (m_name->text() != m_capture->title())
        m_name->setText(m_capture->title());
    if (m_notes->toPlainText() != m_capture->notes())
        m_notes->setPlainText(m_capture->notes());
    rebuildProjects();
    rebuildTags();
    rebuildSuggestions();
    showReading();
    showAnalysisState();
    m_updating = false;
}

void SingleCaptureInspector::rebuildProjects()
{
    m_project->clear();
    m_project->addItem(tr("Unfiled"), QVariant::fromValue<void*>(nullptr));
    for (Project* p : CaptureEdits::allProjectsByName(m_context))
        m_project->addItem(p->name(), QVariant::fromValue<void*>(p));
    const int index = m_project->findData(QVariant::fromValue<void*>(m_capture->project()));
    m_project->setCurrentIndex(qMax(0, index));
}

void SingleCaptureInspector::rebuildTags()
{
    m_tagFlow->clear();
    const QList<Tag*> tags = m_capture->tags();
    for (Tag* t : tags)
        m_tagFlow->addWidget(new TagPill(t, [this, t] { removeTag(t); }, m_tagPills));
    m_tagPills->setVisible(!tags.isEmpty());
}

void SingleCaptureInspector::rebuildSuggestions()
{
    while (QLayoutItem* item = m_suggestionLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (!m_capture)
        return;
    const QList<Tag*> list = tagSuggestions();
    for (Tag* t : list) {
        auto* button = new QPushButton(m_suggestions);
        button->setFlat(true);
        button->setObjectName(QStringLiteral("Suggestion"));
        button->setAccessibleName(t->name());
        auto* row = new QHBoxLayout(button);
        row->setContentsMargins(0, 0, 0, 0);
        auto* pill = new TagPill(t, {}, button);
        pill->setAttribute(Qt::WA_TransparentForMouseEvents);
        row->addWidget(pill);
        row->addStretch();
        button->setMinimumHeight(pill->sizeHint().height() + 2);
        connect(button, &QPushButton::clicked, this, [this, t] {
            QMetaObject::invokeMethod(this, [this, t] { attach(t); }, Qt::QueuedConnection);
        });
        m_suggestionLayout->addWidget(button);
    }
    m_suggestions->setVisible(!list.isEmpty());
}

QList<Tag*> SingleCaptureInspector::tagSuggestions() const
{
    if (!m_capture)
        return {};
    return CaptureEdits::tagSuggestions(m_tagInput->text(), CaptureEdits::allTagsByName(m_context), *m_capture);
}

void SingleCaptureInspector::showReading()
{
    const auto mode = m_capture->mode();
    const auto value = m_capture->value();
    const auto unit = m_capture->unit();
    const auto summary = m_capture->summary();
    // A reading without a value (an overload) still has its mode and a summary saying why: the
    // box shows those, so the user sees "overload" rather than nothing.
    const bool full = mode && value && unit;
    const bool valueless = !value && summary;
    if (!full && !valueless) {
        m_readingBox->hide();
        return;
    }
    m_readingLine->setText(full ? *mode + QStringLiteral(": ") + number(*value) + QLatin1Char(' ') + *unit : mode.value_or(QString()));
    m_readingLine->setVisible(full || mode);
    const auto minValue = m_capture->minValue();
    const auto maxValue = m_capture->maxValue();
    m_minLine->setText(minValue ? tr("Min ") + number(*minValue) : QString());
    m_minLine->setVisible(bool(minValue));
    m_maxLine->setText(maxValue ? tr("Max ") + number(*maxValue) : QString());
    m_maxLine->setVisible(bool(maxValue));
    m_summaryLine->setText(summary.value_or(QString()));
    m_summaryLine->setVisible(bool(summary));
    m_readingBox->show();
}

void SingleCaptureInspector::showAnalysisState()
{
    m_analyze->setText(m_analyzing ? tr("Analyzing…") : tr("Analyze with On-Device Model"));
    m_analyze->setEnabled(!m_analyzing);
    m_error->setText(m_errorText);
    m_error->setVisible(!m_errorText.isEmpty());
}

void SingleCaptureInspector::openInEditor()
{
    if (!m_capture)
        return;
    if (WindowRouter* router = WindowRouter::current())
        router->openKeyed(QStringLiteral("capture-viewer"), m_capture->fileName());
}

void SingleCaptureInspector::addTag(const QString& text)
{
    if (!m_capture)
        return;
    if (!CaptureEdits::addTag(*m_capture, text, m_context))
        return;
    m_tagInput->clear();
    rebuildTags();
    rebuildSuggestions();
    Q_EMIT captureEdited();
}

void SingleCaptureInspector::attach(Tag* tag)
{
    if (!m_capture)
        return;
    CaptureEdits::attachAndSave(*m_capture, tag, m_context);
    m_tagInput->clear();
    rebuildTags();
    rebuildSuggestions();
    Q_EMIT captureEdited();
}

void SingleCaptureInspector::removeTag(Tag* tag)
{
    if (!m_capture)
        return;
    // The pill that asked is inside the flow being rebuilt: finish its click first.
    QMetaObject::invokeMethod(this, [this, tag, capture = m_capture] {
        if (capture->isDeleted())
            return;
        CaptureEdits::removeTag(*capture, tag, m_context);
        if (capture == m_capture) {
            rebuildTags();
            rebuildSuggestions();
        }
        Q_EMIT captureEdited();
    }, Qt::QueuedConnection);
}

void SingleCaptureInspector::analyze()
{
    if (!m_capture || m_analyzing)
        return;
    m_analyzing = true;
    m_errorText.clear();
    showAnalysisState();
    Capture* target = m_capture;
    QPointer<SingleCaptureInspector> self(this);
    ModelContext* context = &m_context;
    // The answer is written into the capture the analysis started on, even if this panel has
    // gone or shows another capture by then; the store's context outlives every panel.
    AnalyzeService::analyzeInBackground(AnalyzeService::imagePathFor(target->fileName()), &m_context,
                                        [self, target, context](const AnalyzeService::Outcome& outcome) {
                                            if (outcome.reading)
                                                applyReading(*outcome.reading, *target, context);
                                            if (!self)
                                                return;
                                            self->m_analyzing = false;
                                            if (!outcome.reading)
                                                self->m_errorText = outcome.errorText;
                                            if (self->m_capture == target && !target->isDeleted())
                                                self->showReading();
                                            self->showAnalysisState();
                                            Q_EMIT self->captureEdited();
                                        });
}
