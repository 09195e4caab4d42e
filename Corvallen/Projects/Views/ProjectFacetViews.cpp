#include "Corvallen/Projects/Views/ProjectFacetSeams.h"

#include "Corvallen/Library/Views/CaptureBrowser.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Library/Views/CompareView.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Platform/ModelContext.h"
#include "Corvallen/Projects/ProjectContents.h"
#include "Corvallen/Shell/Views/PlaceholderPage.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

QWidget* makeProjectCapturesFacet(Project* project, ModelContext& context, QWidget* parent)
{
    auto* browser = new CaptureBrowser(context, parent);
    browser->setObjectName(QStringLiteral("CaptureBrowser"));
    const QString title = QCoreApplication::translate("ProjectWorkspaceView", "No captures");
    const QString message = QCoreApplication::translate(
        "ProjectWorkspaceView", "No captures filed to this project yet. File them from the Library inspector.");
    auto reload = [browser, project, title, message] {
        if (project && !project->isDeleted())
            browser->setCaptures(ProjectContents::sortedCaptures(project), title, message);
    };
    reload();
    // Captures filed or unfiled elsewhere show at once; changes are gathered into one reload.
    auto queued = std::make_shared<bool>(false);
    QObject::connect(&context, &ModelContext::changed, browser, [browser, reload, queued](const QString& entity) {
        if (*queued || (entity != QLatin1String("Capture") && entity != QLatin1String("Project")))
            return;
        *queued = true;
        QTimer::singleShot(0, browser, [reload, queued] {
            *queued = false;
            reload();
        });
    });
    return browser;
}

// Seam: until the documents browser is part of the build, the Files facet shows its empty state
// or how many files the project holds.
QWidget* makeProjectFilesFacet(Project* project, ModelContext&, QWidget* parent)
{
    const auto documents = ProjectContents::projectDocuments(project);
    const QString title = documents.isEmpty()
                              ? QCoreApplication::translate("ProjectWorkspaceView", "No files yet")
                              : QCoreApplication::translate("ProjectWorkspaceView", "%n file(s)", nullptr, int(documents.size()));
    return new PlaceholderPage(QStringLiteral("DocumentBrowser"), title, QStringLiteral("doc.text"), parent);
}
