#pragma once

#include "Corvallen/Exports/SheetProject.h"
#include "Corvallen/Exports/SheetRenderer.h"

#include <QDateTime>
#include <QList>

class Project;

// How a project becomes the pages of its project sheet and of its quote. Everything here works
// on the copy of the project (SheetProject) and runs on any thread; the overloads that take a
// Project make that copy first and belong to the main thread.
namespace SheetBuilders {
// Parts lines by component name (case ignored, locale order; a line without a component first),
// ties kept in their given order.
QList<SheetPart> sortedParts(const SheetProject& project);
// Captures newest first, ties kept.
QList<SheetCapture> sortedCaptures(const SheetProject& project);
// Splits into a first chunk of at most `first` and further chunks of at most `rest`.
QList<QList<SheetPart>> chunkParts(const QList<SheetPart>& parts, int first, int rest);

// Page 1: overview and up to 12 parts; further pages of up to 22 parts; then pages of up to 6
// captures. Every page holds only as many rows or captures as its measured room between header
// and footer allows, so long names, manufacturers and wrapped categories push rows on to the
// next page instead of over the footer. A description too long for the first page runs on over
// the next ones, and the parts table follows where it ends.
QList<SheetPageEntry> projectSheetPages(const SheetProjectPtr& project, const BusinessProfile& profile,
                                        const SheetProgress& progress = {});
QList<SheetPageEntry> projectSheetPages(const Project* project);
// Itemised: head and up to 16 lines on page 1, up to 24 lines on later pages (as many as fit),
// totals below the last line; combined or without parts: one page. A description too long for
// the first page runs on over the next ones, and the lines follow where it ends.
QList<SheetPageEntry> quotePages(const SheetProjectPtr& project, const QDate& date, const BusinessProfile& profile,
                                 const SheetProgress& progress = {});
QList<SheetPageEntry> quotePages(const Project* project, const QDate& date, const BusinessProfile& profile);

// Build the PDF into the temporary folder and return its path; throw what the renderer throws.
// Laying out the pages takes the first half of the progress, drawing them the second.
QString makeProjectSheetPDF(const SheetProjectPtr& project, const BusinessProfile& profile,
                            const SheetProgress& progress = {});
QString makeQuotePDF(const SheetProjectPtr& project, const QDateTime& date, const BusinessProfile& profile,
                     const SheetProgress& progress = {});
QString makeProjectSheetPDF(const Project* project);
QString makeQuotePDF(const Project* project, const QDateTime& date);
}  // namespace SheetBuilders
