#include "Corvallen/Store/StoreErrorText.h"

#include <QCoreApplication>

#include <sqlite3.h>

namespace StoreErrorText {

QString plainReason(int code, const QString& engineMessage)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("StoreErrorText", text); };
    // The primary code is the low byte; the extended codes only refine it.
    switch (code & 0xff) {
    case SQLITE_FULL: return tr("The disk is full.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return tr("The store is locked by another program.");
    case SQLITE_READONLY: return tr("The store can\u2019t be written to: it is read-only.");
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN: return tr("Corvallen isn\u2019t allowed to write to the store.");
    case SQLITE_IOERR: return tr("The disk reported an error while writing.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return tr("The store file is damaged.");
    case SQLITE_NOMEM: return tr("There isn\u2019t enough memory.");
    case SQLITE_CONSTRAINT: return tr("A change conflicts with what is already in the store.");
    default: break;
    }
    if (engineMessage.isEmpty())
        return tr("The store reported an unknown error.");
    return tr("The store reported: %1.").arg(engineMessage);
}

}  // namespace StoreErrorText
