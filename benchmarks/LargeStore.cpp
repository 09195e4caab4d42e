#include "LargeStore.h"

#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Model/TaxonomyTerm.h"
#include "Corvallen/Store/ModelContainer.h"
#include "Corvallen/Platform/SettingsStore.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QUuid>

#include <sqlite3.h>

#include <functional>
#include <malloc.h>
#include <unistd.h>

namespace corvallen::bench {

namespace {

using Value = QVariant;

sqlite3_stmt* prepare(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        qFatal("large store: %s (%s)", sqlite3_errmsg(db), qPrintable(sql));
    return st;
}

// The value as the store keeps it: dates as milliseconds, UUIDs as upper-case text, booleans as
// 0 or 1; bound by what it then is.
void bind(sqlite3_stmt* st, int col, AttributeType type, Value v)
{
    if (type == AttributeType::Date && v.isValid())
        v = v.toDateTime().toMSecsSinceEpoch();
    else if (type == AttributeType::Uuid && v.isValid())
        v = v.toUuid().toString(QUuid::WithoutBraces).toUpper();
    else if (type == AttributeType::Bool && v.isValid())
        v = qint64(v.toBool());
    if (!v.isValid())
        sqlite3_bind_null(st, col);
    else if (v.typeId() == QMetaType::Double)
        sqlite3_bind_double(st, col, v.toDouble());
    else if (v.typeId() == QMetaType::QString)
        sqlite3_bind_text(st, col, v.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
    else
        sqlite3_bind_int64(st, col, v.toLongLong());
}

// Rows 1..count of one entity's table: `attribute(i, name)` gives each attribute (an invalid
// value is NULL), `link(i, name)` each to-one key (0 for none).
void insertRows(sqlite3* db, const EntityDescriptor& d, int count, const std::function<Value(int, const QString&)>& attribute,
                const std::function<qint64(int, const QString&)>& link = {})
{
    QStringList cols{QStringLiteral("pk")};
    for (const auto& a : d.attributes)
        cols << QLatin1Char('"') + a.name + QLatin1Char('"');
    for (const auto& r : d.toOne)
        cols << QLatin1Char('"') + r.name + QStringLiteral("_pk\"");
    QStringList marks(cols.size(), QStringLiteral("?"));
    sqlite3_stmt* st = prepare(db, QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                       .arg(d.name, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    for (int i = 0; i < count; ++i) {
        int col = 1;
        sqlite3_bind_int64(st, col++, i + 1);
        for (const auto& a : d.attributes)
            bind(st, col++, a.type, attribute(i, a.name));
        for (const auto& r : d.toOne) {
            const qint64 key = link ? link(i, r.name) : 0;
            if (key > 0)
                sqlite3_bind_int64(st, col++, key);
            else
                sqlite3_bind_null(st, col++);
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            qFatal("large store: %s", sqlite3_errmsg(db));
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

const QDateTime& base()
{
    static const QDateTime when(QDate(2023, 1, 1), QTime(8, 0), Qt::UTC);
    return when;
}

// A screen of the instrument (480 x 272, hard-edged text on black) or a photo of the bench
// (1920 x 1080, noisy, so it compresses like one).
QImage sourcePicture(int n)
{
    if (n % 4 == 3) {
        QImage photo(1920, 1080, QImage::Format_RGB32);
        QRandomGenerator rng{quint32(n)};
        for (int y = 0; y < photo.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x)
                line[x] = qRgb((x / 8 + n * 40) % 256, (y / 5) % 256, int(rng.bounded(64)) + 96);
        }
        return photo;
    }
    QImage screen(480, 272, QImage::Format_RGB32);
    screen.fill(Qt::black);
    QPainter p(&screen);
    p.setPen(QColor(255, 220, 0));
    QFont font = p.font();
    font.setPixelSize(48);
    p.setFont(font);
    p.drawText(screen.rect(), Qt::AlignCenter, QStringLiteral("%1.%2 V").arg(n + 1).arg(n * 37 % 1000, 3, 10, QLatin1Char('0')));
    return screen;
}

}  // namespace

void writeLargeStore(const QString& storePath, const QString& capturesFolder, const LargeStoreShape& shape)
{
    if (QFileInfo::exists(storePath))
        qFatal("large store: %s exists already", qPrintable(storePath));
    {
        // The store makes its own tables, indexes and schema version.
        QString error;
        if (!ModelContainer::open(storePath, corvallenSchema(), &error))
            qFatal("large store: %s", qPrintable(error));
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(storePath.toUtf8().constData(), &db) != SQLITE_OK)
        qFatal("large store: cannot open %s", qPrintable(storePath));
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);

    const QStringList makers = {QStringLiteral("Texas Instruments"), QStringLiteral("Yageo"), QStringLiteral("Murata"),
                                QStringLiteral("STMicroelectronics"), QStringLiteral("Vishay")};
    const QStringList modes = {QStringLiteral("DC V"), QStringLiteral("AC V"), QStringLiteral("DC A"), QStringLiteral("Ohm"),
                               QStringLiteral("Scope")};

    insertRows(db, Project::descriptor(), shape.projects, [](int i, const QString& a) -> Value {
        if (a == QLatin1String("name")) return QStringLiteral("Project %1").arg(i);
        if (a == QLatin1String("details")) return QStringLiteral("Repair job for a customer's bench supply");
        if (a == QLatin1String("notes")) return QStringLiteral("Replaced the filter capacitors; check the ripple again.");
        if (a == QLatin1String("createdAt")) return base().addDays(i);
        if (a == QLatin1String("quoteCombined")) return false;
        return {};
    });
    insertRows(db, Tag::descriptor(), shape.tags, [](int i, const QString& a) -> Value {
        if (a == QLatin1String("name")) return QStringLiteral("tag %1").arg(i);
        return QStringLiteral("#FF6B6B");
    });
    insertRows(
        db, Capture::descriptor(), shape.captures,
        [&](int i, const QString& a) -> Value {
            if (a == QLatin1String("fileName")) return QStringLiteral("scope_%1.png").arg(i, 6, 10, QLatin1Char('0'));
            if (a == QLatin1String("title"))
                return i % 5 ? QStringLiteral("unnamed_scope_%1").arg(i, 6, 10, QLatin1Char('0')) : QStringLiteral("Ripple check %1").arg(i);
            if (a == QLatin1String("notes"))
                return i % 3 ? QString(QLatin1String("")) : QStringLiteral("Bench supply ripple after the repair, run %1").arg(i);
            if (a == QLatin1String("importedAt")) return base().addSecs(qint64(i) * 97);
            if (a == QLatin1String("mode")) return i % 4 ? Value(modes[i % modes.size()]) : Value();
            if (a == QLatin1String("value")) return i % 4 ? Value(i * 0.01) : Value();
            if (a == QLatin1String("unit")) return i % 4 ? Value(QStringLiteral("V")) : Value();
            if (a == QLatin1String("minValue") || a == QLatin1String("maxValue")) return i % 8 ? Value() : Value(i * 0.011);
            if (a == QLatin1String("summary"))
                return i % 4 ? Value(QStringLiteral("A steady reading of %1 V on the bench supply, within its limits.").arg(i * 0.01)) : Value();
            return {};
        },
        [&](int i, const QString&) -> qint64 { return i % 10 == 0 ? (i / 10) % shape.projects + 1 : 0; });
    {
        sqlite3_stmt* st = prepare(db, QStringLiteral("INSERT INTO Capture_tags (owner_pk, target_pk) VALUES (?, ?)"));
        for (int i = 0; i < shape.captures; i += 3) {
            sqlite3_bind_int64(st, 1, i + 1);
            sqlite3_bind_int64(st, 2, i % shape.tags + 1);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    }
    insertRows(db, Component::descriptor(), shape.components, [&](int i, const QString& a) -> Value {
        if (a == QLatin1String("name")) return QStringLiteral("Part %1").arg(i);
        if (a == QLatin1String("partNumber")) return QStringLiteral("PN-%1").arg(i);
        if (a == QLatin1String("category")) return QStringLiteral("Category %1").arg(i % 12);
        if (a == QLatin1String("manufacturer")) return makers[i % makers.size()];
        if (a == QLatin1String("location")) return QStringLiteral("Drawer %1").arg(i % 30);
        if (a == QLatin1String("qty")) return qint64(i % 7);
        if (a == QLatin1String("minQty")) return qint64(2);
        if (a == QLatin1String("unit")) return QStringLiteral("pcs");
        if (a == QLatin1String("package")) return QStringLiteral("0805");
        if (a == QLatin1String("notes")) return QStringLiteral("Bought for a repair; keep a few spare in the drawer.");
        if (a == QLatin1String("tags")) return QStringLiteral("smd, spare");
        if (a == QLatin1String("statusOverride")) return i % 50 ? Value() : Value(QStringLiteral("ordered"));
        if (a == QLatin1String("createdAt") || a == QLatin1String("updatedAt")) return base().addSecs(qint64(i) * 61);
        return {};
    });
    insertRows(
        db, ProjectComponent::descriptor(), shape.projects * 10,
        [](int i, const QString& a) -> Value {
            if (a == QLatin1String("id")) return QUuid::createUuid();
            if (a == QLatin1String("addedAt")) return base().addSecs(i);
            if (a == QLatin1String("quantity")) return qint64(i % 4 + 1);
            return {};
        },
        [&](int i, const QString& r) -> qint64 {
            return r == QLatin1String("project") ? i / 10 + 1 : qint64(i) * 37 % shape.components + 1;
        });
    insertRows(db, Document::descriptor(), shape.documents, [](int i, const QString& a) -> Value {
        if (a == QLatin1String("fileName")) return QStringLiteral("%1.pdf").arg(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
        if (a == QLatin1String("title")) return QStringLiteral("Service manual %1").arg(i);
        if (a == QLatin1String("typeRaw")) return QStringLiteral("serviceManual");
        if (a == QLatin1String("notes")) return QString(QLatin1String(""));
        if (a == QLatin1String("addedAt")) return base().addDays(i);
        if (a == QLatin1String("libraryMarkupFileName"))
            return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".markup.pdf");
        return {};
    });
    insertRows(
        db, ProjectDocument::descriptor(), shape.projects,
        [](int i, const QString& a) -> Value {
            if (a == QLatin1String("id")) return QUuid::createUuid();
            if (a == QLatin1String("addedAt")) return base().addSecs(i);
            if (a == QLatin1String("markupFileName"))
                return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".markup.pdf");
            return {};
        },
        [&](int i, const QString& r) -> qint64 { return r == QLatin1String("project") ? i + 1 : i % shape.documents + 1; });
    const QList<std::pair<QString, QString>> terms = [&] {
        QList<std::pair<QString, QString>> out;
        for (int i = 0; i < 12; ++i)
            out.append({QStringLiteral("category"), QStringLiteral("Category %1").arg(i)});
        for (const QString& m : makers)
            out.append({QStringLiteral("manufacturer"), m});
        for (int i = 0; i < 30; ++i)
            out.append({QStringLiteral("location"), QStringLiteral("Drawer %1").arg(i)});
        return out;
    }();
    insertRows(db, TaxonomyTerm::descriptor(), int(terms.size()), [&](int i, const QString& a) -> Value {
        if (a == QLatin1String("kindRaw")) return terms[i].first;
        if (a == QLatin1String("name")) return terms[i].second;
        if (a == QLatin1String("createdAt")) return base();
        return {};
    });
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("large store: %s", sqlite3_errmsg(db));
    sqlite3_close(db);

    if (!shape.captureFiles)
        return;
    QDir().mkpath(capturesFolder);
    const QString sources = QFileInfo(capturesFolder).absolutePath() + QStringLiteral("/bench-sources");
    QDir().mkpath(sources);
    QList<QByteArray> sourcePaths;
    for (int n = 0; n < 8; ++n) {
        const QString path = sources + QStringLiteral("/source-%1.png").arg(n);
        if (!sourcePicture(n).save(path, "PNG"))
            qFatal("large store: cannot write %s", qPrintable(path));
        sourcePaths << QFile::encodeName(path);
    }
    for (int i = 0; i < shape.captures; ++i) {
        const QByteArray target = QFile::encodeName(capturesFolder + QStringLiteral("/scope_%1.png").arg(i, 6, 10, QLatin1Char('0')));
        if (::link(sourcePaths[i % sourcePaths.size()].constData(), target.constData()) != 0)
            qFatal("large store: cannot link %s", target.constData());
    }
}

void isolateOffscreen()
{
    corvallen::test::isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

void skipWelcome()
{
    SettingsStore::shared().setText(QStringLiteral("lastWelcomeVersion"), QStringLiteral(CORVALLEN_VERSION));
}

qint64 residentBytes()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

}  // namespace corvallen::bench
