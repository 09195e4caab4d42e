#pragma once

#include <QList>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class Capture;
class ModelContext;

// The data behind the compare sheet: the sequence the user arranges, the series it plots, the
// texts and the sheet's width. Plain functions over the captures in sequence order.
namespace CompareSeries {

// min(max(count, 1) × 340, 1080).
int sheetWidth(qsizetype count);
// The mode of the first capture that has one, else "Value".
QString seriesTitle(const QList<Capture*>& order);
// The unit of the first capture that has one, else "".
QString seriesUnit(const QList<Capture*>& order);
// seriesTitle + " across sequence".
QString heading(const QList<Capture*>& order);
bool hasAnyValue(const QList<Capture*>& order);

struct Point {
    int step = 0;  // 1-based position in the sequence
    double value = 0;
    QString annotation;  // four significant digits
};
// One point per capture with a value, at its step; captures without a value leave gaps that the
// line joins over.
QList<Point> points(const QList<Capture*>& order, const QLocale& locale = QLocale());

struct Tick {
    int step = 0;
    QString label;  // the title of the capture at that step; "" past the end
};
// Ticks at every step from 1 to max(count, 1).
QList<Tick> ticks(const QList<Capture*>& order);

// A value with exactly four significant digits in the locale: 4.552, 12.00, 0.5000.
QString fourSignificantDigits(double value, const QLocale& locale = QLocale());

// "mode: value unit" when all three are present; nothing otherwise.
QString readingLine(const Capture& capture, const QLocale& locale = QLocale());

// Removes the capture at `from` and puts it at min(to, count after the removal).
void moveCapture(QList<Capture*>& order, qsizetype from, qsizetype to);
// A dropped file name onto the column of `target`: reorders and returns true, or refuses.
bool handleDrop(QList<Capture*>& order, const QStringList& droppedTexts, const Capture* target);

}  // namespace CompareSeries

// Fills in the readings of the captures that have no value, one analysis after another on a
// worker thread; each reading is written on the main thread as it arrives, failures are skipped
// silently, and the context is saved once after the last one. Runs to its end even when the
// sheet closes.
class ReadingFillIn : public QObject {
    Q_OBJECT
public:
    explicit ReadingFillIn(ModelContext& context, QObject* parent = nullptr);

    // Starts on those of `order` without a value; false (and no signal) when there are none or
    // a fill-in is already running.
    bool start(const QList<Capture*>& order);
    bool isRunning() const { return m_running; }

Q_SIGNALS:
    void readingWritten(Capture* capture);
    void finished();

private:
    void next();

    QPointer<ModelContext> m_context;
    QList<Capture*> m_queue;
    bool m_running = false;
};
