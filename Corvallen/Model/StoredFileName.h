#pragma once

#include <QString>

// Naming of the files that the component and document stores keep.
namespace StoredFileName {

// The path extension of a file name: the text after its last ".", empty when there is none or
// when the only dot opens the name (".profile" has no extension).
QString pathExtension(const QString& fileName);

// A fresh stored name: the upper-case text of a new UUID, then "." and the extension when it
// is not empty. The caller lower-cases the extension.
QString make(const QString& extension);

// The markup file that belongs to a markup name (key) kept in a record: the key followed by
// ".markup.pdf". Empty when the key is not a plain file name, so that no other file is touched.
QString markupFileName(const QString& key);

// Copies a file the user picked into a store folder under a fresh name (its extension in lower
// case) and returns that name; the source stays in place. A failed copy throws DomainError with
// the file error.
QString copyIntoFolder(const QString& sourcePath, const QString& folder);
// The same copy under a name the caller chose: written nameless and named once whole.
void copyWhole(const QString& sourcePath, const QString& targetPath);

}  // namespace StoredFileName
