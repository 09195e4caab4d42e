#include "Corvallen/Backup/BackupError.h"

#include <cstring>

BackupError::BackupError(QString domain, int code, QString message)
    : m_domain(std::move(domain)), m_code(code), m_message(std::move(message)), m_what(m_message.toStdString())
{
}

BackupError BackupError::backup(const QString& message) { return BackupError(backupDomain, 1, message); }

BackupError BackupError::fileSystem(const QString& action, int errnum)
{
    return BackupError(posixDomain, errnum, action + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errnum)));
}
