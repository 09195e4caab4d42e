#pragma once

#include <QString>

#include <functional>

class QWidget;

// Shows the file selected in the desktop's file manager, without waiting for it. When no file
// manager can show it, `cannotShow` gets the reason; without one, an information alert on
// `parent` gives it. Nothing runs once `parent` is gone.
void showInFileManager(const QString& path, QWidget* parent, std::function<void(const QString& reason)> cannotShow = {});
