#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share: a private place for the files they write, and a way to stop on
// a broken rule with a message (the drivers keep the input that did it).
namespace fuzz {

// Points XDG_DATA_HOME, XDG_CONFIG_HOME and TMPDIR at a fresh temporary folder, removed at exit,
// so no target ever touches the user's own files. Returns that folder.
QString isolate();

QByteArray bytes(const uint8_t* data, size_t size);

// Prints the broken rule and aborts.
[[noreturn]] void fail(const char* rule, const QString& detail = {});

}  // namespace fuzz
