#pragma once

#include <QString>

namespace corvallen::test {

// Points XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME and TMPDIR at fresh folders inside one
// temporary root, so that no test ever reads or writes the real user's data. Called by the test
// mains before any Qt object exists; the root is removed when the process ends.
void isolateEnvironment();

// The root of this process's isolated folders.
QString isolatedRoot();

// A fresh, empty folder inside the isolated root.
QString freshFolder(const QString& hint = QStringLiteral("t"));

}  // namespace corvallen::test
