#include "DetachedProgramLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

bool isWindowsProgram(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "MZ";
}

QString wineFor(const QString &program)
{
    return isWindowsProgram(program) ? QStandardPaths::findExecutable(QStringLiteral("wine")) : QString();
}

} // namespace

DetachedProgramLauncher::DetachedProgramLauncher(QObject *parent)
    : QObject(parent)
{
}

bool DetachedProgramLauncher::canLaunch(const QString &executable) const
{
    const QFileInfo info(executable);
    return info.isFile() && (info.isExecutable() || !wineFor(info.absoluteFilePath()).isEmpty());
}

bool DetachedProgramLauncher::launch(const QString &executable, const QStringList &arguments)
{
    const QFileInfo info(executable);
    if (!info.isFile())
        return false;
    // An absolute path, so that a bare name is never looked up on PATH instead.
    const QString program = info.absoluteFilePath();
    const QString wine = wineFor(program);
    if (!wine.isEmpty())
        return spawn(wine, QStringList{program} + arguments);
    return info.isExecutable() && spawn(program, arguments);
}

// posix_spawn rather than QProcess::startDetached: no second fork and no pipe to wait on, which
// keeps a task's start within a millisecond of its second.
bool DetachedProgramLauncher::spawn(const QString &program, const QStringList &arguments)
{
    QList<QByteArray> encoded{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        encoded << argument.toLocal8Bit();
    QList<char *> argv;
    for (QByteArray &text : encoded)
        argv << text.data();
    argv << nullptr;

    posix_spawn_file_actions_t streams;
    posix_spawn_file_actions_init(&streams);
    // No stream stays tied to this program, so whatever reads its output sees it end when it ends.
    posix_spawn_file_actions_addopen(&streams, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&streams, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&streams, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failure = ::posix_spawn(&pid, argv.first(), &streams, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&streams);
    if (failure != 0)
        return false;
    reapWhenExited(pid);
    return true;
}

void DetachedProgramLauncher::reapWhenExited(int pid)
{
    // A pidfd becomes readable once its process has exited.
    const int pidfd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (pidfd < 0) {
        ::waitpid(pid, nullptr, WNOHANG);
        return;
    }
    auto *notifier = new QSocketNotifier(pidfd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [notifier, pid, pidfd] {
        ::waitpid(pid, nullptr, WNOHANG);
        notifier->setEnabled(false);
        notifier->deleteLater();
        ::close(pidfd);
    });
}
