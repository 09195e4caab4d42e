#include "Corvallen/Library/Views/DocumentsBrowserSeam.h"

#include "Corvallen/Library/Views/LibraryViewKit.h"
#include "Corvallen/Model/Document.h"

#include <QListWidget>
#include <QStackedWidget>

namespace DocumentsBrowserSeam {

LibraryView::DocumentsPane make(ModelContext&, QWidget* parent)
{
    auto* stack = new QStackedWidget(parent);
    stack->setObjectName(QStringLiteral("DocumentsBrowserSeam"));
    QWidget* empty = LibraryViewKit::emptyState({}, QStringLiteral("doc.text"), {}, stack);
    auto* list = new QListWidget(stack);
    stack->addWidget(empty);
    stack->addWidget(list);
    LibraryView::DocumentsPane pane;
    pane.widget = stack;
    pane.setDocuments = [stack, empty, list](const QList<Document*>& documents, const QString& title, const QString& message) {
        LibraryViewKit::setEmptyStateTexts(empty, title, message);
        list->clear();
        for (const Document* d : documents)
            list->addItem(d->title());
        stack->setCurrentWidget(documents.isEmpty() ? empty : static_cast<QWidget*>(list));
    };
    return pane;
}

}  // namespace DocumentsBrowserSeam
