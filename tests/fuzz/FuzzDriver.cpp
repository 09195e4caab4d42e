// A small seed-mutation driver for a libFuzzer-style target, built with the project's own
// compiler: it runs every seed, then (with -runs or -seconds) mutated copies of them. An input
// that crashes the target is written to "crash-<n>" in the working folder before the signal
// ends the program; an input that takes longer than -slow seconds is written to "slow-<n>".
//
//   fuzz_backup [-runs=N] [-seconds=S] [-seed=X] [-slow=S] SEEDS_FOLDER_OR_FILE...
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QByteArray g_current;  // the input running now, for the crash handler
int g_crashFile = -1;

void onCrash(int signal)
{
    if (g_crashFile >= 0) {
        ssize_t ignored = ::write(g_crashFile, g_current.constData(), size_t(g_current.size()));
        (void)ignored;
        ::close(g_crashFile);
    }
    static const char text[] = "fuzz_backup: the target crashed; the input is in crash-input\n";
    ssize_t ignored = ::write(2, text, sizeof text - 1);
    (void)ignored;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Tokens that matter to the readers, spliced in by the mutator.
const QList<QByteArray>& tokens()
{
    static const QList<QByteArray> t{"[", "]", "{", "}", "\"", ",", ":", "\\", "\\u0000", "null", "true", "1e308", "-0", "9223372036854775808",
                                     "\"id\":", "\"name\":", "\"tags\":[", "\"bom\":[", "2025-01-01T00:00:00Z", "PK\x01\x02", "PK\x03\x04",
                                     "PK\x05\x06", "PK\x06\x06", "PK\x06\x07", QByteArray("\xff\xff\xff\xff", 4), QByteArray(4, '\0')};
    return t;
}

QByteArray mutate(QByteArray in, const QList<QByteArray>& seeds, std::mt19937_64& rng)
{
    const auto pick = [&](qsizetype n) { return n <= 0 ? qsizetype(0) : qsizetype(rng() % quint64(n)); };
    const int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        switch (rng() % 7) {
        case 0:  // flip a bit
            if (!in.isEmpty()) {
                const qsizetype at = pick(in.size());
                in[at] = char(in[at] ^ (1 << (rng() % 8)));
            }
            break;
        case 1:  // an interesting byte
            if (!in.isEmpty())
                in[pick(in.size())] = char("\0\x01\x7f\x80\xff"[rng() % 5]);
            break;
        case 2:  // cut a piece out
            if (!in.isEmpty()) {
                const qsizetype at = pick(in.size());
                in.remove(at, pick(std::min<qsizetype>(in.size() - at, 64)) + 1);
            }
            break;
        case 3:  // repeat a piece
            if (!in.isEmpty() && in.size() < (1 << 20)) {
                const qsizetype at = pick(in.size());
                const QByteArray piece = in.mid(at, pick(64) + 1);
                in.insert(pick(in.size() + 1), piece.repeated(int(1 + rng() % 8)));
            }
            break;
        case 4:  // a token
            in.insert(pick(in.size() + 1), tokens()[pick(tokens().size())]);
            break;
        case 5: {  // splice with another seed
            const QByteArray& other = seeds[pick(seeds.size())];
            if (!other.isEmpty()) {
                const qsizetype at = pick(other.size());
                in.insert(pick(in.size() + 1), other.mid(at, pick(256) + 1));
            }
            break;
        }
        default:  // a little-endian number of 2 or 4 bytes, for sizes and offsets
            if (in.size() >= 4) {
                const quint32 v = quint32(std::array<quint64, 6>{0, 1, 0xFFFF, 0xFFFFFFFFu, 0x7FFFFFFFu, rng()}[rng() % 6]);
                const qsizetype at = pick(in.size() - 3);
                for (int k = 0; k < (rng() % 2 ? 2 : 4); ++k)
                    in[at + k] = char((v >> (8 * k)) & 0xFF);
            }
            break;
        }
    }
    return in;
}

bool run(const QByteArray& input, double slowSeconds, int& slowCount)
{
    g_current = input;
    QElapsedTimer timer;
    timer.start();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    if (timer.elapsed() > qint64(slowSeconds * 1000)) {
        QFile f(QStringLiteral("slow-%1").arg(slowCount++));
        if (f.open(QIODevice::WriteOnly))
            f.write(input);
        std::fprintf(stderr, "fuzz_backup: an input took %.1f s; kept as %s\n", double(timer.elapsed()) / 1000.0, qPrintable(f.fileName()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    qint64 runs = 0;
    double seconds = 0;
    double slow = 2;
    quint64 seed = 1;
    QList<QByteArray> seeds;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a.startsWith("-runs="))
            runs = a.mid(6).toLongLong();
        else if (a.startsWith("-seconds="))
            seconds = a.mid(9).toDouble();
        else if (a.startsWith("-seed="))
            seed = a.mid(6).toULongLong();
        else if (a.startsWith("-slow="))
            slow = a.mid(6).toDouble();
        else if (QFileInfo(QString::fromLocal8Bit(a)).isDir()) {
            QDirIterator it(QString::fromLocal8Bit(a), QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile f(it.next());
                if (f.open(QIODevice::ReadOnly))
                    seeds.append(f.readAll());
            }
        } else {
            QFile f(QString::fromLocal8Bit(a));
            if (f.open(QIODevice::ReadOnly))
                seeds.append(f.readAll());
        }
    }
    if (seeds.isEmpty()) {
        std::fprintf(stderr, "usage: fuzz_backup [-runs=N] [-seconds=S] [-seed=X] [-slow=S] SEEDS...\n");
        return 2;
    }
    g_crashFile = ::open("crash-input", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (int s : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(s, onCrash);

    int slowCount = 0;
    bool allQuick = true;
    for (const QByteArray& s : seeds)
        allQuick = run(s, slow, slowCount) && allQuick;
    std::mt19937_64 rng(seed);
    QElapsedTimer clock;
    clock.start();
    qint64 done = 0;
    while ((runs > 0 && done < runs) || (seconds > 0 && clock.elapsed() < qint64(seconds * 1000))) {
        allQuick = run(mutate(seeds[qsizetype(rng() % quint64(seeds.size()))], seeds, rng), slow, slowCount) && allQuick;
        if (++done % 10000 == 0)
            std::fprintf(stderr, "fuzz_backup: %lld inputs, %.0f s\n", done, double(clock.elapsed()) / 1000.0);
    }
    ::close(g_crashFile);
    ::unlink("crash-input");
    std::fprintf(stderr, "fuzz_backup: %lld seeds and %lld mutated inputs ran%s\n", qint64(seeds.size()), done, allQuick ? "" : "; some were slow");
    return allQuick ? 0 : 1;
}
