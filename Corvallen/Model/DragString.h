#pragma once

#include "Corvallen/Store/PersistentIdentifier.h"

#include <QString>

#include <optional>

class Capture;
class Component;

// The plain-text strings that carry things onto a project by drag and drop: a component as
// "corvallen-part:" and a capture as "corvallen-capture:", each followed by the standard padded
// Base64 of its persistent identifier's JSON; a document as its stored file name, no prefix.
namespace DragString {

QString partPrefix();     // "corvallen-part:"
QString capturePrefix();  // "corvallen-capture:"

// prefix + Base64(JSON of the identifier); the prefix alone when the identifier is not valid
// (a record that was never inserted), which every reader rejects.
QString encode(const QString& prefix, const PersistentIdentifier& id);
QString forComponent(const Component& component);
QString forCapture(const Capture& capture);

// The identifier carried by a string with that exact (case-sensitive) prefix. Nothing when the
// prefix is missing, the rest is not strict standard Base64 with padding (no spaces, line
// breaks or URL-safe letters), or the bytes are not a persistent identifier's JSON.
std::optional<PersistentIdentifier> decode(const QString& text, const QString& prefix);

// Where a dropped string goes: by its prefix only, never by decoding it.
enum class DropKind { part, capture, file };
DropKind route(const QString& text);

}  // namespace DragString
