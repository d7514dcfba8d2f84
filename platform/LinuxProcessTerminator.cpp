#include "LinuxProcessTerminator.h"

#include <algorithm>
#include <csignal>
#include <utility>

#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSocketNotifier>
#include <QTimer>

namespace {

// Long enough for the recorder to close its file.
constexpr int gracePeriodMs = 2000;
// A process that SIGKILL has not ended by then (stuck in the kernel) is waited for no longer.
constexpr int killWaitMs = 1000;

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

// A process that has ended but not been reaped yet still shows in /proc.
bool hasEnded(qint64 pid)
{
    const QByteArray stat = readProcFile(pid, "stat");
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0 || nameEnd + 2 >= stat.size())
        return true;
    const char state = stat.at(nameEnd + 2);
    return state == 'Z' || state == 'X';
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

// One call's processes: each watched through its pidfd until it has exited.
struct LinuxProcessTerminator::Ending
{
    QHash<int, QSocketNotifier *> watched;
    std::function<void()> allEnded;
    QTimer deadline;
    bool forced = false;
};

LinuxProcessTerminator::LinuxProcessTerminator(QObject *parent)
    : QObject(parent)
{
}

LinuxProcessTerminator::~LinuxProcessTerminator()
{
    for (const auto &ending : std::as_const(m_endings)) {
        for (auto watch = ending->watched.cbegin(); watch != ending->watched.cend(); ++watch) {
            sendSignal(watch.key(), SIGKILL);
            delete watch.value();
            ::close(watch.key());
        }
    }
}

void LinuxProcessTerminator::endProcessesNamed(const QString &name, std::function<void()> allEnded)
{
    QList<int> signalled;
    if (!name.isEmpty()) {
        const qint64 ownPid = ::getpid();
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &entry : entries) {
            bool isNumber = false;
            const qint64 pid = entry.toLongLong(&isNumber);
            if (!isNumber || pid == ownPid || !hasName(pid, name) || hasEnded(pid))
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
    }
    if (signalled.isEmpty()) {
        if (allEnded)
            allEnded();
        return;
    }

    auto ending = std::make_shared<Ending>();
    ending->allEnded = std::move(allEnded);
    for (const int pidfd : std::as_const(signalled)) {
        // A pidfd becomes readable once its process has exited.
        auto *notifier = new QSocketNotifier(pidfd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this,
                [this, raw = ending.get(), pidfd] { exited(raw, pidfd); });
        ending->watched.insert(pidfd, notifier);
    }
    ending->deadline.setSingleShot(true);
    connect(&ending->deadline, &QTimer::timeout, this, [this, raw = ending.get()] { force(raw); });
    ending->deadline.start(gracePeriodMs);
    m_endings.append(ending);
}

void LinuxProcessTerminator::exited(Ending *ending, int pidfd)
{
    // Not deleted at once: this runs inside the notifier's own signal.
    QSocketNotifier *notifier = ending->watched.take(pidfd);
    notifier->setEnabled(false);
    notifier->deleteLater();
    ::close(pidfd);
    if (ending->watched.isEmpty())
        finish(ending);
}

void LinuxProcessTerminator::force(Ending *ending)
{
    if (ending->forced) {
        finish(ending);
        return;
    }
    ending->forced = true;
    for (auto watch = ending->watched.cbegin(); watch != ending->watched.cend(); ++watch)
        sendSignal(watch.key(), SIGKILL);
    ending->deadline.start(killWaitMs);
}

void LinuxProcessTerminator::finish(Ending *ending)
{
    for (auto watch = ending->watched.cbegin(); watch != ending->watched.cend(); ++watch) {
        delete watch.value();
        ::close(watch.key());
    }
    ending->watched.clear();
    const auto held = std::find_if(m_endings.begin(), m_endings.end(),
                                   [ending](const std::shared_ptr<Ending> &candidate) { return candidate.get() == ending; });
    if (held == m_endings.end())
        return;
    // Kept alive through the call, which may start a new ending of its own.
    const std::shared_ptr<Ending> keep = *held;
    m_endings.erase(held);
    keep->deadline.stop();
    if (keep->allEnded)
        keep->allEnded();
}
