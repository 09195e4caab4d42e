#pragma once

#include <QString>

// Why a save of the store failed, in the words a user understands ("The disk is full."), from
// SQLite's result code. The engine's own message is kept only for what has no plain name.
namespace StoreErrorText {

QString plainReason(int sqliteResultCode, const QString& engineMessage = {});

}  // namespace StoreErrorText
