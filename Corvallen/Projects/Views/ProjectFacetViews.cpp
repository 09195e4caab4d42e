#include "Corvallen/Projects/Views/ProjectFacetViews.h"

#include "Corvallen/Documents/Views/DocumentBrowser.h"
#include "Corvallen/Library/Views/CaptureBrowser.h"
#include "Corvallen/Library/Views/CompareView.h"  // CaptureBrowser.h holds its sheet through a QPointer
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Store/ModelContext.h"
#include "Corvallen/Projects/ProjectContents.h"

#include <QCoreApplication>
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

QWidget* makeProjectFilesFacet(Project* project, ModelContext& context, QWidget* parent)
{
    auto* browser = new DocumentBrowser(
        context, project,
        [project] { return project && !project->isDeleted() ? ProjectContents::projectDocuments(project) : QList<Document*>{}; },
        QCoreApplication::translate("ProjectWorkspaceView", "No files yet"),
        QCoreApplication::translate("ProjectWorkspaceView",
                                    "Add datasheets, schematics, service manuals and docs for this project — drag them in, "
                                    "use Add…, or Add from Library to reuse an existing file."),
        parent);
    browser->setObjectName(QStringLiteral("DocumentBrowser"));
    return browser;
}
