#include "Corvallen/Documents/Views/PDFMarkupContainer.h"

#include "Corvallen/Widgets/Views/ViewStyle.h"

#include "Corvallen/Platform/Views/ElidedLabel.h"

#include "Corvallen/Documents/MarkupFile.h"
#include "Corvallen/Documents/NoteAnnotations.h"
#include "Corvallen/Documents/Views/MarkupCanvas.h"
#include "Corvallen/Documents/Views/NoteEditorDialog.h"
#include "Corvallen/Model/DocumentFileStore.h"
#include "Corvallen/Model/HexColor.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QPointer>
#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <poppler/qt6/poppler-qt6.h>

namespace {

QIcon swatchIcon(const QString& hex, bool current, const QColor& ring)
{
    QPixmap pm(QSize(20, 20) * 2);
    pm.setDevicePixelRatio(2);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colorFromHex(hex));
    p.setPen(QPen(QColor(0, 0, 0, 60), 0.5));
    p.drawEllipse(QRectF(2, 2, 16, 16));
    if (current) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ring, 2));
        p.drawEllipse(QRectF(2, 2, 16, 16));
    }
    return QIcon(pm);
}

// A tool-row button with its symbol, or a short word where the icon theme has no such symbol.
QToolButton* toolButton(const QString& symbol, const QString& word, const QString& help, QWidget* parent)
{
    auto* b = new QToolButton(parent);
    const QIcon icon = symbolIcon(symbol);
    b->setText(word);
    b->setAccessibleName(word);
    if (icon.isNull() || icon.availableSizes().isEmpty() && icon.pixmap(16, 16).isNull()) {
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    } else {
        b->setIcon(icon);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    b->setToolTip(help);
    b->setAutoRaise(true);
    // Buttons keep their natural width; the flexible space gives way instead.
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return b;
}

}  // namespace

const QStringList& PDFMarkupContainer::palette()
{
    static const QStringList colours = {QStringLiteral("#FF3B30"), QStringLiteral("#FF9500"), QStringLiteral("#FFCC00"),
                                        QStringLiteral("#34C759"), QStringLiteral("#0A84FF"), QStringLiteral("#FFFFFF"),
                                        QStringLiteral("#000000")};
    return colours;
}

