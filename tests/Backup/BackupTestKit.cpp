#include "BackupTestKit.h"

#include "Corvallen/Backup/BackupBundle.h"
#include "Corvallen/Backup/SelectiveRestore.h"
#include "Corvallen/Model/Capture.h"
#include "Corvallen/Model/Component.h"
#include "Corvallen/Model/Document.h"
#include "Corvallen/Model/Project.h"
#include "Corvallen/Model/ProjectComponent.h"
#include "Corvallen/Model/ProjectDocument.h"
#include "Corvallen/Model/Schema.h"
#include "Corvallen/Model/StoreLocation.h"
#include "Corvallen/Model/Tag.h"
#include "Corvallen/Store/ModelContext.h"
#include "support/EventLoop.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <stdexcept>

#include <algorithm>

namespace backuptest {

void BackupTest::SetUp()
{
    qputenv("XDG_DATA_HOME", corvallen::test::freshFolder(QStringLiteral("data")).toUtf8());
    tmp = corvallen::test::freshFolder(QStringLiteral("tmp"));
    qputenv("TMPDIR", tmp.toUtf8());
    reopenStore();
}

void BackupTest::TearDown() { container.reset(); }

QString BackupTest::data() const { return StoreLocation::dataFolder(); }
QString BackupTest::data(const QString& name) const { return data() + QLatin1Char('/') + name; }

void BackupTest::reopenStore()
{
    container.reset();
    QString error;
    container = ModelContainer::open(StoreLocation::storeURL(), corvallenSchema(), &error);
    ASSERT_TRUE(container) << error.toStdString();
    container->mainContext().setAutosaveEnabled(false);
}

void BackupTest::switchToFreshDataFolder()
{
    container.reset();
    qputenv("XDG_DATA_HOME", corvallen::test::freshFolder(QStringLiteral("data")).toUtf8());
    reopenStore();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QMap<QString, QByteArray> folderContents(const QString& folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        const QString rel = p.mid(folder.size() + 1);
        if (it.fileInfo().isDir())
            out.insert(rel + QLatin1Char('/'), {});
        else if (rel.endsWith(QLatin1String("-shm")))
            out.insert(rel, {});  // SQLite's shared-memory index: every reader writes its marks there
        else
            out.insert(rel, readBytes(p));
    }
    return out;
}

QStringList temporaryLeftovers(const QString& tmp)
{
    return QDir(tmp).entryList({QStringLiteral("Corvallen*")}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QStringList dataFolderLeftovers(const QString& data)
{
    QStringList out;
    const QStringList known{QStringLiteral("Corvallen.store"), QStringLiteral("Corvallen.store-wal"), QStringLiteral("Corvallen.store-shm"),
                            QStringLiteral("backups"), QStringLiteral("captures"), QStringLiteral("components"), QStringLiteral("documents")};
    for (const QString& n : QDir(data).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!known.contains(n))
            out << n;
    return out;
}

QByteArray noise(int size, quint32 seed)
{
    QByteArray out(size, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = char(x & 0xff);
    }
    return out;
}

namespace {

QString opt(const std::optional<QString>& v) { return v ? QStringLiteral("\"%1\"").arg(*v) : QStringLiteral("-"); }
QString opt(std::optional<double> v) { return v ? QString::number(*v, 'g', 17) : QStringLiteral("-"); }
QString secs(const QDateTime& d) { return QString::number(d.toSecsSinceEpoch()); }

}  // namespace

QStringList describeStore(ModelContext& c)
{
    QStringList lines;
    for (const Component* x : c.fetch<Component>()) {
        QStringList uses;
        for (const ProjectComponent* u : x->projectUses())
            uses << (u->project() ? u->project()->name() : QStringLiteral("-"));
        std::sort(uses.begin(), uses.end());
        lines << QStringList{QStringLiteral("Component"), x->name(), opt(x->partNumber()), opt(x->category()), opt(x->subcategory()),
                             opt(x->manufacturer()), QString::number(x->qty()), x->unit(), QString::number(x->minQty()),
                             opt(x->location()), opt(x->bin()), opt(x->voltage()), opt(x->current()), opt(x->power()),
                             opt(x->interface()), opt(x->logicLevel()), opt(x->package()), opt(x->keySpecs()), opt(x->notes()),
                             opt(x->tags()), opt(x->confidence()), opt(x->shoppingURL()), opt(x->photoFile()),
                             opt(x->datasheetFile()), opt(x->manualFile()), opt(x->datasheetURL()), opt(x->manualURL()),
                             opt(x->photoURL()), opt(x->statusOverride()), opt(x->purchasePrice()), opt(x->resellPrice()),
                             secs(x->createdAt()), secs(x->updatedAt()), QStringLiteral("uses=") + uses.join(QLatin1Char(','))}
                     .join(QLatin1Char('|'));
    }
    for (const Document* x : c.fetch<Document>())
        lines << QStringList{QStringLiteral("Document"), x->fileName(), x->title(), x->typeRaw(), x->notes(), opt(x->tags()),
                             opt(x->sourceURL()), opt(x->libraryMarkupFileName()), secs(x->addedAt()),
                             QString::number(x->attachments().size())}
                     .join(QLatin1Char('|'));
    for (const Tag* x : c.fetch<Tag>())
        lines << QStringList{QStringLiteral("Tag"), x->name(), x->colorHex()}.join(QLatin1Char('|'));
    for (const Project* x : c.fetch<Project>()) {
        QStringList bom;
        for (const ProjectComponent* l : x->parts())
            bom << QStringLiteral("%1x%2@%3").arg(l->component() ? l->component()->name() : QStringLiteral("-")).arg(l->quantity()).arg(secs(l->addedAt()));
        QStringList att;
        for (const ProjectDocument* a : x->attachments())
            att << QStringLiteral("%1:%2@%3").arg(a->document() ? a->document()->fileName() : QStringLiteral("-"), a->markupFileName(), secs(a->addedAt()));
        std::sort(bom.begin(), bom.end());
        std::sort(att.begin(), att.end());
        lines << QStringList{QStringLiteral("Project"), x->name(), x->details(), x->notes(), secs(x->createdAt()), opt(x->labourHours()),
                             opt(x->labourRate()), opt(x->labourFlat()), x->quoteCombined() ? QStringLiteral("combined") : QStringLiteral("split"),
                             QStringLiteral("bom=") + bom.join(QLatin1Char(',')), QStringLiteral("att=") + att.join(QLatin1Char(','))}
                     .join(QLatin1Char('|'));
    }
    for (const Capture* x : c.fetch<Capture>()) {
        QStringList tags;
        for (const Tag* t : x->tags())
            tags << t->name();  // in link order
        lines << QStringList{QStringLiteral("Capture"), x->fileName(), x->title(), x->notes(), secs(x->importedAt()), opt(x->mode()),
                             opt(x->unit()), opt(x->summary()), opt(x->value()), opt(x->minValue()), opt(x->maxValue()),
                             QStringLiteral("project=") + (x->project() ? x->project()->name() : QStringLiteral("-")),
                             QStringLiteral("tags=") + tags.join(QLatin1Char(','))}
                     .join(QLatin1Char('|'));
    }
    lines << QStringLiteral("ProjectComponent count %1").arg(c.fetchCount<ProjectComponent>());
    lines << QStringLiteral("ProjectDocument count %1").arg(c.fetchCount<ProjectDocument>());
    std::sort(lines.begin(), lines.end());
    return lines;
}

void populate(ModelContext& c, const QString& data)
{
    const QDateTime t0(QDate(2024, 5, 6), QTime(7, 8, 9, 321), Qt::UTC);

    Tag* red = c.insert(new Tag(QStringLiteral("ripple"), QStringLiteral("#FF0000")));
    Tag* blue = c.insert(new Tag(QStringLiteral("bench ✓"), QStringLiteral("#0000FF")));
    c.insert(new Tag(QStringLiteral("unused"), QStringLiteral("#00FF00")));

    Component* full = c.insert(new Component(QStringLiteral("NE555 timer")));
    full->setPartNumber(QStringLiteral("NE555P"));
    full->setCategory(QStringLiteral("ICs"));
    full->setSubcategory(QStringLiteral("Timers"));
    full->setManufacturer(QStringLiteral("TI"));
    full->setQty(42);
    full->setUnit(QStringLiteral("pcs"));
    full->setMinQty(5);
    full->setLocation(QStringLiteral("Drawer A"));
    full->setBin(QStringLiteral("3"));
    full->setVoltage(QStringLiteral("4.5–16 V"));
    full->setCurrent(QStringLiteral("200 mA"));
    full->setPower(QStringLiteral("600 mW"));
    full->setInterface(QStringLiteral("none"));
    full->setLogicLevel(QStringLiteral("TTL"));
    full->setPackage(QStringLiteral("DIP-8"));
    full->setKeySpecs(QStringLiteral("astable \"and\" monostable"));
    full->setNotes(QStringLiteral("line one\nline two"));
    full->setTags(QStringLiteral("timer, classic"));
    full->setConfidence(0.875);
    full->setShoppingURL(QStringLiteral("https://example.com/ne555"));
    full->setPhotoFile(QStringLiteral("A1B2.jpg"));
    full->setDatasheetFile(QStringLiteral("C3D4.pdf"));
    full->setManualFile(QStringLiteral("E5F6"));
    full->setDatasheetURL(QStringLiteral("https://example.com/ds.pdf"));
    full->setManualURL(QStringLiteral("https://example.com/man.pdf"));
    full->setPhotoURL(QStringLiteral("https://example.com/p.jpg"));
    full->setStatusOverride(QStringLiteral("ordered"));
    full->setPurchasePrice(0.1);
    full->setResellPrice(1e-7);
    full->setCreatedAt(t0);
    full->setUpdatedAt(t0.addDays(3));
    Component* bare = c.insert(new Component(QStringLiteral("Resistor 10k")));
    bare->setQty(-3);
    bare->setCreatedAt(t0.addSecs(10));
    bare->setUpdatedAt(t0.addSecs(20));

    Document* sheet = c.insert(new Document(QStringLiteral("1111.pdf"), QStringLiteral("Amp schematic")));
    sheet->setTypeRaw(QStringLiteral("schematic"));
    sheet->setNotes(QStringLiteral("rev B"));
    sheet->setTags(QStringLiteral("audio"));
    sheet->setSourceURL(QStringLiteral("https://example.com/amp"));
    sheet->setLibraryMarkupFileName(QStringLiteral("2222.markup.pdf"));
    sheet->setAddedAt(t0.addSecs(30));
    Document* photo = c.insert(new Document(QStringLiteral("3333.png"), QStringLiteral("Board photo")));
    photo->setAddedAt(t0.addSecs(40));

    Project* amp = c.insert(new Project(QStringLiteral("Amp repair"), QStringLiteral("Hum at idle"), QStringLiteral("Check caps")));
    amp->setCreatedAt(t0.addSecs(50));
    amp->setLabourHours(2.5);
    amp->setLabourRate(40);
    amp->setQuoteCombined(true);
    Project* psu = c.insert(new Project(QStringLiteral("PSU build"), QString(), QString()));
    psu->setCreatedAt(t0.addSecs(60));
    psu->setLabourFlat(99.99);

    c.insert(new ProjectComponent(full, amp, 2))->setAddedAt(t0.addSecs(70));
    c.insert(new ProjectComponent(bare, amp, 10))->setAddedAt(t0.addSecs(71));
    c.insert(new ProjectComponent(full, psu, 1))->setAddedAt(t0.addSecs(72));
    ProjectDocument* att = c.insert(new ProjectDocument(sheet, amp));
    att->setMarkupFileName(QStringLiteral("4444.markup.pdf"));
    att->setAddedAt(t0.addSecs(80));
    c.insert(new ProjectDocument(photo, psu))->setAddedAt(t0.addSecs(81));

    Capture* a = c.insert(new Capture(QStringLiteral("scope_0001.png")));
    a->setTitle(QStringLiteral("Ripple at 1 kHz"));
    a->setNotes(QStringLiteral("after recap"));
    a->setImportedAt(t0.addSecs(90));
    a->setMode(QStringLiteral("AC"));
    a->setUnit(QStringLiteral("mV"));
    a->setSummary(QStringLiteral("Ripple is 12 mV."));
    a->setValue(12.25);
    a->setMinValue(-3.5);
    a->setMaxValue(1e300);
    a->setProject(amp);
    a->setTags({blue, red});
    Capture* b = c.insert(new Capture(QStringLiteral("scope_0002.png")));
    b->setImportedAt(t0.addSecs(91));
    b->setTags({red});
    c.insert(new Capture(QStringLiteral("scope_0003.png")))->setImportedAt(t0.addSecs(92));

    QString error;
    ASSERT_TRUE(c.save(&error)) << error.toStdString();

    for (int i = 1; i <= 3; ++i)
        writeBytes(data + QStringLiteral("/captures/scope_000%1.png").arg(i), noise(5000 + i, quint32(i)));
    writeBytes(data + QStringLiteral("/captures/stray.txt"), "not a capture");
    writeBytes(data + QStringLiteral("/components/A1B2.jpg"), noise(3000, 11));
    writeBytes(data + QStringLiteral("/components/C3D4.pdf"), noise(4000, 12));
    writeBytes(data + QStringLiteral("/components/E5F6"), noise(10, 13));
    writeBytes(data + QStringLiteral("/documents/1111.pdf"), noise(7000, 14));
    writeBytes(data + QStringLiteral("/documents/2222.markup.pdf"), noise(700, 15));
    writeBytes(data + QStringLiteral("/documents/4444.markup.pdf"), noise(800, 16));
    writeBytes(data + QStringLiteral("/documents/3333.png"), noise(900, 17));
    writeBytes(data + QStringLiteral("/documents/sub folder/kept.json"), R"({"a": 1})");
}

QString zipFiles(const QMap<QString, QByteArray>& files)
{
    const QString folder = corvallen::test::freshFolder(QStringLiteral("src"));
    for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
        if (it.key().endsWith(QLatin1Char('/')))
            QDir().mkpath(folder + QLatin1Char('/') + it.key());
        else
            writeBytes(folder + QLatin1Char('/') + it.key(), it.value());
    }
    return BackupBundle::zipFolder(folder);
}

bool run(const QString& program, const QStringList& args, QString* output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(120000))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

RestoreSummary restoreAsTheApplicationDoes(const QString& archive, const BackupSelection& selection, ModelContext& context)
{
    QFuture<RestoreSummary> restored = SelectiveRestore::restoreAsync(archive, selection, context);
    if (!corvallen::test::waitUntil([&] { return restored.isFinished(); }))
        throw std::runtime_error("the restore never finished");
    return restored.result();  // rethrows the restore's error
}

}  // namespace backuptest
