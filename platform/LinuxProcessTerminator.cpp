#include "LinuxProcessTerminator.h"

#include <algorithm>
#include <csignal>
#include <utility>

#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTimer>

namespace {

// Long enough for the recorder to close its file.
constexpr int gracePeriodMs = 2000;

QByteArray readProcFile(qint64 pid, const char *entry)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Wine shows Windows paths, so both kinds of separator end a folder name.
QString baseName(const QString &path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(slash + 1);
}

QString exeBaseName(qint64 pid)
{
    const QByteArray link = QStringLiteral("/proc/%1/exe").arg(pid).toLocal8Bit();
    char target[4096];
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    if (length <= 0)
        return {};
    QString path = QFile::decodeName(QByteArray(target, length));
    // A program file replaced while it runs still counts under its old name.
    const QLatin1String deleted(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return baseName(path);
}

// comm is cut at 15 characters, and a program run under an interpreter or Wine may only
// show its name in argv[0], so any one of the three names is enough.
bool hasName(qint64 pid, const QString &name)
{
    const auto matches = [&name](const QString &candidate) {
        return !candidate.isEmpty() && candidate.endsWith(name, Qt::CaseInsensitive);
    };
    if (matches(QFile::decodeName(readProcFile(pid, "comm").trimmed())))
        return true;
    if (matches(exeBaseName(pid)))
        return true;
    const QByteArray cmdline = readProcFile(pid, "cmdline");
    return matches(baseName(QFile::decodeName(cmdline.left(cmdline.indexOf('\0')))));
}

int openPidfd(qint64 pid)
{
    return int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
}

bool sendSignal(int pidfd, int signal)
{
    return ::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0) == 0;
}

} // namespace

LinuxProcessTerminator::LinuxProcessTerminator(QObject *parent)
    : QObject(parent)
{
}

LinuxProcessTerminator::~LinuxProcessTerminator()
{
    for (const int pidfd : std::as_const(m_pendingPidfds))
        ::close(pidfd);
}

void LinuxProcessTerminator::endProcessesNamed(const QString &name)
{
    if (name.isEmpty())
        return;

    const qint64 ownPid = ::getpid();
    QList<int> signalled;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber || pid == ownPid || !hasName(pid, name))
            continue;
        const int pidfd = openPidfd(pid);
        if (pidfd < 0)
            continue;
        // The id may have passed to another process before the open. Looking again now is
        // sound: if the held process still lives when signalled, it is the one looked at.
        if (hasName(pid, name) && sendSignal(pidfd, SIGTERM))
            signalled.append(pidfd);
        else
            ::close(pidfd);
    }

    if (signalled.isEmpty())
        return;
    m_pendingPidfds.append(signalled);
    QTimer::singleShot(gracePeriodMs, this, [this, signalled] { killAndClose(signalled); });
}

void LinuxProcessTerminator::killAndClose(const QList<int> &pidfds)
{
    for (const int pidfd : pidfds) {
        sendSignal(pidfd, SIGKILL);
        ::close(pidfd);
        m_pendingPidfds.removeOne(pidfd);
    }
}
