#pragma once

#include "Corvallen/Library/CaptureSearch.h"
#include "Corvallen/Library/LibraryFilter.h"

#include <QList>
#include <QWidget>

#include <functional>

class Capture;
class CaptureBrowser;
class Document;
class ModelContext;
class QButtonGroup;
class QLineEdit;
class QStackedWidget;
class SettingsStore;

// The Library page: captures (through the capture browser) or library documents (through the
// documents browser), narrowed to unfiled items and by a search. The mode is kept in
// "libraryMode"; scope and search start afresh with every page. Lists follow the store.
class LibraryView : public QWidget {
    Q_OBJECT
public:
    // The documents side: a widget and the way to hand it the list and its empty texts. The
    // documents subsystem supplies it; without one the page shows a plain seam list.
    struct DocumentsPane {
        QWidget* widget = nullptr;
        std::function<void(const QList<Document*>&, const QString& emptyTitle, const QString& emptyMessage)> setDocuments;
        // Starts the browser afresh (empty selection, no filter, default sort) at its next list.
        std::function<void()> reset;
    };
    using DocumentsPaneFactory = std::function<DocumentsPane(ModelContext&, QWidget* parent)>;

    LibraryView(ModelContext& context, SettingsStore& settings, DocumentsPaneFactory documents = {}, QWidget* parent = nullptr);

    LibraryFilter::Mode mode() const { return m_mode; }
    void setMode(LibraryFilter::Mode mode);
    LibraryFilter::Scope scope() const { return m_scope; }
    void setScope(LibraryFilter::Scope scope);
    QString search() const;
    void setSearch(const QString& text);

    // Recomputes the shown list from the store.
    void reload();

    CaptureBrowser* captureBrowser() const { return m_captures; }
    QWidget* documentsWidget() const { return m_documents.widget; }
    QList<Capture*> shownCaptures() const { return m_shownCaptures; }
    QList<Document*> shownDocuments() const { return m_shownDocuments; }
    QButtonGroup* modeControl() const { return m_modeGroup; }
    QButtonGroup* scopeControl() const { return m_scopeGroup; }
    QLineEdit* searchField() const { return m_search; }

private:
    void scheduleReload();

    ModelContext& m_context;
    SettingsStore& m_settings;
    LibraryFilter::Mode m_mode;
    LibraryFilter::Scope m_scope = LibraryFilter::Scope::all;
    QButtonGroup* m_modeGroup = nullptr;
    QButtonGroup* m_scopeGroup = nullptr;
    QLineEdit* m_search = nullptr;
    QStackedWidget* m_stack = nullptr;
    CaptureBrowser* m_captures = nullptr;
    DocumentsPane m_documents;
    CaptureSearch m_captureSearch;
    QList<Capture*> m_shownCaptures;
    QList<Document*> m_shownDocuments;
    bool m_reloadPending = false;
};
