#include "Corvallen/Library/CaptureReading.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Store/ModelContext.h"

using OnDeviceLanguageModel::GenerationSchema;
using OnDeviceLanguageModel::PropertyType;

const GenerationSchema& CaptureReading::generationSchema()
{
    static const GenerationSchema schema{
        QStringLiteral("CaptureReading"),
        {
            {QStringLiteral("mode"),
             QStringLiteral("Measurement mode, e.g. 'DC Voltage', 'AC Voltage', 'Resistance', 'Oscilloscope', 'Continuity'"),
             PropertyType::text, false},
            {QStringLiteral("value"), QStringLiteral("Main numeric reading as shown, no units, e.g. 4.552"), PropertyType::number,
             false},
            {QStringLiteral("unit"), QStringLiteral("Unit, e.g. V, mV, A, Ohm, Hz"), PropertyType::text, false},
            {QStringLiteral("minValue"), QStringLiteral("Minimum value if a MIN is shown, otherwise leave nil"),
             PropertyType::number, true},
            {QStringLiteral("maxValue"), QStringLiteral("Maximum value if a MAX is shown, otherwise leave nil"),
             PropertyType::number, true},
            {QStringLiteral("summary"), QStringLiteral("One short plain-English sentence explaining what the capture shows"),
             PropertyType::text, false},
        }};
    return schema;
}

QVariantMap CaptureReading::toGeneratedContent() const
{
    QVariantMap out;
    out.insert(QStringLiteral("mode"), mode);
    if (value)
        out.insert(QStringLiteral("value"), *value);
    out.insert(QStringLiteral("unit"), unit);
    if (minValue)
        out.insert(QStringLiteral("minValue"), *minValue);
    if (maxValue)
        out.insert(QStringLiteral("maxValue"), *maxValue);
    out.insert(QStringLiteral("summary"), summary);
    return out;
}

namespace {

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

}  // namespace

std::optional<CaptureReading> CaptureReading::fromGeneratedContent(const QVariantMap& content, QString* error)
{
    auto fail = [&](const QString& name, const char*) -> std::optional<CaptureReading> {
        if (error)
            *error = QStringLiteral("The model's answer has no valid %1.").arg(name);
        return std::nullopt;
    };
    CaptureReading r;
    if (content.value(QStringLiteral("mode")).typeId() != QMetaType::QString)
        return fail(QStringLiteral("mode"), "text");
    const QVariant value = content.value(QStringLiteral("value"));
    if (value.isValid() ? !isNumber(value) : !content.contains(QStringLiteral("summary")))
        return fail(QStringLiteral("value"), "number");
    for (const char* key : {"unit", "summary"}) {
        const QVariant v = content.value(QLatin1String(key));
        if (v.typeId() != QMetaType::QString)
            return fail(QLatin1String(key), "text");
    }
    r.mode = content.value(QStringLiteral("mode")).toString();
    if (value.isValid())
        r.value = value.toDouble();
    r.unit = content.value(QStringLiteral("unit")).toString();
    r.summary = content.value(QStringLiteral("summary")).toString();
    const QVariant minValue = content.value(QStringLiteral("minValue"));
    if (isNumber(minValue))
        r.minValue = minValue.toDouble();
    const QVariant maxValue = content.value(QStringLiteral("maxValue"));
    if (isNumber(maxValue))
        r.maxValue = maxValue.toDouble();
    return r;
}

void CaptureReading::applyTo(Capture& capture) const
{
    capture.setMode(mode);
    capture.setValue(value);
    capture.setUnit(unit);
    capture.setMinValue(minValue);
    capture.setMaxValue(maxValue);
    capture.setSummary(summary);
}

void applyReading(const CaptureReading& reading, Capture& capture, ModelContext* context)
{
    if (capture.isDeleted())
        return;
    reading.applyTo(capture);
    if (context)
        context->save();
}
