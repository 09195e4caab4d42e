#pragma once

// The markup tool of a viewer, in toolbar order.
enum class MarkupMode { pan, select, pen, eraser, note };
