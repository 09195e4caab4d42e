#include "FuzzSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

QString isolate()
{
    static QTemporaryDir* root = [] {
        auto* dir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/corvallen-fuzz-XXXXXX"));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
            const QString folder = dir->path() + QLatin1Char('/') + QString::fromLatin1(name).toLower();
            QDir().mkpath(folder);
            qputenv(name, QFile::encodeName(folder));
        }
        std::atexit([] { delete root; });
        return dir;
    }();
    return root->path();
}

QByteArray bytes(const uint8_t* data, size_t size) { return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)); }

void fail(const char* rule, const QString& detail)
{
    std::fprintf(stderr, "broken rule: %s\n%s\n", rule, qPrintable(detail.left(2000)));
    std::abort();
}

}  // namespace fuzz
