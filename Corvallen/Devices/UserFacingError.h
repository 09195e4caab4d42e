#pragma once

#include <QString>

#include <exception>
#include <string>

// Base of the failures this subsystem throws. Each carries the sentence the user reads (after
// "Flash failed: " on the firmware page), so callers can catch one type and show its text.
class UserFacingError : public std::exception {
public:
    explicit UserFacingError(QString description)
        : m_description(std::move(description)), m_what(m_description.toStdString())
    {
    }

    // The user-facing description of the failure.
    const QString& errorDescription() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    QString m_description;
    std::string m_what;
};
