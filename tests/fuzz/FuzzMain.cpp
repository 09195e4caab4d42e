// A small stand-alone driver for the fuzz targets, for builds without libFuzzer (GCC): it runs
// every seed, then mutates them (bit flips, byte changes, deletions, repeats of a chunk, splices
// of two inputs, tokens of the target's dictionary) for the time asked. Any input that crashes,
// trips a sanitizer or runs longer than the time limit is written to the working folder first,
// so that it can be replayed by passing its file.
//
//   fuzz_<name> [-max_total_time=S] [-timeout=S] [-dict=FILE] [-seed=N] DIR_OR_FILE...
//
// The flags are those of libFuzzer, so tools/fuzz.sh drives either build alike.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

// Present when built with a sanitizer: it calls back before it ends the process.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace {

// The input being run, kept where a signal handler or the sanitizer's death callback can write
// it out.
const char* g_data = nullptr;
size_t g_size = 0;
const char* g_name = "fuzz";

void writeCurrentInput(const char* kind)
{
    if (!g_data)
        return;
    char path[256];
    std::snprintf(path, sizeof path, "%s-%s-%d", kind, g_name, int(getpid()));
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(g_data, 1, g_size, f);
        std::fclose(f);
        std::fprintf(stderr, "\n== input written to %s (%zu bytes)\n", path, g_size);
    }
}

void onDeath() { writeCurrentInput("crash"); }

void onSignal(int sig)
{
    writeCurrentInput(sig == SIGALRM ? "timeout" : "crash");
    const int end = sig == SIGALRM ? SIGABRT : sig;
    std::signal(end, SIG_DFL);
    std::raise(end);
}

void runOne(const QByteArray& input, unsigned timeoutSeconds)
{
    g_data = input.constData();
    g_size = size_t(input.size());
    alarm(timeoutSeconds);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    alarm(0);
    g_data = nullptr;
}

// The tokens of a libFuzzer dictionary: one "quoted" token a line, with \\, \" and \xNN escapes.
QList<QByteArray> readDictionary(const QString& path)
{
    QList<QByteArray> tokens;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return tokens;
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
        switch (rng.bounded(8)) {
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
        case 6:
        case 7:
            if (!dictionary.isEmpty())
                in.insert(at(n + 1), dictionary[rng.bounded(int(dictionary.size()))]);
            break;
        }
    }
    return in.left(4 << 20);
}

}  // namespace

int main(int argc, char** argv)
{
    g_name = std::strrchr(argv[0], '/') ? std::strrchr(argv[0], '/') + 1 : argv[0];
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(onDeath);
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL, SIGALRM})
        std::signal(sig, onSignal);

    double totalSeconds = 0;
    unsigned timeoutSeconds = 20;
    quint32 seed = quint32(QRandomGenerator::system()->generate());
    QList<QByteArray> dictionary;
    QStringList paths;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1String("-max_total_time=")))
            totalSeconds = arg.section(u'=', 1).toDouble();
        else if (arg.startsWith(QLatin1String("-timeout=")))
            timeoutSeconds = std::max(1u, arg.section(u'=', 1).toUInt());
        else if (arg.startsWith(QLatin1String("-dict=")))
            dictionary = readDictionary(arg.section(u'=', 1));
        else if (arg.startsWith(QLatin1String("-seed=")))
            seed = arg.section(u'=', 1).toUInt();
        else if (!arg.startsWith(u'-'))
            paths << arg;
    }

    QList<QByteArray> corpus;
    for (const QString& path : std::as_const(paths)) {
        if (QFileInfo(path).isDir()) {
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                if (f.open(QIODevice::ReadOnly))
                    corpus << f.readAll();
            }
        } else {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                corpus << f.readAll();
        }
    }
    for (const QByteArray& input : std::as_const(corpus))
        runOne(input, timeoutSeconds);
    std::fprintf(stderr, "%s: %lld seeds run\n", g_name, qlonglong(corpus.size()));
    if (totalSeconds <= 0)
        return 0;

    if (corpus.isEmpty())
        corpus << QByteArray();
    QRandomGenerator rng(seed);
    QElapsedTimer clock;
    clock.start();
    qint64 runs = 0;
    while (clock.elapsed() < qint64(totalSeconds * 1000)) {
        const QByteArray input = mutate(corpus[rng.bounded(int(corpus.size()))], corpus, dictionary, rng);
        runOne(input, timeoutSeconds);
        ++runs;
        // Keep some inputs as new starting points, so that changes pile up.
        if (rng.bounded(64) == 0 && corpus.size() < 4096)
            corpus << input;
    }
    std::fprintf(stderr, "%s: %lld mutated inputs in %.0f s (seed %u), no fault\n", g_name, qlonglong(runs), clock.elapsed() / 1000.0, seed);
    return 0;
}
