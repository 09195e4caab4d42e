#include "Corvallen/Backup/Relaunch.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_relaunch{false};
QByteArray g_program;
QList<QByteArray> g_arguments;
std::once_flag g_atExit;

// Starts the program in a session of its own and does not wait for it. Only
// async-signal-safe calls happen between fork and exec.
bool spawnDetached()
{
    std::vector<char*> argv;
    argv.push_back(g_program.data());
    for (QByteArray& a : g_arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) {
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void relaunchAtExit()
{
    if (g_relaunch.exchange(false))
        spawnDetached();
}

}  // namespace

void Relaunch::requestAtExit()
{
    g_program = QFile::encodeName(QCoreApplication::applicationFilePath());
    g_arguments.clear();
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        g_arguments << QFile::encodeName(args[i]);
    std::call_once(g_atExit, [] { std::atexit(relaunchAtExit); });
    g_relaunch = true;
}

void Relaunch::cancel() { g_relaunch = false; }

bool Relaunch::startRequested()
{
    if (!g_relaunch.exchange(false))
        return false;
    return spawnDetached();
}
