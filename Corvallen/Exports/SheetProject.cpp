#include "Corvallen/Exports/SheetProject.h"

#include "Corvallen/Exports/SheetFormat.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Platform/AppPaths.h"
#include "Corvallen/Sync/DeviceStorage.h"

#include <QDir>
#include <QElapsedTimer>

QString SheetProject::title() const { return name.isEmpty() ? QStringLiteral("Untitled Project") : name; }

std::shared_ptr<const SheetProject> SheetProject::of(const Project* project)
{
    SheetProjectReader reader(project);
    reader.read(-1);
    return reader.result();
}

SheetProjectReader::SheetProjectReader(const Project* project) : m_copy(std::make_shared<SheetProject>())
{
    if (!project)
        return;
    m_copy->name = project->name();
    m_copy->details = project->details();
    // The store hands dates back in UTC; the sheet prints the day as the user lived it.
    m_copy->createdAt = project->createdAt().toLocalTime();
    m_copy->labourTotal = project->labourTotal();
    m_copy->labourFlat = project->labourFlat();
    m_copy->labourHours = project->labourHours();
    m_copy->quoteCombined = project->quoteCombined();
    m_copy->fileCount = project->attachments().size();
    m_lines = project->parts();
    m_captures = project->captures();
    m_copy->parts.reserve(m_lines.size());
    m_capturesFolder = DeviceStorage::capturesFolder();
}

bool SheetProjectReader::read(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    // Each call copies something; the clock is looked at every few hundred items.
    qsizetype copied = 0;
    auto spent = [&] { return milliseconds >= 0 && ++copied % 256 == 0 && clock.elapsed() >= milliseconds; };
    for (; m_nextLine < m_lines.size(); ++m_nextLine) {
        if (spent())
            return false;
        const ProjectComponent* line = m_lines[m_nextLine];
        if (line->isDeleted())
            continue;
        SheetPart part;
        part.quantity = line->quantity();
        if (const Component* c = line->component()) {
            part.hasComponent = true;
            part.name = c->name();
            part.manufacturer = c->manufacturer();
            part.category = c->category();
            part.resellPrice = c->resellPrice().value_or(0);
        }
        m_copy->partsResellTotal += part.resellPrice * double(part.quantity);
        m_copy->parts.append(std::move(part));
    }
    const QDir folder(m_capturesFolder);
    for (; m_nextCapture < m_captures.size(); ++m_nextCapture) {
        if (spent())
            return false;
        const Capture* c = m_captures[m_nextCapture];
        if (c->isDeleted())
            continue;
        // Only a plain name points into the captures folder: a record naming "../x" prints no
        // picture rather than one from elsewhere on the machine.
        m_copy->captures.append({AppPaths::isPlainFileName(c->fileName()) ? folder.filePath(c->fileName()) : QString(), c->title(),
                                 SheetFormat::captureReadingText(c), c->importedAt()});
    }
    m_copy->captureCount = m_copy->captures.size();
    return true;
}
