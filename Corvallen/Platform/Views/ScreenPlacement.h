#pragma once

class QApplication;
class QWidget;

// Sizes and places a top-level window that is about to be shown so that all of it, window
// manager's frame included, lies in the available area of the screen it opens on: centred on
// `near` (the active window when none is given), cut down to the screen when larger than it.
// Without this a stacking window manager puts a tall window wherever it likes, its bottom edge
// and buttons below the screen.
void placeOnScreen(QWidget* window, const QWidget* near = nullptr);

// Keeps every dialog that opens (sheets, questions) inside the available screen area as well:
// one taller or wider than the screen is cut down to it as it is shown, its top-left corner
// kept on the screen. Installed once on the application.
void keepDialogsOnScreen(QApplication& app);
