#pragma once

#include "Corvallen/Projects/BomImport.h"

#include <QList>
#include <QString>

class ModelContext;
class Project;

// What the import sheet shows about a bill of materials and what "Import" does with it.
namespace BomImportPlan {

// The matches without an inventory component.
qsizetype newToInventoryCount(const BomImport::MatchList& matches);

// "3 parts · 10 items · 2 new to inventory. Importing allocates stock — ..."
QString summaryText(const BomImport::MatchList& matches);

// "Import 3 parts"
QString importButtonTitle(const BomImport::MatchList& matches);

// The part number and manufacturer that are present and not empty, joined with " · ".
QString detailText(const BomImport::Match& match);

// Creates a component for every new match, puts every match on the project with its quantity
// through the stock allocation, then registers the new term values. Saves. All at once: the
// import sheet uses BomImportApplier, which keeps the window free during a long import.
void apply(const BomImport::MatchList& matches, Project* project, ModelContext& context);

}  // namespace BomImportPlan
