#include "Corvallen/Library/Views/CaptureBrowser.h"

#include "Corvallen/Library/CaptureEdits.h"
#include "Corvallen/Library/Views/CaptureGrid.h"
#include "Corvallen/Library/Views/CaptureInspector.h"
#include "Corvallen/Library/Views/CompareView.h"
#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/Capture.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

CaptureBrowser::CaptureBrowser(ModelContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("CaptureBrowser"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* main = new QWidget(this);
    auto* column = new QVBoxLayout(main);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* toolbar = new QWidget(main);
    auto* row = new QHBoxLayout(toolbar);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(12);
    row->addStretch();
    m_selectAll = LibraryViewKit::symbolButton(QStringLiteral("checklist"), tr("Select All"), tr("Select all / none (Ctrl+A)"),
                                               toolbar);
    connect(m_selectAll, &QToolButton::clicked, this, &CaptureBrowser::toggleSelectAll);
    auto* shortcut = new QShortcut(QKeySequence::SelectAll, this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, &CaptureBrowser::toggleSelectAll);
    m_compare = new QToolButton(toolbar);
    m_compare->setText(tr("Compare"));
    m_compare->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(m_compare, &QToolButton::clicked, this, &CaptureBrowser::showCompare);
    m_trash = LibraryViewKit::symbolButton(QStringLiteral("trash"), tr("Delete"), tr("Delete selected"), toolbar);
    connect(m_trash, &QToolButton::clicked, this, &CaptureBrowser::confirmDelete);
    m_toggleInspector = LibraryViewKit::symbolButton(QStringLiteral("sidebar.right"), tr("Inspector"), tr("Toggle inspector"),
                                                     toolbar);
    connect(m_toggleInspector, &QToolButton::clicked, this, [this] { setInspectorShown(!m_inspectorShown); });
    for (QToolButton* b : {m_selectAll, m_compare, m_trash, m_toggleInspector})
        row->addWidget(b);
    column->addWidget(toolbar);
    auto* line = new QFrame(main);
    line->setFrameShape(QFrame::HLine);
    column->addWidget(line);

    m_content = new QStackedWidget(main);
    m_empty = LibraryViewKit::emptyState({}, QStringLiteral("photo.on.rectangle.angled"), {}, m_content);
    m_grid = new CaptureGrid(&m_selection, m_content);
    m_content->addWidget(m_empty);
    m_content->addWidget(m_grid);
    column->addWidget(m_content, 1);
    connect(m_grid, &CaptureGrid::selectionChanged, this, &CaptureBrowser::selectionChanged);
    connect(m_grid, &CaptureGrid::activated, this, [this] { setInspectorShown(true); });
    outer->addWidget(main, 1);

    m_inspector = new CaptureInspector(context, [this] { showCompare(); }, [this] { confirmDelete(); }, this);
    m_inspector->setMinimumWidth(290);
    m_inspector->setMaximumWidth(440);
    connect(m_inspector, &CaptureInspector::capturesEdited, this, [this] {
        m_grid->refreshCards();
        Q_EMIT capturesChanged();
    });
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    outer->addWidget(divider);
    outer->addWidget(m_inspector);
    updateToolbar();
}

void CaptureBrowser::setCaptures(const QList<Capture*>& captures, const QString& emptyTitle, const QString& emptyMessage)
{
    const bool wasEmpty = m_captures.isEmpty();
    m_captures = captures;
    LibraryViewKit::setEmptyStateTexts(m_empty, emptyTitle, emptyMessage);
    if (captures.isEmpty()) {
        m_content->setCurrentWidget(m_empty);
    } else {
        // A grid shown again after the empty state starts with no rename and no anchor.
        if (wasEmpty)
            m_selection.resetGridState();
        m_content->setCurrentWidget(m_grid);
    }
    m_grid->setCaptures(captures);
    m_inspector->setSelected(selectedCaptures());
    updateToolbar();
}

void CaptureBrowser::refresh()
{
    m_grid->refreshCards();
    m_inspector->refresh();
}

bool CaptureBrowser::isShowingEmptyState() const
{
    return m_content->currentWidget() == m_empty;
}

void CaptureBrowser::toggleSelectAll()
{
    m_selection.toggleSelectAll(m_captures);
    selectionChanged();
}

void CaptureBrowser::selectionChanged()
{
    m_grid->syncSelection();
    m_inspector->setSelected(selectedCaptures());
    updateToolbar();
}

QString CaptureBrowser::deleteQuestion() const
{
    return tr("Delete ") + QString::number(selectedCaptures().size()) + tr(" capture(s)?");
}

void CaptureBrowser::confirmDelete()
{
    if (selectedCaptures().isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, deleteQuestion(),
                    tr("Removes the capture from Corvallen and deletes its image file. The original stays on the device."),
                    QMessageBox::NoButton, this);
    box.setObjectName(QStringLiteral("DeleteCapturesConfirmation"));
    box.setText(deleteQuestion());
    box.setInformativeText(
        tr("Removes the capture from Corvallen and deletes its image file. The original stays on the device."));
    QPushButton* del = box.addButton(tr("Delete"), QMessageBox::DestructiveRole);
    box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(static_cast<QPushButton*>(nullptr));
    box.exec();
    if (box.clickedButton() == del)
        deleteSelected();
}

void CaptureBrowser::deleteSelected()
{
    const QList<Capture*> doomed = selectedCaptures();
    CaptureEdits::deleteCaptures(doomed, m_context);
    m_selection.clear();
    QList<Capture*> remaining;
    for (Capture* c : std::as_const(m_captures))
        if (!c->isDeleted())
            remaining.append(c);
    m_captures = remaining;
    m_grid->setCaptures(remaining);
    if (remaining.isEmpty())
        m_content->setCurrentWidget(m_empty);
    selectionChanged();
    Q_EMIT capturesChanged();
}

void CaptureBrowser::showCompare()
{
    const QList<Capture*> chosen = selectedCaptures().mid(0, 3);
    if (m_compareSheet)
        m_compareSheet->close();
    auto* sheet = new CompareView(chosen, m_context, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::finished, this, [this] {
        refresh();
        Q_EMIT capturesChanged();
    });
    m_compareSheet = sheet;
    sheet->open();
}

void CaptureBrowser::setInspectorShown(bool shown)
{
    m_inspectorShown = shown;
    m_inspector->setVisible(shown);
}

void CaptureBrowser::updateToolbar()
{
    // Selected captures that the current list hides take no part.
    const qsizetype n = selectedCaptures().size();
    m_compare->setVisible(n == 2 || n == 3);
    m_trash->setVisible(n > 0);
}
