#include "support/TestEnvironment.h"

#include <QDir>
#include <QUuid>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace corvallen::test {

namespace {
std::string g_root;

void removeRoot()
{
    if (!g_root.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(g_root, ec);
    }
}
}  // namespace

void isolateEnvironment()
{
    if (!g_root.empty())
        return;
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/corvallen-test-XXXXXX";
    std::string buf = templ;
    if (!mkdtemp(buf.data()))
        std::abort();
    g_root = buf;
    for (const char* sub : {"data", "config", "cache", "tmp"})
        std::filesystem::create_directories(g_root + "/" + sub);
    setenv("XDG_DATA_HOME", (g_root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (g_root + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (g_root + "/cache").c_str(), 1);
    setenv("TMPDIR", (g_root + "/tmp").c_str(), 1);
    setenv("HOME", g_root.c_str(), 1);
    std::atexit(removeRoot);
}

QString isolatedRoot() { return QString::fromStdString(g_root); }

QString freshFolder(const QString& hint)
{
    QString path = isolatedRoot() + QStringLiteral("/") + hint + QStringLiteral("-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QDir().mkpath(path);
    return path;
}

}  // namespace corvallen::test
