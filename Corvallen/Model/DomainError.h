#pragma once

#include <QString>

#include <exception>
#include <string>

// A failure as the stores report it: the error domain ("Corvallen" for the stores' own
// failures, or the facility that failed underneath, such as "QFileDevice" for a file operation
// or "QNetworkReply" for a transfer), a code within that domain, and the sentence the user
// reads. Thrown by synchronous operations, handed over by asynchronous ones.
class DomainError : public std::exception {
public:
    DomainError(QString domain, int code, QString description)
        : m_domain(std::move(domain)), m_code(code), m_description(std::move(description)),
          m_what(m_description.toStdString())
    {
    }

    const QString& domain() const noexcept { return m_domain; }
    int code() const noexcept { return m_code; }
    // The sentence shown to the user.
    const QString& localizedDescription() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    QString m_domain;
    int m_code;
    QString m_description;
    std::string m_what;
};
