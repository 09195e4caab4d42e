#pragma once

#include <QString>

// Where Corvallen keeps its files on a Linux desktop. The per-user data folder
// ($XDG_DATA_HOME/Corvallen) holds the store, its snapshots and the data folders; the settings
// live under $XDG_CONFIG_HOME/Corvallen. Both are read from the environment on every call, so
// tests can point them at temporary folders.
namespace AppPaths {

// $XDG_DATA_HOME (or ~/.local/share): the user's application-data root. Not created here.
QString userDataRoot();

// userDataRoot()/Corvallen. Not created here.
QString dataFolder();

// $XDG_CONFIG_HOME/Corvallen. Not created here.
QString configFolder();

// The user's private runtime folder ($XDG_RUNTIME_DIR, or a folder of the user's own with
// access for nobody else in the temporary folder), for sockets and the like; empty when no
// such folder can be had.
QString runtimeFolder();

// $XDG_CACHE_HOME/Corvallen (or ~/.cache/Corvallen): files that can be made again from the data,
// such as thumbnails. Not created here.
QString cacheFolder();

// Creates a folder with its parents; true when it exists afterwards. Errors are not reported.
bool ensureFolder(const QString& path);

// True when name is one plain, non-empty path component: no "/", no NUL, not "." or "..".
// Names read from records or archives are used to build paths only when this holds.
bool isPlainFileName(const QString& name);

// A name made from user text (a project's name) that a file can carry on any common disk:
// "/", "\\", ":", "*", "?", quotes, "<", ">", "|" and control characters become "-", leading
// dots are dropped (no hidden or relative names), and it is cut to 200 bytes of UTF-8; the rest
// stays as typed. `fallback` stands in for a name that ends up empty.
QString safeFileName(const QString& text, const QString& fallback);
// The text cut at a character boundary so that its UTF-8 form takes at most maxBytes bytes
// (file names on Linux hold at most 255 bytes).
QString clippedToBytes(QString text, qsizetype maxBytes);

// Where a save dialog starts: the user's documents folder, or the home folder when there is no
// documents folder (a dialog told to start in a missing folder opens the program's working
// folder instead).
QString saveFolder();

// The path with `suffix` (".pdf") added when its file name does not already end in it, in any
// case: a name typed into a save dialog without its extension still gets one.
QString withSuffix(const QString& path, const QString& suffix);

// True when the clean absolute path is the folder or lies inside it ("/media/a" is below
// "/media" and "/", not below "/med").
bool isBelow(const QString& path, const QString& folder);

}  // namespace AppPaths
