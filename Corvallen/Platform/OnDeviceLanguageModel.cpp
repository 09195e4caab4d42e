#include "Corvallen/Platform/OnDeviceLanguageModel.h"

#include "Corvallen/Platform/BenchScreenReader.h"

#include <QMutex>

namespace OnDeviceLanguageModel {

namespace {

QMutex g_availabilityLock;
std::optional<QString> g_unavailableReason;

}  // namespace

Availability availability()
{
    QMutexLocker lock(&g_availabilityLock);
    if (g_unavailableReason)
        return {false, *g_unavailableReason};
    return {};
}

void setUnavailableForTesting(const std::optional<QString>& reason)
{
    QMutexLocker lock(&g_availabilityLock);
    g_unavailableReason = reason;
}

QVariantMap readBenchScreen(const QString& text)
{
    return BenchScreenReader::read(BenchScreenReader::layoutOfText(text));
}

Session::Session(QString instructions)
    : m_instructions(std::move(instructions))
{
}

std::optional<QVariantMap> Session::respond(const QString& prompt, const GenerationSchema& schema, bool,
                                            const GenerationOptions&, QString* error) const
{
    const Availability a = availability();
    if (!a.available) {
        if (error)
            *error = QStringLiteral("The on-device model is not available: %1").arg(a.unavailableReason);
        return std::nullopt;
    }
    if (schema.properties.isEmpty()) {
        if (error)
            *error = QStringLiteral("The request names no properties to generate.");
        return std::nullopt;
    }
    QVariantMap answer;
    if (m_screen) {
        answer = BenchScreenReader::read(*m_screen);
    } else {
        // The prompt is a header line, a blank line and the screen text; only the text is read.
        QString text = prompt;
        const qsizetype blank = text.indexOf(QStringLiteral("\n\n"));
        if (blank >= 0)
            text = text.mid(blank + 2);
        answer = readBenchScreen(text);
    }
    QVariantMap out;
    for (const SchemaProperty& p : schema.properties)
        if (answer.contains(p.name))
            out.insert(p.name, answer.value(p.name));
    return out;
}

}  // namespace OnDeviceLanguageModel
