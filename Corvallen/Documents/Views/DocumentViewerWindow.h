#pragma once

#include "Corvallen/Documents/DocViewerTarget.h"

#include <QPointer>
#include <QWidget>

class ModelContext;
class PDFMarkupContainer;

// The content of a document viewer window: the markup viewer for a PDF or an image, a short
// notice with "Open in Default App" and "Show in Files" for any other file. The window's
// title is the document's title (its file name until found) and, in a project, " — " and the
// project's name. Closing with unsaved markup asks first.
class DocumentViewerWindow : public QWidget {
    Q_OBJECT
public:
    DocumentViewerWindow(const DocViewerTarget& target, ModelContext& context, QWidget* parent = nullptr);

    QString displayTitle() const;
    // Looks the document's title up by its file name; an empty or missing title keeps the name.
    void loadTitle();
    PDFMarkupContainer* markupContainer() const { return m_markup; }
    // While the document is read (off the main thread); a file that can't be shown then gets
    // the notice instead of the markup viewer.
    bool isLoading() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNotice(const QString& notice, const QString& path);

    DocViewerTarget m_target;
    ModelContext& m_context;
    QString m_title;
    PDFMarkupContainer* m_markup = nullptr;
    QPointer<QWidget> m_guardedWindow;
    bool m_titleLoaded = false;
};
