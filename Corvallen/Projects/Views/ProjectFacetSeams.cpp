#include "Corvallen/Projects/Views/ProjectFacetSeams.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Projects/ProjectContents.h"
#include "Corvallen/Shell/Views/PlaceholderPage.h"

#include <QCoreApplication>

// Seam: until the capture and document browsers are part of the build, each facet shows its
// empty state or how many items the project holds.
QWidget* makeProjectCapturesFacet(Project* project, ModelContext&, QWidget* parent)
{
    const auto captures = ProjectContents::sortedCaptures(project);
    const QString title = captures.isEmpty()
                              ? QCoreApplication::translate("ProjectWorkspaceView", "No captures")
                              : QCoreApplication::translate("ProjectWorkspaceView", "%n capture(s)", nullptr, int(captures.size()));
    return new PlaceholderPage(QStringLiteral("CaptureBrowser"), title, QStringLiteral("photo.stack"), parent);
}

QWidget* makeProjectFilesFacet(Project* project, ModelContext&, QWidget* parent)
{
    const auto documents = ProjectContents::projectDocuments(project);
    const QString title = documents.isEmpty()
                              ? QCoreApplication::translate("ProjectWorkspaceView", "No files yet")
                              : QCoreApplication::translate("ProjectWorkspaceView", "%n file(s)", nullptr, int(documents.size()));
    return new PlaceholderPage(QStringLiteral("DocumentBrowser"), title, QStringLiteral("doc.text"), parent);
}
