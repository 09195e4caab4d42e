#pragma once

#include "Corvallen/Platform/OnDeviceLanguageModel.h"

#include <QString>
#include <QVariantMap>

#include <optional>

class Capture;
class ModelContext;

// The reading shown on a capture, as the analysis extracts it.
struct CaptureReading {
    QString mode;
    std::optional<double> value;  // absent when the screen shows an overload instead of a number
    QString unit;
    std::optional<double> minValue;
    std::optional<double> maxValue;
    QString summary;

    // The properties the model is asked to fill, in order, with what each one means.
    static const OnDeviceLanguageModel::GenerationSchema& generationSchema();

    // "mode", "value" (when present), "unit", then "minValue" and "maxValue" only when present,
    // then "summary".
    QVariantMap toGeneratedContent() const;
    // Reads each property by name and type; a missing or ill-typed mode, unit or summary, or an
    // ill-typed value, gives nothing with `error` set. minValue and maxValue are optional. The
    // value may be missing only from an answer that explains itself in its summary (an overload
    // has no value); an answer with neither a value nor a summary found no reading and fails.
    static std::optional<CaptureReading> fromGeneratedContent(const QVariantMap& content, QString* error);

    // Writes all six fields into the capture, in order; an absent value, minimum or maximum
    // clears the stored one. Does not save.
    void applyTo(Capture& capture) const;

    friend bool operator==(const CaptureReading&, const CaptureReading&) = default;
};

// Writes the reading into the capture and saves the context (a failing save is ignored; the
// changes stay pending). A capture deleted meanwhile is left alone.
void applyReading(const CaptureReading& reading, Capture& capture, ModelContext* context);
