#include "Corvallen/Library/Views/LibraryView.h"

#include "Corvallen/Library/Views/CaptureBrowser.h"
#include "Corvallen/Library/Views/CompareView.h"
#include "Corvallen/Library/Views/DocumentsBrowserSeam.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "Corvallen/Platform/Views/SymbolIcons.h"
#include "Corvallen/Widgets/Views/ViewStyle.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace LibraryFilter;

namespace {

QWidget* segmented(const QStringList& labels, QButtonGroup* group, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < labels.size(); ++i) {
        auto* b = new QToolButton(box);
        b->setText(labels.at(i));
        ViewStyle::makeSegment(b);
        b->setAutoRaise(false);
        group->addButton(b, i);
        row->addWidget(b);
    }
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return box;
}

}  // namespace

LibraryView::LibraryView(ModelContext& context, SettingsStore& settings, DocumentsPaneFactory documents, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_settings(settings)
    , m_mode(storedMode(settings))
    , m_captureSearch(context)
{
    setObjectName(QStringLiteral("LibraryView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setSpacing(12);
    row->addWidget(ViewStyle::label(tr("Library"), ViewStyle::TextStyle::title3, QFont::Bold, false, header));
    m_modeGroup = new QButtonGroup(this);
    row->addWidget(segmented({rawValue(Mode::captures), rawValue(Mode::documents)}, m_modeGroup, header));
    m_scopeGroup = new QButtonGroup(this);
    row->addWidget(segmented({rawValue(Scope::all), rawValue(Scope::unfiled)}, m_scopeGroup, header));
    row->addStretch();
    auto* searchBox = new QFrame(header);
    searchBox->setObjectName(QStringLiteral("LibrarySearchBox"));
    searchBox->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    searchBox->setStyleSheet(QStringLiteral("#LibrarySearchBox{background:rgba(128,128,128,46);border-radius:8px;}"));
    auto* searchRow = new QHBoxLayout(searchBox);
    searchRow->setContentsMargins(8, 5, 8, 5);
    searchRow->setSpacing(6);
    auto* glass = new QLabel(searchBox);
    glass->setPixmap(symbolIcon(QStringLiteral("magnifyingglass")).pixmap(12, 12));
    searchRow->addWidget(glass);
    m_search = new QLineEdit(searchBox);
    m_search->setPlaceholderText(tr("Search"));
    m_search->setFrame(false);
    m_search->setFixedWidth(160);
    m_search->setClearButtonEnabled(true);
    m_search->setStyleSheet(QStringLiteral("QLineEdit{background:transparent;}"));
    searchRow->addWidget(m_search);
    row->addWidget(searchBox);
    column->addWidget(header);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    column->addWidget(line);

    m_stack = new QStackedWidget(this);
    m_captures = new CaptureBrowser(context, m_stack);
    m_documents = documents ? documents(context, m_stack) : DocumentsBrowserSeam::make(context, m_stack);
    m_stack->addWidget(m_captures);
    m_stack->addWidget(m_documents.widget);
    column->addWidget(m_stack, 1);

    m_modeGroup->button(m_mode == Mode::documents ? 1 : 0)->setChecked(true);
    m_scopeGroup->button(0)->setChecked(true);
    connect(m_modeGroup, &QButtonGroup::idClicked, this, [this](int id) { setMode(id == 1 ? Mode::documents : Mode::captures); });
    connect(m_scopeGroup, &QButtonGroup::idClicked, this,
            [this](int id) { setScope(id == 1 ? Scope::unfiled : Scope::all); });
    connect(m_search, &QLineEdit::textChanged, this, &LibraryView::reload);
    connect(&context, &ModelContext::changed, this, [this](const QString& entity) {
        if (entity == QLatin1String("Capture") || entity == QLatin1String("Document") || entity == QLatin1String("Tag")
            || entity == QLatin1String("Project") || entity == QLatin1String("ProjectDocument"))
            scheduleReload();
    });
    m_stack->setCurrentWidget(m_mode == Mode::documents ? m_documents.widget : static_cast<QWidget*>(m_captures));
    reload();
}

void LibraryView::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    storeMode(mode, m_settings);
    m_modeGroup->button(mode == Mode::documents ? 1 : 0)->setChecked(true);
    // Each browser starts afresh, with an empty selection, when its mode is shown again.
    if (mode == Mode::captures)
        m_captures->selection().clear();
    else if (m_documents.reset)
        m_documents.reset();
    m_captures->selectionChanged();
    m_stack->setCurrentWidget(mode == Mode::documents ? m_documents.widget : static_cast<QWidget*>(m_captures));
    reload();
}

void LibraryView::setScope(Scope scope)
{
    m_scope = scope;
    m_scopeGroup->button(scope == Scope::unfiled ? 1 : 0)->setChecked(true);
    reload();
}

QString LibraryView::search() const
{
    return m_search->text();
}

void LibraryView::setSearch(const QString& text)
{
    m_search->setText(text);
}

void LibraryView::scheduleReload()
{
    if (m_reloadPending)
        return;
    m_reloadPending = true;
    QMetaObject::invokeMethod(this, [this] {
        m_reloadPending = false;
        reload();
    }, Qt::QueuedConnection);
}

void LibraryView::reload()
{
    if (m_mode == Mode::captures) {
        m_shownCaptures = m_captureSearch.results(m_scope, search());
        m_captures->setCaptures(m_shownCaptures, captureEmptyTitle(), captureEmptyMessage(m_scope));
        m_captures->refresh();
    } else {
        m_shownDocuments = filterDocuments(allDocumentsNewestFirst(m_context), m_scope, search());
        if (m_documents.setDocuments)
            m_documents.setDocuments(m_shownDocuments, documentEmptyTitle(), documentEmptyMessage(m_scope));
    }
}
