#pragma once

#include "Corvallen/Exports/BusinessProfile.h"
#include "Corvallen/Exports/SheetBlock.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QPaintDevice;

// How far a long export has come, from 0 to 1. Answering false stops it: the builder then
// throws (DomainError "Corvallen.PDF", code 2) and writes nothing.
using SheetProgress = std::function<bool(double done)>;

// One A4 page of an export: the page's blocks and whether the page carries the full branding
// header (the first page) or the slim one.
struct SheetPageEntry {
    bool fullHeader = false;
    SheetBlockPtr view;
};

namespace SheetRenderer {
constexpr double pageWidth = 595;
constexpr double pageHeight = 842;
constexpr double margin = 42;

// Draws the entries as A4 pages (595 x 842 points, numbered "Page i of n") into one PDF, built
// in memory and written in one go to "<title>-<UUID>.pdf" in the temporary folder. Returns that
// path; the caller owns the file. Throws DomainError: "Couldn't create the PDF." (domain
// "Corvallen.PDF", code 1) when no PDF could be drawn, or the file error when it cannot be
// written (nothing is left behind then).
QString renderSheetPDF(const QList<SheetPageEntry>& pages, const BusinessProfile& profile, const QString& title,
                       const SheetProgress& progress = {});
// Reports `done` to `progress` (when there is one); throws the stop when it answers false.
void report(const SheetProgress& progress, double done);
// The part of a longer whole that one step covers: `done` of the step is reported as
// from + done * (to - from) of the whole.
SheetProgress share(const SheetProgress& progress, double from, double to);

// The page frame's texts for one page (header, footer), top to bottom.
QStringList frameTexts(const BusinessProfile& profile, bool fullHeader, int pageIndex, int pageCount);

// The width and height a page's blocks may fill between the header (with the 14 points below
// it) and the footer. The builders fit each page's rows into this height.
constexpr double contentWidth = pageWidth - 2 * margin;
double contentHeight(const BusinessProfile& profile, bool fullHeader, QPaintDevice* device);
// The top of the footer band, in points from the top of the page: nothing but the footer is
// drawn below it.
double footerTop(QPaintDevice* device);

// A paint device that measures text exactly as the PDF pages draw it (72 dots per inch).
class MeasureDevice {
public:
    MeasureDevice();
    ~MeasureDevice();
    QPaintDevice* device() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
}  // namespace SheetRenderer
