#include "Corvallen/Library/CompareSeries.h"

#include "Corvallen/Library/AnalyzeService.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Store/ModelContext.h"

#include <QObject>

#include <cmath>

namespace CompareSeries {

int sheetWidth(qsizetype count)
{
    return int(qMin<qsizetype>(qMax<qsizetype>(count, 1) * 340, 1080));
}

QString seriesTitle(const QList<Capture*>& order)
{
    for (const Capture* c : order)
        if (const auto mode = c->mode())
            return *mode;
    return QObject::tr("Value");
}

QString seriesUnit(const QList<Capture*>& order)
{
    for (const Capture* c : order)
        if (const auto unit = c->unit())
            return *unit;
    return {};
}

QString heading(const QList<Capture*>& order)
{
    return seriesTitle(order) + QObject::tr(" across sequence");
}

bool hasAnyValue(const QList<Capture*>& order)
{
    for (const Capture* c : order)
        if (c->value())
            return true;
    return false;
}

QList<Point> points(const QList<Capture*>& order, const QLocale& locale)
{
    QList<Point> out;
    for (qsizetype i = 0; i < order.size(); ++i)
        if (const auto v = order.at(i)->value())
            out.append({int(i + 1), *v, fourSignificantDigits(*v, locale)});
    return out;
}

QList<Tick> ticks(const QList<Capture*>& order)
{
    QList<Tick> out;
    const qsizetype last = qMax<qsizetype>(order.size(), 1);
    for (qsizetype s = 1; s <= last; ++s)
        out.append({int(s), s <= order.size() ? order.at(s - 1)->title() : QString()});
    return out;
}

QString fourSignificantDigits(double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return locale.toString(value);
    if (value == 0)
        return locale.toString(0.0, 'f', 3);
    // Round first, so 9.9996 becomes 10.00 and not 10.000.
    int magnitude = int(std::floor(std::log10(std::fabs(value))));
    const double scale = std::pow(10.0, 3 - magnitude);
    const double rounded = std::round(value * scale) / scale;
    magnitude = int(std::floor(std::log10(std::fabs(rounded))));
    const int decimals = qMax(0, 3 - magnitude);
    if (magnitude >= 4) {
        // Beyond four digits before the point the remaining digits are zeros, not significant.
        return locale.toString(rounded, 'f', 0);
    }
    return locale.toString(rounded, 'f', decimals);
}

QString readingLine(const Capture& capture, const QLocale& locale)
{
    const auto mode = capture.mode();
    const auto value = capture.value();
    const auto unit = capture.unit();
    if (!mode || !value || !unit)
        return {};
    return *mode + QStringLiteral(": ") + locale.toString(*value, 'g', QLocale::FloatingPointShortest) + QLatin1Char(' ') + *unit;
}

void moveCapture(QList<Capture*>& order, qsizetype from, qsizetype to)
{
    if (from < 0 || from >= order.size())
        return;
    Capture* moved = order.takeAt(from);
    order.insert(qBound<qsizetype>(0, to, order.size()), moved);
}

bool handleDrop(QList<Capture*>& order, const QStringList& droppedTexts, const Capture* target)
{
    if (droppedTexts.isEmpty() || !target)
        return false;
    qsizetype from = -1;
    for (qsizetype i = 0; i < order.size(); ++i)
        if (order.at(i)->fileName() == droppedTexts.first()) {
            from = i;
            break;
        }
    if (from < 0)
        return false;
    qsizetype to = -1;
    for (qsizetype i = 0; i < order.size(); ++i)
        if (order.at(i)->persistentModelID() == target->persistentModelID()) {
            to = i;
            break;
        }
    if (to < 0 || to == from)
        return false;
    moveCapture(order, from, to);
    return true;
}

}  // namespace CompareSeries

ReadingFillIn::ReadingFillIn(ModelContext& context, QObject* parent)
    : QObject(parent)
    , m_context(&context)
{
}

bool ReadingFillIn::start(const QList<Capture*>& order)
{
    if (m_running)
        return false;
    QList<Capture*> missing;
    for (Capture* c : order)
        if (!c->value())
            missing.append(c);
    if (missing.isEmpty())
        return false;
    m_queue = missing;
    m_running = true;
    next();
    return true;
}

void ReadingFillIn::next()
{
    // Captures deleted while the fill-in ran are passed over.
    while (!m_queue.isEmpty() && m_queue.first()->isDeleted())
        m_queue.removeFirst();
    if (m_queue.isEmpty() || !m_context) {
        if (m_context)
            m_context->save();
        m_running = false;
        Q_EMIT finished();
        return;
    }
    Capture* capture = m_queue.takeFirst();
    AnalyzeService::analyzeInBackground(AnalyzeService::imagePathFor(capture->fileName()), this,
                                        [this, capture](const AnalyzeService::Outcome& outcome) {
                                            if (outcome.reading && m_context && !capture->isDeleted()) {
                                                outcome.reading->applyTo(*capture);
                                                Q_EMIT readingWritten(capture);
                                            }
                                            next();
                                        });
}
