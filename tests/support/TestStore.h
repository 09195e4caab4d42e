#pragma once

#include "Corvallen/Platform/ModelContainer.h"

#include <QString>

#include <memory>

namespace corvallen::test {

// A fresh store file with the application's schema, in its own temporary folder. Autosave is
// off, so a test decides when to save; `path` receives the store file's path.
std::unique_ptr<ModelContainer> openTestStore(QString* path = nullptr);

// Opens the store file at `path` again (after the first container was destroyed).
std::unique_ptr<ModelContainer> reopenTestStore(const QString& path);

}  // namespace corvallen::test
