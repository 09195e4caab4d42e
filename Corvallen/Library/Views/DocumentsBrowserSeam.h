#pragma once

#include "Corvallen/Library/Views/LibraryView.h"

// Stands in for the documents browser until the documents subsystem hands the Library its own:
// the given documents as a plain list of titles, or the empty-state texts.
namespace DocumentsBrowserSeam {
LibraryView::DocumentsPane make(ModelContext& context, QWidget* parent);
}
