#include "Corvallen/Projects/Views/ProjectWorkspaceView.h"

#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/Views/ElidedLabel.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Projects/ProjectTexts.h"
#include "Corvallen/Projects/Views/ProjectExportMenu.h"
#include "Corvallen/Projects/Views/ProjectFacetViews.h"
#include "Corvallen/Projects/Views/ProjectOverviewView.h"
#include "Corvallen/Projects/Views/ProjectPartsView.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void saveQuietly(ModelContext& context)
{
    QString error;
    if (!context.save(&error))
        qWarning() << "Project change kept pending; saving failed:" << error;
}

}  // namespace

ProjectWorkspaceView::ProjectWorkspaceView(Project* project, ModelContext& context,
                                           std::function<void(Component*)> onRevealInInventory, QWidget* parent)
    : QWidget(parent), m_project(project), m_context(context), m_reveal(std::move(onRevealInInventory))
{
    setObjectName(QStringLiteral("ProjectWorkspaceView"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(12, 12, 12, 12);
    header->setSpacing(12);
    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(2);

    m_nameStack = new QStackedWidget(this);
    m_nameRow = new QWidget(m_nameStack);
    m_nameRow->setObjectName(QStringLiteral("nameRow"));
    m_nameRow->setToolTip(tr("Click to rename"));
    m_nameRow->setAttribute(Qt::WA_Hover);
    m_nameRow->setCursor(Qt::IBeamCursor);
    auto* nameRowLayout = new QHBoxLayout(m_nameRow);
    nameRowLayout->setContentsMargins(0, 0, 0, 0);
    nameRowLayout->setSpacing(6);
    m_nameLabel = new ElidedLabel(QString(), m_nameRow);
    m_nameLabel->setObjectName(QStringLiteral("projectName"));
    m_nameLabel->setTextFormat(Qt::PlainText);
    QFont nameFont = m_nameLabel->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.5);
    m_nameLabel->setFont(nameFont);
    m_pencil = new QLabel(m_nameRow);
    m_pencil->setPixmap(symbolIcon(QStringLiteral("pencil")).pixmap(12, 12));
    // The pencil keeps its place while hidden, so the row never shifts.
    QSizePolicy keep = m_pencil->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_pencil->setSizePolicy(keep);
    m_pencil->hide();
    nameRowLayout->addWidget(m_nameLabel);
    nameRowLayout->addWidget(m_pencil);
    nameRowLayout->addStretch(1);
    m_nameRow->installEventFilter(this);
    m_nameField = new QLineEdit(m_nameStack);
    m_nameField->setObjectName(QStringLiteral("nameField"));
    m_nameField->setFrame(false);
    m_nameField->setFont(nameFont);
    m_nameField->setPlaceholderText(tr("Project name"));
    m_nameField->installEventFilter(this);
    m_nameStack->addWidget(m_nameRow);
    m_nameStack->addWidget(m_nameField);
    m_nameStack->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    titleBlock->addWidget(m_nameStack);

    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("projectDescription"));
    m_description->setTextFormat(Qt::PlainText);
    m_description->setWordWrap(true);
    QFont small = m_description->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_description->setFont(small);
    m_description->setForegroundRole(QPalette::PlaceholderText);
    m_description->setMaximumHeight(m_description->fontMetrics().lineSpacing() * 2 + 1);
    titleBlock->addWidget(m_description);
    header->addLayout(titleBlock, 1);

    m_exportMenu = new ProjectExportMenu(project, this);
    header->addWidget(m_exportMenu);

    auto* picker = new QWidget(this);
    picker->setObjectName(QStringLiteral("facetPicker"));
    auto* pickerLayout = new QHBoxLayout(picker);
    pickerLayout->setContentsMargins(0, 0, 0, 0);
    pickerLayout->setSpacing(0);
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (ProjectFacet f : ProjectFacets::allCases()) {
        auto* b = new QToolButton(picker);
        b->setText(ProjectFacets::rawValue(f));
        b->setObjectName(QStringLiteral("facet-") + ProjectFacets::rawValue(f));
        ViewStyle::makeSegment(b);
        group->addButton(b);
        pickerLayout->addWidget(b);
        m_facetButtons.insert(f, b);
        connect(b, &QToolButton::clicked, this, [this, f] { setFacet(f); });
    }
    picker->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    header->addWidget(picker);
    outer->addLayout(header);

    auto* divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("headerDivider"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    m_contentHolder = new QStackedWidget(this);
    outer->addWidget(m_contentHolder, 1);

    connect(m_nameField, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (m_project && !m_project->isDeleted())
            m_project->setName(text);
    });
    connect(m_nameField, &QLineEdit::returnPressed, this, &ProjectWorkspaceView::commitRename);
    connect(m_nameField, &QLineEdit::editingFinished, this, [this] {
        if (m_renaming && !m_nameField->hasFocus())
            commitRename();
    });
    connect(&m_context, &ModelContext::changed, this, [this](const QString& entity) {
        if (entity != QLatin1String("Project") || m_headerQueued)
            return;
        m_headerQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_headerQueued = false;
            refreshHeader();
        });
    });

    refreshHeader();
    m_facet = ProjectFacet::parts;  // so that the first setFacet builds the overview
    setFacet(ProjectFacet::overview);
}

