#pragma once

#include <QString>
#include <QUuid>

// The 36-character upper-case text form of a UUID, as stored file names and ids use it.
inline QString uuidText(const QUuid& u) { return u.toString(QUuid::WithoutBraces).toUpper(); }
inline QString newUuidText() { return uuidText(QUuid::createUuid()); }
