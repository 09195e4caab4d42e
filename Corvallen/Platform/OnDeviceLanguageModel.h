#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

// The on-device language model that turns recognised screen text into a structured answer.
// Linux offers no such system model, so this one is a small rule-based reader for the bench
// instrument's screens (multimeter and oscilloscope): it finds the main reading with its SI
// prefix and unit, MIN and MAX values and the measurement mode, and writes a one-sentence
// summary. It keeps the shape of a language-model session (instructions, a prompt, a schema of
// the wanted properties, default options, structured content back) so callers stay the same if
// a real model takes its place. Stateless and thread-safe: each session answers one request.
namespace OnDeviceLanguageModel {

struct Availability {
    bool available = true;
    QString unavailableReason;  // the reason's text form when not available
};

// Whether the model can answer. The rule-based reader is always there; a test or a support
// switch can turn it off with a reason (nothing = back to available).
Availability availability();
void setUnavailableForTesting(const std::optional<QString>& reason);

enum class PropertyType { text, number };

struct SchemaProperty {
    QString name;
    QString description;
    PropertyType type = PropertyType::text;
    bool optional = false;
};

struct GenerationSchema {
    QString typeName;
    QList<SchemaProperty> properties;
};

// Sampling and length limits; the defaults leave everything to the model.
struct GenerationOptions {
    std::optional<double> temperature;
    std::optional<int> maximumResponseTokens;
};

// One conversation: instructions at creation, then one structured request.
class Session {
public:
    explicit Session(QString instructions);
    QString instructions() const { return m_instructions; }

    // The answer as an ordered property map keyed by the schema's names (optional properties
    // absent when the text shows no such value), or nothing with `error` set. Properties the
    // reader cannot fill are left out; the caller's conversion decides whether that fails.
    std::optional<QVariantMap> respond(const QString& prompt, const GenerationSchema& schema, bool includeSchemaInPrompt,
                                       const GenerationOptions& options, QString* error) const;

private:
    QString m_instructions;
};

// The reading rules on their own, for the answer's properties: "mode", "value", "unit",
// "minValue", "maxValue", "summary". Text without any number gives no "value".
QVariantMap readBenchScreen(const QString& text);

}  // namespace OnDeviceLanguageModel
