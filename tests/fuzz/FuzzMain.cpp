// The driver of the fuzz targets for builds without libFuzzer (GCC, the ordinary build): it runs
// every seed, then, for the time or number of runs asked, mutated copies of them (bit flips,
// interesting bytes, deletions, random bytes, repeats of a chunk, splices of two inputs, tokens
// of the target's dictionary, little-endian sizes and offsets). Some mutated inputs join the
// corpus, so that changes pile up.
//
//   fuzz_<name> [-max_total_time=S] [-runs=N] [-timeout=S] [-report_slow_units=S] [-dict=FILE]
//               [-seed=N] [-artifact_prefix=PREFIX] DIR_OR_FILE...
//
// The flags are libFuzzer's, so tools/fuzz.sh and the tests drive either build alike. Without
// -max_total_time and -runs only the inputs given run: a folder of seeds, or one file to replay.
// An input that crashes, trips a sanitizer or runs past -timeout is written to
// PREFIX"crash-…" / PREFIX"timeout-…" before the program ends; one slower than
// -report_slow_units is kept as PREFIX"slow-unit-…" and the run goes on.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

// Present when built with a sanitizer: it calls back before it ends the process.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

// The input being run, and where it goes if it ends the program: set up before any input runs,
// so that the signal handler and the sanitizer's death callback only call write(2) and the like.
const char* g_data = nullptr;
size_t g_size = 0;
std::string g_crashPath;
std::string g_timeoutPath;

void writeCurrentInput(const std::string& path)
{
    if (!g_data)
        return;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    for (size_t done = 0; done < g_size;) {
        const ssize_t n = ::write(fd, g_data + done, g_size - done);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    ::close(fd);
    const char before[] = "\n== input written to ";
    ssize_t ignored = ::write(2, before, sizeof before - 1);
    ignored = ::write(2, path.c_str(), path.size());
    ignored = ::write(2, "\n", 1);
    (void)ignored;
}

void onDeath() { writeCurrentInput(g_crashPath); }

void onSignal(int sig)
{
    writeCurrentInput(sig == SIGALRM ? g_timeoutPath : g_crashPath);
    g_data = nullptr;  // written once, even if the sanitizer's callback follows
    const int end = sig == SIGALRM ? SIGABRT : sig;
    std::signal(end, SIG_DFL);
    std::raise(end);
}

struct Limits {
    unsigned timeoutSeconds = 20;   // past this an input counts as a hang and ends the run
    double slowSeconds = 10;        // past this an input is kept as slow, and the run goes on
    QString artifactPrefix;         // where findings go: a folder ending in '/', or a name prefix
};

// Runs one input; false when it was slow.
bool runOne(const QByteArray& input, const Limits& limits, int& slowCount)
{
    g_data = input.constData();
    g_size = size_t(input.size());
    QElapsedTimer timer;
    timer.start();
    alarm(limits.timeoutSeconds);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    alarm(0);
    g_data = nullptr;
    if (timer.elapsed() <= qint64(limits.slowSeconds * 1000))
        return true;
    const QString path = limits.artifactPrefix + QStringLiteral("slow-unit-%1-%2").arg(getpid()).arg(slowCount++);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(input);
    std::fprintf(stderr, "== an input took %.1f s; kept as %s\n", double(timer.elapsed()) / 1000.0, qPrintable(path));
    return false;
}

// The tokens of a libFuzzer dictionary: one "quoted" token a line, with \\, \" and \xNN escapes.
QList<QByteArray> readDictionary(const QString& path)
{
    QList<QByteArray> tokens;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "can't read the dictionary %s\n", qPrintable(path));
        return tokens;
    }
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const qsizetype open = raw.indexOf('"');
        const qsizetype close = raw.lastIndexOf('"');
        if (raw.trimmed().startsWith('#') || open < 0 || close <= open)
            continue;
        QByteArray token;
        for (qsizetype i = open + 1; i < close; ++i) {
            if (raw[i] == '\\' && i + 1 < close) {
                if (raw[i + 1] == 'x' && i + 3 < close) {
                    token += char(raw.mid(i + 2, 2).toInt(nullptr, 16));
                    i += 3;
                } else {
                    token += raw[++i];
                }
            } else {
                token += raw[i];
            }
        }
        tokens << token;
    }
    return tokens;
}