PDFMarkupContainer::PDFMarkupContainer(Source source, const QString& filePath, const QString& markupFileName, QWidget* parent)
    : QWidget(parent), m_controller(new PDFMarkupController(this))
{
    setObjectName(QStringLiteral("PDFMarkupContainer"));
    m_controller->markupFileName = markupFileName;
    m_controller->isImage = source == Source::image;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(10);

    // 1. Tools.
    auto* tools = new QWidget(bar);
    auto* toolRow = new QHBoxLayout(tools);
    toolRow->setContentsMargins(0, 0, 0, 0);
    toolRow->setSpacing(0);
    m_tools = new QButtonGroup(this);
    m_tools->setExclusive(true);
    const QList<std::tuple<MarkupMode, QString, QString>> modes = {
        {MarkupMode::pan, QStringLiteral("hand.draw"), tr("Pan")},
        {MarkupMode::select, QStringLiteral("cursorarrow"), tr("Select")},
        {MarkupMode::pen, QStringLiteral("pencil.tip"), tr("Pen")},
        {MarkupMode::eraser, QStringLiteral("eraser"), tr("Eraser")},
        {MarkupMode::note, QStringLiteral("note.text"), tr("Note")}};
    // The picker as a whole names all five; each tool names itself.
    tools->setToolTip(tr("Pan · Select text & move notes · Pen · Eraser · Note"));
    for (const auto& [mode, symbol, word] : modes) {
        auto* b = toolButton(symbol, word, mode == MarkupMode::select ? tr("Select text & move notes") : word, tools);
        ViewStyle::makeSegment(b);
        b->setAutoRaise(false);
        m_tools->addButton(b, int(mode));
        toolRow->addWidget(b);
    }
    // The picker keeps its buttons' size in a narrow window; the status text gives way instead.
    tools->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_tools->button(int(MarkupMode::pan))->setChecked(true);
    connect(m_tools, &QButtonGroup::idClicked, this, [this](int id) { m_controller->setMode(MarkupMode(id)); });
    row->addWidget(tools);

    // 2. Highlight, 3. text recognition.
    m_highlight = toolButton(QStringLiteral("highlighter"), tr("Highlight"), tr("Highlight selected text"), bar);
    m_highlight->setObjectName(QStringLiteral("highlightButton"));
    row->addWidget(m_highlight);
    if (m_controller->isImage) {
        m_ocr = toolButton(QStringLiteral("text.viewfinder"), tr("Copy Text"), tr("Copy text from image (OCR)"), bar);
        m_ocr->setObjectName(QStringLiteral("ocrButton"));
        connect(m_ocr, &QToolButton::clicked, m_controller, &PDFMarkupController::copyTextFromImage);
        row->addWidget(m_ocr);
    }

    // 4. Swatches, close together as one group.
    auto* swatches = new QWidget(bar);
    auto* swatchRow = new QHBoxLayout(swatches);
    swatchRow->setContentsMargins(0, 0, 0, 0);
    swatchRow->setSpacing(2);
    swatches->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    row->addWidget(swatches);
    for (const QString& hex : palette()) {
        auto* s = new QToolButton(swatches);
        s->setAutoRaise(true);
        s->setIconSize(QSize(20, 20));
        s->setAccessibleName(hex);
        connect(s, &QToolButton::clicked, this, [this, hex] { m_controller->setColor(hex); });
        m_swatches.append(s);
        swatchRow->addWidget(s);
    }

    // 5. Pen width.
    m_penWidth = new QSlider(Qt::Horizontal, bar);
    m_penWidth->setRange(1, 10);
    m_penWidth->setFixedWidth(80);
    m_penWidth->setValue(int(m_controller->penWidth()));
    connect(m_penWidth, &QSlider::valueChanged, this, [this](int v) { m_controller->setPenWidth(v); });
    row->addWidget(m_penWidth);

    row->addStretch(1);

    // Cut with "…" rather than pushing the tools out when a message ("Text copied…") is long.
    m_status = new ElidedLabel(QString(), bar);
    m_status->setObjectName(QStringLiteral("markupStatus"));
    QFont caption = m_status->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    m_status->setFont(caption);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(m_status);

    auto* fitButton = toolButton(QStringLiteral("arrow.up.left.and.arrow.down.right"), tr("Fit"), tr("Fit to window"), bar);
    connect(fitButton, &QToolButton::clicked, this, [this] {
        m_fitPending = true;
        fit();
    });
    row->addWidget(fitButton);
    m_undo = toolButton(QStringLiteral("arrow.uturn.backward"), tr("Undo"), tr("Undo last markup"), bar);
    m_undo->setObjectName(QStringLiteral("undoButton"));
    connect(m_undo, &QToolButton::clicked, m_controller, &PDFMarkupController::undo);
    row->addWidget(m_undo);
    m_reset = toolButton(QStringLiteral("arrow.counterclockwise"), tr("Reset"), tr("Reset all edits"), bar);
    m_reset->setObjectName(QStringLiteral("resetButton"));
    connect(m_reset, &QToolButton::clicked, this, [this] {
        QMessageBox box(QMessageBox::Warning, tr("Reset all edits?"),
                        tr("Removes every note, highlight, drawing and arrow — the original document file is untouched. "
                           "You can undo this until you save."),
                        QMessageBox::NoButton, this);
        QPushButton* reset = box.addButton(tr("Reset All Edits"), QMessageBox::DestructiveRole);
        box.addButton(QMessageBox::Cancel);
        box.exec();
        if (box.clickedButton() == reset)
            m_controller->resetAll();
    });
    row->addWidget(m_reset);
    m_save = new QToolButton(bar);
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setText(tr("Save"));
    m_save->setIcon(symbolIcon(QStringLiteral("square.and.arrow.down")));
    m_save->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(m_save, &QToolButton::clicked, m_controller, &PDFMarkupController::save);
    row->addWidget(m_save);
    auto* saveShortcut = new QShortcut(QKeySequence::Save, this);
    saveShortcut->setContext(Qt::WindowShortcut);
    connect(saveShortcut, &QShortcut::activated, this, [this] {
        if (m_controller->dirty())
            m_controller->save();
    });
    auto* undoShortcut = new QShortcut(QKeySequence::Undo, this);
    undoShortcut->setContext(Qt::WindowShortcut);
    connect(undoShortcut, &QShortcut::activated, m_controller, &PDFMarkupController::undo);

    layout->addWidget(bar);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);

    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_canvas = new MarkupCanvas(m_controller, m_scroll);
    m_scroll->setWidget(m_canvas);
    m_scroll->viewport()->installEventFilter(this);
    layout->addWidget(m_scroll, 1);
    connect(m_canvas, &MarkupCanvas::zoomedByUser, this, [this] { m_fitPending = false; });

    connect(m_highlight, &QToolButton::clicked, m_canvas, &MarkupCanvas::highlightSelection);

    connect(m_controller, &PDFMarkupController::stateChanged, this, &PDFMarkupContainer::refresh);
    connect(m_controller, &PDFMarkupController::markupChanged, this, &PDFMarkupContainer::refresh);
    connect(m_controller, &PDFMarkupController::notePromptChanged, this, [this] {
        if (m_controller->notePrompt() && !m_promptOpen)
            QTimer::singleShot(0, this, &PDFMarkupContainer::showNotePrompt);
    });

    load(source, filePath);
    refresh();
}

