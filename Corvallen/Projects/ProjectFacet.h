#pragma once

#include <QList>
#include <QString>

#include <optional>

// The five facets of a project's workspace, in picker order; the raw value is also the title.
enum class ProjectFacet { overview, captures, parts, files, notes };

namespace ProjectFacets {
QList<ProjectFacet> allCases();
QString rawValue(ProjectFacet facet);  // "Overview", "Captures", "Parts", "Files", "Notes"
std::optional<ProjectFacet> fromRawValue(const QString& raw);  // exact match only
}  // namespace ProjectFacets
