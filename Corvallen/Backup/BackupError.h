#pragma once

#include <QString>

#include <exception>
#include <string>

// The one kind of failure the backup code throws. Failures the backup code makes itself are in
// the domain "Corvallen.Backup" with code 1; a failed file operation carries the domain
// "POSIX" and the errno value, with a sentence that names the file. Every failure carries the
// sentence the Storage pane shows as it is.
class BackupError : public std::exception {
public:
    static inline const QString backupDomain = QStringLiteral("Corvallen.Backup");
    static inline const QString posixDomain = QStringLiteral("POSIX");

    BackupError(QString domain, int code, QString message);

    // A failure of the backup code itself: domain "Corvallen.Backup", code 1.
    static BackupError backup(const QString& message);
    // A failed file operation: "<action>: <strerror(errnum)>", domain "POSIX", code errnum.
    static BackupError fileSystem(const QString& action, int errnum);

    const QString& domain() const noexcept { return m_domain; }
    int code() const noexcept { return m_code; }
    const QString& localizedDescription() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    QString m_domain;
    int m_code;
    QString m_message;
    std::string m_what;
};