PDFMarkupContainer::~PDFMarkupContainer() = default;

bool PDFMarkupContainer::eventFilter(QObject* watched, QEvent* event)
{
    // The page fits the window until the user zooms by hand.
    if (m_scroll && watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_fitPending)
        QTimer::singleShot(0, this, &PDFMarkupContainer::fit);
    return QWidget::eventFilter(watched, event);
}

void PDFMarkupContainer::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int pages = m_controller->document() ? m_controller->document()->pageCount() : 0;
    if (m_scroll && pages > 0 && (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)
        && (mods == Qt::NoModifier || mods == Qt::ControlModifier)) {
        QScrollBar* bar = m_scroll->verticalScrollBar();
        // The last page from its top, or as far down as the canvas goes.
        bar->setValue(event->key() == Qt::Key_Home ? bar->minimum() : int(m_canvas->pageRect(pages - 1).top()));
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PDFMarkupContainer::load(Source source, const QString& filePath)
{
    std::shared_ptr<Poppler::Document> pdf;
    PageRenderer::Opener openForRendering;
    if (source == Source::pdf) {
        pdf = Poppler::Document::load(filePath);
        openForRendering = [filePath] { return Poppler::Document::load(filePath); };
    } else {
        const QImage image = DocumentFileStore::readImage(filePath);
        m_controller->sourceImage = image;
        if (!image.isNull()) {
            const QByteArray bytes = DocumentFileStore::pdfFromImage(image);
            pdf = Poppler::Document::loadFromData(bytes);
            openForRendering = [bytes] { return Poppler::Document::loadFromData(bytes); };
        }
    }
    if (pdf && pdf->isLocked())
        pdf.reset();
    std::shared_ptr<MarkupDocument> doc;
    if (pdf && pdf->numPages() > 0) {
        doc = std::make_shared<MarkupDocument>(MarkupFile::pagesOf(*pdf));
        MarkupFile::loadMarkupOverlay(*doc, m_controller->markupFileName);
    }
    m_controller->attach(doc);
    m_canvas->setPdf(doc ? pdf : nullptr, doc ? openForRendering : PageRenderer::Opener());
}

void PDFMarkupContainer::fit()
{
    if (m_canvas && m_scroll)
        m_canvas->fitWidth(m_scroll->viewport()->width());
}

void PDFMarkupContainer::refresh()
{
    const MarkupMode mode = m_controller->mode();
    if (QAbstractButton* b = m_tools->button(int(mode)); b && !b->isChecked())
        b->setChecked(true);
    m_highlight->setEnabled(m_controller->hasSelection());
    const QColor ring = palette().isEmpty() ? QColor() : QWidget::palette().color(QPalette::WindowText);
    for (int i = 0; i < m_swatches.size(); ++i)
        m_swatches[i]->setIcon(swatchIcon(palette()[i], palette()[i] == m_controller->colorHex(), ring));
    m_penWidth->setVisible(mode == MarkupMode::pen);
    m_status->setText(m_controller->statusNote());
    m_status->setToolTip(m_controller->statusNote() == QStringLiteral("Save failed") ? m_controller->lastSaveError() : QString());
    m_status->setVisible(!m_controller->statusNote().isEmpty());
    m_undo->setEnabled(m_controller->canUndo());
    m_reset->setEnabled(m_controller->hasMarkup());
    m_save->setEnabled(m_controller->dirty());
}

void PDFMarkupContainer::showNotePrompt()
{
    if (!m_controller->notePrompt() || m_promptOpen)
        return;
    m_promptOpen = true;
    const auto prompt = *m_controller->notePrompt();
    NoteEditorDialog dialog(prompt.isEdit, prompt.initial, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    m_promptOpen = false;
    finishNotePrompt(accepted ? std::optional<QString>(dialog.text()) : std::nullopt);
}

void PDFMarkupContainer::finishNotePrompt(const std::optional<QString>& text)
{
    const auto prompt = m_controller->notePrompt();
    m_controller->clearNotePrompt();
    if (!prompt || !text)
        return;
    const QString trimmed = text->trimmed();
    if (!trimmed.isEmpty() && prompt->apply)
        prompt->apply(trimmed);
}

bool PDFMarkupContainer::confirmClose()
{
    bool triedToSave = false;
    const bool mayClose = m_controller->confirmClose([this, &triedToSave] {
        QMessageBox box(QMessageBox::Warning, tr("Save changes before closing?"),
                        tr("This document has markup that hasn't been saved. Your changes will be lost if you don't save them."),
                        QMessageBox::NoButton, this);
        box.setWindowModality(Qt::ApplicationModal);
        QPushButton* save = box.addButton(tr("Save"), QMessageBox::AcceptRole);
        QPushButton* dontSave = box.addButton(tr("Don't Save"), QMessageBox::DestructiveRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(save);
        box.exec();
        if (box.clickedButton() == save) {
            triedToSave = true;
            return PDFMarkupController::CloseChoice::save;
        }
        if (box.clickedButton() == dontSave)
            return PDFMarkupController::CloseChoice::dontSave;
        return PDFMarkupController::CloseChoice::cancel;
    });
    // The save failed: the window stays open with its markup, and says why.
    if (!mayClose && triedToSave)
        showSaveError();
    return mayClose;
}

void PDFMarkupContainer::showSaveError()
{
    auto* box = new QMessageBox(QMessageBox::Warning, tr("The markup couldn't be saved"),
                                m_controller->lastSaveError() + QStringLiteral("\n\n")
                                    + tr("The window stays open so that nothing is lost."),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("markupSaveError"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

QAbstractButton* PDFMarkupContainer::highlightButton() const { return m_highlight; }
QAbstractButton* PDFMarkupContainer::ocrButton() const { return m_ocr; }
QAbstractButton* PDFMarkupContainer::undoButton() const { return m_undo; }
QAbstractButton* PDFMarkupContainer::resetButton() const { return m_reset; }
QAbstractButton* PDFMarkupContainer::saveButton() const { return m_save; }
