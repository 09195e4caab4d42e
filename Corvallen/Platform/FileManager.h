#pragma once

#include <QString>

#include <functional>

class QObject;

// Shows a file in the desktop's file manager.
namespace FileManager {

// Asks the file manager to show the file selected (the freedesktop FileManager1 service on the
// session bus); when no such service answers, opens the file's folder with the desktop's opener
// (xdg-open). `done` runs on the calling thread with an empty text once the file is shown, or
// with the reason when nothing could show it (no file manager installed). Never blocks: the
// request and the opener run asynchronously, and `done` is dropped when `context` goes away.
void showInFiles(const QString& path, QObject* context, std::function<void(const QString& error)> done);

// The reason given when no file manager could show the file.
QString noFileManagerText(const QString& path);

}  // namespace FileManager
