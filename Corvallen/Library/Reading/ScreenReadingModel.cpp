// The on-device model's answers: the interface lives with the platform stand-ins, the rules that
// answer live here with the rest of the screen reading.
#include "Corvallen/Platform/OnDeviceLanguageModel.h"

#include "Corvallen/Library/Reading/BenchScreenReader.h"

namespace OnDeviceLanguageModel {

QVariantMap readBenchScreen(const QString& text)
{
    return BenchScreenReader::read(BenchScreenReader::layoutOfText(text));
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