ProjectWorkspaceView::~ProjectWorkspaceView()
{
    if (m_renaming)
        qApp->removeEventFilter(this);
}

QAbstractButton* ProjectWorkspaceView::facetButton(ProjectFacet facet) const { return m_facetButtons.value(facet); }

void ProjectWorkspaceView::refreshHeader()
{
    if (!m_project || m_project->isDeleted())
        return;
    m_nameLabel->setText(ProjectTexts::displayName(m_project));
    const QString details = m_project->details();
    m_description->setText(details);
    m_description->setHidden(details.isEmpty());
    if (!m_renaming && m_nameField->text() != m_project->name())
        m_nameField->setText(m_project->name());
}

void ProjectWorkspaceView::setFacet(ProjectFacet facet)
{
    m_facetButtons.value(facet)->setChecked(true);
    if (facet == m_facet && m_content)
        return;
    m_facet = facet;
    QWidget* next = makeFacet(facet);
    m_contentHolder->addWidget(next);
    m_contentHolder->setCurrentWidget(next);
    if (m_content) {
        m_contentHolder->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = next;
}

QWidget* ProjectWorkspaceView::makeFacet(ProjectFacet facet)
{
    switch (facet) {
    case ProjectFacet::overview: {
        auto* scroll = new QScrollArea(m_contentHolder);
        scroll->setObjectName(QStringLiteral("overviewScroll"));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* overview = new ProjectOverviewView(m_project, m_context, scroll);
        connect(overview, &ProjectOverviewView::facetRequested, this, &ProjectWorkspaceView::setFacet, Qt::QueuedConnection);
        scroll->setWidget(overview);
        return scroll;
    }
    case ProjectFacet::captures:
        return makeProjectCapturesFacet(m_project, m_context, m_contentHolder);
    case ProjectFacet::parts:
        return new ProjectPartsView(m_project, m_context, m_reveal, m_contentHolder);
    case ProjectFacet::files:
        return makeProjectFilesFacet(m_project, m_context, m_contentHolder);
    case ProjectFacet::notes: {
        auto* notes = new QPlainTextEdit(m_contentHolder);
        notes->setObjectName(QStringLiteral("projectNotes"));
        notes->setPlainText(m_project->notes());
        notes->setFrameShape(QFrame::NoFrame);
        notes->document()->setDocumentMargin(12);
        notes->viewport()->setAutoFillBackground(false);
        notes->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
        connect(notes, &QPlainTextEdit::textChanged, this, [this, notes] {
            if (!m_project || m_project->isDeleted() || m_project->notes() == notes->toPlainText())
                return;
            m_project->setNotes(notes->toPlainText());
            saveQuietly(m_context);
        });
        // Notes edited elsewhere (the project edit sheet) replace what is shown here, so that the
        // next keystroke here does not write the older text back over them.
        connect(&m_context, &ModelContext::changed, notes, [this, notes](const QString& entity) {
            if (entity != QLatin1String("Project") || !m_project || m_project->isDeleted())
                return;
            const QString stored = m_project->notes();
            if (stored != notes->toPlainText()) {
                const int position = notes->textCursor().position();
                QSignalBlocker quiet(notes);
                notes->setPlainText(stored);
                QTextCursor cursor = notes->textCursor();
                cursor.setPosition(std::min<int>(position, int(stored.size())));
                notes->setTextCursor(cursor);
            }
        });
        return notes;
    }
    }
    return new QWidget(m_contentHolder);
}

void ProjectWorkspaceView::beginRename()
{
    if (m_renaming || !m_project || m_project->isDeleted())
        return;
    m_renaming = true;
    m_nameField->setText(m_project->name());
    m_nameStack->setCurrentWidget(m_nameField);
    // A click anywhere else in the pane ends the rename.
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this] {
        if (m_renaming) {
            m_nameField->setFocus(Qt::MouseFocusReason);
            m_nameField->selectAll();
        }
    });
}

void ProjectWorkspaceView::commitRename()
{
    if (m_renaming) {
        m_renaming = false;
        qApp->removeEventFilter(this);
        m_nameStack->setCurrentWidget(m_nameRow);
        m_pencil->hide();
        ProjectTexts::clearBlankName(m_project);
        refreshHeader();
    }
    saveQuietly(m_context);
}

bool ProjectWorkspaceView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_nameRow) {
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::HoverEnter: m_pencil->show(); break;
        case QEvent::Leave:
        case QEvent::HoverLeave: m_pencil->hide(); break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_nameRow->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                beginRename();
            return true;
        default: break;
        }
    }
    if (watched == m_nameField && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            commitRename();
            return true;
        }
    }
    if (m_renaming && event->type() == QEvent::MouseButtonPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && !w->isWindow() && w != m_nameField && !m_nameField->isAncestorOf(w) && (w == this || isAncestorOf(w))) {
            QTimer::singleShot(0, this, [this] {
                if (m_renaming)
                    commitRename();
            });
        }
    }
    return QWidget::eventFilter(watched, event);
}
