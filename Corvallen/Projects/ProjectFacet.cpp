#include "Corvallen/Projects/ProjectFacet.h"

namespace ProjectFacets {

QList<ProjectFacet> allCases()
{
    return {ProjectFacet::overview, ProjectFacet::captures, ProjectFacet::parts, ProjectFacet::files, ProjectFacet::notes};
}

QString rawValue(ProjectFacet facet)
{
    switch (facet) {
    case ProjectFacet::overview: return QStringLiteral("Overview");
    case ProjectFacet::captures: return QStringLiteral("Captures");
    case ProjectFacet::parts: return QStringLiteral("Parts");
    case ProjectFacet::files: return QStringLiteral("Files");
    case ProjectFacet::notes: return QStringLiteral("Notes");
    }
    return {};
}

std::optional<ProjectFacet> fromRawValue(const QString& raw)
{
    for (ProjectFacet f : allCases()) {
        if (rawValue(f) == raw)
            return f;
    }
    return std::nullopt;
}

}  // namespace ProjectFacets