QByteArray mutate(QByteArray in, const QList<QByteArray>& corpus, const QList<QByteArray>& dictionary, QRandomGenerator& rng)
{
    const int steps = 1 + int(rng.bounded(4));
    for (int s = 0; s < steps; ++s) {
        const qsizetype n = in.size();
        auto at = [&](qsizetype limit) { return limit <= 0 ? 0 : qsizetype(rng.bounded(quint64(limit))); };
        switch (rng.bounded(9)) {
        case 0:
            if (n > 0)
                in[at(n)] ^= char(1 << rng.bounded(8));
            break;
        case 1: {
            static const char interesting[] = {0, 1, 0x7f, char(0x80), char(0xff), '\n', '"', '\\', '[', ']', '{', '}', '9', '-', 'e'};
            if (n > 0)
                in[at(n)] = interesting[rng.bounded(int(sizeof interesting))];
            break;
        }
        case 2:
            if (n > 1) {
                const qsizetype from = at(n);
                in.remove(from, 1 + at(std::min<qsizetype>(n - from, 64)));
            }
            break;
        case 3: {
            QByteArray bytes(1 + at(8), '\0');
            for (char& c : bytes)
                c = char(rng.bounded(256));
            in.insert(at(n + 1), bytes);
            break;
        }
        case 4:
            // A chunk repeated many times: nesting, long runs, many entries.
            if (n > 0 && n < 1 << 20) {
                const qsizetype from = at(n);
                const QByteArray chunk = in.mid(from, 1 + at(std::min<qsizetype>(n - from, 32)));
                in.insert(from, chunk.repeated(1 + int(rng.bounded(rng.bounded(2) ? 8 : 2000))));
            }
            break;
        case 5:
            if (!corpus.isEmpty()) {
                const QByteArray& other = corpus[rng.bounded(int(corpus.size()))];
                in = in.left(at(n + 1)) + other.mid(at(other.size() + 1));
            }
            break;
        case 6: {
            // A little-endian number of 2 or 4 bytes over what is there: sizes, counts and
            // offsets of binary formats at their edges.
            static const quint32 edges[] = {0, 1, 0xFFFF, 0x7FFFFFFFu, 0xFFFFFFFFu};
            if (n >= 4) {
                const quint32 v = rng.bounded(6) == 0 ? rng.generate() : edges[rng.bounded(int(std::size(edges)))];
                const qsizetype from = at(n - 3);
                for (int k = 0, width = rng.bounded(2) ? 2 : 4; k < width; ++k)
                    in[from + k] = char((v >> (8 * k)) & 0xFF);
            }
            break;
        }
        default:
            if (!dictionary.isEmpty())
                in.insert(at(n + 1), dictionary[rng.bounded(int(dictionary.size()))]);
            break;
        }
    }
    return in.left(4 << 20);
}

QList<QByteArray> readInputs(const QStringList& paths)
{
    QList<QByteArray> inputs;
    const auto add = [&](const QString& path) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            inputs << f.readAll();
        else
            std::fprintf(stderr, "can't read %s\n", qPrintable(path));
    };
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            QStringList files;
            for (QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
                files << it.next();
            files.sort();  // the same order every time, so that a seed replays a run
            for (const QString& file : std::as_const(files))
                add(file);
        } else {
            add(path);
        }
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* name = std::strrchr(argv[0], '/') ? std::strrchr(argv[0], '/') + 1 : argv[0];
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);

    double totalSeconds = 0;
    qint64 runs = -1;  // as libFuzzer: -1 is no limit
    Limits limits;
    quint32 seed = quint32(QRandomGenerator::system()->generate());
    QList<QByteArray> dictionary;
    QStringList paths;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const QString value = arg.section(u'=', 1);
        if (arg.startsWith(QLatin1String("-max_total_time=")))
            totalSeconds = value.toDouble();
        else if (arg.startsWith(QLatin1String("-runs=")))
            runs = value.toLongLong();
        else if (arg.startsWith(QLatin1String("-timeout=")))
            limits.timeoutSeconds = std::max(1u, value.toUInt());
        else if (arg.startsWith(QLatin1String("-report_slow_units=")))
            limits.slowSeconds = value.toDouble();
        else if (arg.startsWith(QLatin1String("-artifact_prefix=")))
            limits.artifactPrefix = value;
        else if (arg.startsWith(QLatin1String("-dict=")))
            dictionary = readDictionary(value);
        else if (arg.startsWith(QLatin1String("-seed=")))
            seed = value.toUInt();
        else if (!arg.startsWith(u'-'))
            paths << arg;
        // Other libFuzzer flags mean nothing here and are let pass.
    }
    if (paths.isEmpty()) {
        std::fprintf(stderr,
                     "usage: %s [-max_total_time=S] [-runs=N] [-timeout=S] [-report_slow_units=S] [-dict=FILE] [-seed=N] "
                     "[-artifact_prefix=PREFIX] DIR_OR_FILE...\n",
                     name);
        return 2;
    }

    const std::string prefix = limits.artifactPrefix.toStdString();
    g_crashPath = prefix + "crash-" + name + "-" + std::to_string(getpid());
    g_timeoutPath = prefix + "timeout-" + name + "-" + std::to_string(getpid());
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(onDeath);
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL, SIGALRM})
        std::signal(sig, onSignal);

    QList<QByteArray> corpus = readInputs(paths);
    int slowCount = 0;
    for (const QByteArray& input : std::as_const(corpus))
        runOne(input, limits, slowCount);
    std::fprintf(stderr, "%s: %lld inputs run\n", name, qlonglong(corpus.size()));
    if (runs == 0 || (totalSeconds <= 0 && runs < 0))
        return 0;

    if (corpus.isEmpty())
        corpus << QByteArray();
    QRandomGenerator rng(seed);
    QElapsedTimer clock;
    clock.start();
    qint64 done = 0;
    while ((runs < 0 || done < runs) && (totalSeconds <= 0 || clock.elapsed() < qint64(totalSeconds * 1000))) {
        const QByteArray input = mutate(corpus[rng.bounded(int(corpus.size()))], corpus, dictionary, rng);
        runOne(input, limits, slowCount);
        ++done;
        if (rng.bounded(64) == 0 && corpus.size() < 4096)
            corpus << input;
        if (done % 10000 == 0)
            std::fprintf(stderr, "%s: %lld inputs, %.0f s\n", name, qlonglong(done), double(clock.elapsed()) / 1000.0);
    }
    std::fprintf(stderr, "%s: %lld mutated inputs in %.0f s (seed %u), no fault%s\n", name, qlonglong(done), double(clock.elapsed()) / 1000.0,
                 seed, slowCount ? ", some slow" : "");
    return 0;
}
