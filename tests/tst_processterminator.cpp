#include "LinuxProcessTerminator.h"

#include <algorithm>
#include <csignal>
#include <utility>

#include <QtTest>

namespace {

constexpr int graceWaitMs = 10000;
const QString recorderName = QStringLiteral("quillsnd.exe");
// The stand-in's file name and arguments, whether its file is replaced while it runs, and whether it is ended.
using Process = std::tuple<QString, QStringList, bool, bool>;

// A zombie has ended even if nobody has reaped it yet.
bool isAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const char state = text.isEmpty() ? 'X' : text.at(text.lastIndexOf(')') + 2);
    return state != 'Z' && state != 'X';
}

// How many pidfds this process holds.
qsizetype heldPidfds()
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return std::count_if(entries.cbegin(), entries.cend(), [&fds](const QString &fd) {
        return QFile::symLinkTarget(fds.filePath(fd)).endsWith(QLatin1String("[pidfd]"));
    });
}

} // namespace

// Stand-in recorders started detached, as the scheduler does, so that only the terminator holds a pidfd on them.
class TestProcessTerminator : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<qint64> m_started;
    int m_folders = 0;

    // Copies the stand-in recorder to a folder of its own under fileName and starts it; 0 when that fails.
    qint64 startRecorder(const QString &fileName, const QStringList &arguments = {})
    {
        const QString folder = m_dir.filePath(QString::number(m_folders++));
        const QString program = folder + u'/' + fileName;
        qint64 pid = 0;
        if (!QDir().mkpath(folder) || !QFile::copy(QStringLiteral(STANDIN_RECORDER_PATH), program)
            || !QProcess::startDetached(program, arguments, QString(), &pid))
            return 0;
        m_started.append(pid);
        // The record is written once the stand-in is set up, SIGTERM ignored and argv[0] set.
        const QString record = folder + QStringLiteral("/received-%1").arg(pid);
        return QTest::qWaitFor([&record] { return QFile::exists(record); }, graceWaitMs) ? pid : 0;
    }

private slots:
    void cleanup()
    {
        for (const qint64 pid : std::exchange(m_started, {}))
            ::kill(pid_t(pid), SIGKILL);
    }

    void endsEveryProcessWithTheNameAndNoOther_data()
    {
        QTest::addColumn<Process>("process");
        const QString longName = QStringLiteral("a-recorder-with-a-long-name-quillsnd.exe");
        QTest::newRow("same name") << Process{recorderName, {"a.wav"}, false, true};
        QTest::newRow("upper case") << Process{"QUILLSND.EXE", {}, false, true};
        QTest::newRow("longer name ending in it") << Process{"myquillsnd.exe", {}, false, true};
        QTest::newRow("only the program file, past the comm limit") << Process{longName, {"--argv0=rec"}, false, true};
        QTest::newRow("program file replaced while it runs") << Process{longName, {"--argv0=rec"}, true, true};
        QTest::newRow("only argv[0], a Windows path as under Wine")
            << Process{"winerec", {"--argv0=C:\\Program Files\\Quill\\QuillSnd.exe"}, false, true};
        QTest::newRow("backup copy") << Process{"quillsnd.exe.bak", {}, false, false};
        QTest::newRow("name without the ending") << Process{"quillsnd", {}, false, false};
        QTest::newRow("name only in a later argument") << Process{"rec", {"quillsnd.exe"}, false, false};
        QTest::newRow("argv[0] names a backup") << Process{"rec", {"--argv0=C:\\Quill\\quillsnd.exe.bak"}, false, false};
    }

    void endsEveryProcessWithTheNameAndNoOther()
    {
        QFETCH(Process, process);
        const auto &[fileName, arguments, replaced, ended] = process;
        const qint64 pid = startRecorder(fileName, arguments);
        // A second one that ignores SIGTERM: once it is gone, the whole pass is over.
        const qint64 marker = startRecorder(recorderName, {QStringLiteral("--ignore-term")});
        QVERIFY(pid > 0 && marker > 0);
        if (replaced)
            QVERIFY(QFile::remove(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid))));
        LinuxProcessTerminator terminator;
        bool allEnded = false;
        terminator.endProcessesNamed(recorderName, [&allEnded] { allEnded = true; });
        // The call returns at once: the one that ignores SIGTERM is forced later.
        QVERIFY(!allEnded && isAlive(marker) && heldPidfds() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(allEnded, graceWaitMs);
        QCOMPARE(QList<bool>({isAlive(marker), isAlive(pid), heldPidfds() > 0}), QList<bool>({false, !ended, false}));

        // Neither this process nor anything, for a name that is empty, is ended.
        bool nothingToWaitFor = false;
        terminator.endProcessesNamed(QString(), [&nothingToWaitFor] { nothingToWaitFor = true; });
        terminator.endProcessesNamed(QFileInfo(QCoreApplication::applicationFilePath()).fileName(), {});
        QVERIFY(nothingToWaitFor && isAlive(QCoreApplication::applicationPid()));

        // A program that quits still forces what it was ending.
        const qint64 stubborn = startRecorder(recorderName, {QStringLiteral("--ignore-term")});
        QVERIFY(stubborn > 0);
        LinuxProcessTerminator().endProcessesNamed(recorderName, {});
        QTRY_VERIFY(!isAlive(stubborn));
        QCOMPARE(heldPidfds(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProcessTerminator)
#include "tst_processterminator.moc"
