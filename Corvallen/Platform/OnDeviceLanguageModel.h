#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// The on-device language model that turns recognised screen text into a structured answer.
// Linux offers no such system model, so this one is a reader for the bench instrument's screens
// (multimeter and oscilloscope) that reads the screen's layout as a person does (see
// BenchScreenReader): the number drawn largest with the unit beside it, labelled MIN / MAX
// values in their boxes, status items set aside, the mode from the screen's labels and the
// unit, overloads without a value, and a one-sentence summary. It keeps the shape of a
// language-model session (instructions, a prompt, a schema of the wanted properties, default
// options, structured content back) so callers stay the same if a real model takes its place;
// like a model that takes an image with its prompt, a session can be given the recognised
// screen with its layout. Stateless and thread-safe: each session answers one request. The
// answers come from the screen reader of the capture analysis (Corvallen/Library/Reading), which
// links its rules to this interface.
namespace OnDeviceLanguageModel {

// One word read off an instrument screen, where it stands and how large it is drawn.
struct ScreenWord {
    QString text;
    QRect box;              // in the pixels of the image read (a very large screenshot is read at half size)
    int textHeight = 0;     // height of its tallest glyph, in pixels: how large it is drawn
    float confidence = 0;   // 0..100
    int row = 0;            // words sharing a row share this index; rows run top to bottom
    bool segmentDigits = false;  // read from seven-segment digits rather than by the recogniser
};

// Everything read off a screenshot: the words with their places and sizes, and the outlined or
// filled boxes that group them.
struct ScreenText {
    QList<ScreenWord> words;  // in reading order: rows top to bottom, words left to right
    QList<QRect> boxes;
    QSize size;
    bool waveform = false;  // a trace drawn across much of the screen (an oscilloscope's)
    bool drawn = true;      // false for plain text laid out as lines: its sizes and places tell nothing
    // The words as text lines, one per row, words separated by single spaces.
    QStringList lines() const;
};

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

    // The screen the prompt's text was read from, with where each word stands and how large it
    // is drawn; the answer is then read from the layout rather than from the prompt's lines.
    void attachScreen(ScreenText screen) { m_screen = std::move(screen); }

    // The answer as an ordered property map keyed by the schema's names (optional properties
    // absent when the text shows no such value), or nothing with `error` set. Properties the
    // reader cannot fill are left out; the caller's conversion decides whether that fails.
    std::optional<QVariantMap> respond(const QString& prompt, const GenerationSchema& schema, bool includeSchemaInPrompt,
                                       const GenerationOptions& options, QString* error) const;

private:
    QString m_instructions;
    std::optional<ScreenText> m_screen;
};

// The reading rules on plain text (lines of words, all taken as drawn at one size), for the
// answer's properties: "mode", "value", "unit", "minValue", "maxValue", "summary". Text without
// a readable number gives no "value"; an overload gives none either, and says so in "summary".
QVariantMap readBenchScreen(const QString& text);

}  // namespace OnDeviceLanguageModel
