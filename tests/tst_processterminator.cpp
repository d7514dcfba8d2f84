#include "LinuxProcessTerminator.h"

#include <csignal>
#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The stand-ins are started detached, as the scheduler starts the recorder, so that they are
// not this process's children and only the terminator holds a pidfd on them.
class TestProcessTerminator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void endsOnlyProcessesWithTheName_data();
    void endsOnlyProcessesWithTheName();
    void endsScriptOfThatName();
    void emptyNameEndsNothing();

    void returnsBeforeForcingAnIgnoringProcess();
    void leavesTheCallingProcessAlone();

    void closesPidfds_data();
    void closesPidfds();

private:
    // Copies the stand-in recorder to dir under fileName and starts it; 0 when that fails.
    qint64 startRecorder(const QTemporaryDir &dir, const QString &fileName, const QStringList &arguments);
    qint64 startDetached(const QString &program, const QStringList &arguments);

    static bool isAlive(qint64 pid);
    // Still asleep in its wait, and no SIGKILL on its way to it: a call that waited out the
    // grace period itself would leave the process dead, dying or with SIGKILL pending.
    static bool isWaitingWithNoKillSent(qint64 pid);
    // The process ids of the pidfds this process holds (-1 for one whose process is gone).
    static QList<qint64> heldPidfds();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_markerDir;
    QList<qint64> m_started;
};

namespace {

constexpr int graceWaitMs = 10000;

const QString recorderName = QStringLiteral("quillsnd.exe");
// A marker ignores SIGTERM; once it has been forced, the whole pass that ended it is over,
// SIGKILL included, so a process that pass should have ended would be gone by then.
// Named so, a marker is ended only by a call made for it.
const QString markerName = QStringLiteral("pass-marker");

} // namespace

void TestProcessTerminator::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_markerDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(m_markerDir->isValid());
}

void TestProcessTerminator::cleanup()
{
    for (const qint64 pid : std::as_const(m_started)) {
        if (isAlive(pid))
            ::kill(pid_t(pid), SIGKILL);
    }
    m_started.clear();
    m_dir.reset();
    m_markerDir.reset();
}

void TestProcessTerminator::endsOnlyProcessesWithTheName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("ended");

    QTest::newRow("same name") << QStringLiteral("quillsnd.exe") << QStringList{QStringLiteral("a.wav")} << true;
    QTest::newRow("upper case") << QStringLiteral("QUILLSND.EXE") << QStringList{} << true;
    QTest::newRow("longer name ending in it") << QStringLiteral("myquillsnd.exe") << QStringList{} << true;
    QTest::newRow("only the program file, name past the comm limit")
        << QStringLiteral("a-recorder-with-a-long-name-quillsnd.exe")
        << QStringList{QStringLiteral("--argv0=recorder")} << true;
    QTest::newRow("only argv[0], a Windows path as under Wine")
        << QStringLiteral("winerecorder")
        << QStringList{QStringLiteral("--argv0=C:\\Program Files\\Quill\\QuillSnd.exe")} << true;
    QTest::newRow("backup copy") << QStringLiteral("quillsnd.exe.bak") << QStringList{} << false;
    QTest::newRow("name without the ending") << QStringLiteral("quillsnd") << QStringList{} << false;
    QTest::newRow("name only in a later argument")
        << QStringLiteral("recorder") << QStringList{QStringLiteral("quillsnd.exe")} << false;
    QTest::newRow("argv[0] names a backup")
        << QStringLiteral("recorder") << QStringList{QStringLiteral("--argv0=C:\\Quill\\quillsnd.exe.bak")}
        << false;
}

void TestProcessTerminator::endsOnlyProcessesWithTheName()
{
    QFETCH(QString, fileName);
    QFETCH(QStringList, arguments);
    QFETCH(bool, ended);
    const qint64 pid = startRecorder(*m_dir, fileName, arguments);
    QVERIFY(pid > 0);
    const qint64 marker = ended ? 0 : startRecorder(*m_markerDir, recorderName, {QStringLiteral("--ignore-term")});
    QVERIFY(ended || marker > 0);

    LinuxProcessTerminator terminator;
    terminator.endProcessesNamed(recorderName, {});

    QTRY_VERIFY_WITH_TIMEOUT(!isAlive(ended ? pid : marker), graceWaitMs);
    QCOMPARE(isAlive(pid), !ended);
}

void TestProcessTerminator::endsScriptOfThatName()
{
    const QString script = m_dir->filePath(recorderName);
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Two minutes at most, so that a failed test leaves nothing running.
    file.write("#!/bin/sh\ni=0\nwhile [ $i -lt 120 ]; do sleep 1; i=$((i + 1)); done\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    const qint64 pid = startDetached(script, {});
    QVERIFY(pid > 0);

    LinuxProcessTerminator terminator;
    terminator.endProcessesNamed(recorderName, {});

    QTRY_VERIFY_WITH_TIMEOUT(!isAlive(pid), graceWaitMs);
}

void TestProcessTerminator::emptyNameEndsNothing()
{
    const qint64 pid = startRecorder(*m_dir, recorderName, {});
    QVERIFY(pid > 0);
    const qint64 marker = startRecorder(*m_markerDir, markerName, {QStringLiteral("--ignore-term")});
    QVERIFY(marker > 0);

    LinuxProcessTerminator terminator;
    bool nothingToWaitFor = false;
    terminator.endProcessesNamed(QString(), [&nothingToWaitFor] { nothingToWaitFor = true; });
    QVERIFY(nothingToWaitFor);
    terminator.endProcessesNamed(markerName, {});

    QTRY_VERIFY_WITH_TIMEOUT(!isAlive(marker), graceWaitMs);
    QVERIFY(isAlive(pid));
}

void TestProcessTerminator::returnsBeforeForcingAnIgnoringProcess()
{
    const qint64 pid = startRecorder(*m_dir, recorderName, {QStringLiteral("--ignore-term")});
    QVERIFY(pid > 0);

    const qint64 polite = startRecorder(*m_markerDir, recorderName, {});
    QVERIFY(polite > 0);

    LinuxProcessTerminator terminator;
    bool allEnded = false;
    terminator.endProcessesNamed(recorderName, [&allEnded] { allEnded = true; });

    QVERIFY2(isWaitingWithNoKillSent(pid), "the call forced the process instead of returning at once");
    QVERIFY(!allEnded);
    // The polite one goes at once; the end is told only once the forced one has gone too.
    QTRY_VERIFY_WITH_TIMEOUT(!isAlive(polite), graceWaitMs);
    QVERIFY(!allEnded && isAlive(pid));
    QTRY_VERIFY_WITH_TIMEOUT(allEnded, graceWaitMs);
    QVERIFY(!isAlive(pid));
}

void TestProcessTerminator::leavesTheCallingProcessAlone()
{
    // A process that ignores SIGTERM under this test's own name: once it is forced, the pass
    // has looked at this process too, and this process is still here.
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const qint64 namesake = startRecorder(*m_dir, ownName, {QStringLiteral("--ignore-term")});
    QVERIFY(namesake > 0);

    LinuxProcessTerminator terminator;
    terminator.endProcessesNamed(ownName, {});

    QTRY_VERIFY_WITH_TIMEOUT(!isAlive(namesake), graceWaitMs);
    QVERIFY(isAlive(QCoreApplication::applicationPid()));
}

void TestProcessTerminator::closesPidfds_data()
{
    QTest::addColumn<bool>("destroyedEarly");
    QTest::newRow("once the process has ended") << false;
    QTest::newRow("when the terminator is destroyed, forcing it") << true;
}

void TestProcessTerminator::closesPidfds()
{
    QFETCH(bool, destroyedEarly);
    const qint64 pid = startRecorder(*m_dir, recorderName, {QStringLiteral("--ignore-term")});
    QVERIFY(pid > 0);
    QCOMPARE(heldPidfds(), QList<qint64>{});

    auto terminator = std::make_unique<LinuxProcessTerminator>();
    terminator->endProcessesNamed(recorderName, {});
    QVERIFY(heldPidfds().contains(pid));

    // A program that quits within the grace period still forces what it asked to end.
    if (destroyedEarly)
        terminator.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!isAlive(pid), destroyedEarly ? 1000 : graceWaitMs);
    QTRY_COMPARE(heldPidfds(), QList<qint64>{});
}

qint64 TestProcessTerminator::startRecorder(const QTemporaryDir &dir, const QString &fileName,
                                            const QStringList &arguments)
{
    const QString program = dir.filePath(fileName);
    if (!QFile::copy(QStringLiteral(STANDIN_RECORDER_PATH), program))
        return 0;
    const qint64 pid = startDetached(program, arguments);
    // The record is written once the stand-in is set up, SIGTERM ignored and argv[0] set.
    const QString record = dir.filePath(QStringLiteral("received-%1").arg(pid));
    if (pid == 0 || !QTest::qWaitFor([&record] { return QFile::exists(record); }, graceWaitMs))
        return 0;
    return pid;
}

qint64 TestProcessTerminator::startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // Tied to nothing of this test's, so a stand-in left behind cannot keep CTest reading.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return 0;
    m_started.append(pid);
    return pid;
}

// Alive means running or stopped: a zombie has ended even if nobody has reaped it yet.
bool TestProcessTerminator::isAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype nameEnd = text.lastIndexOf(')');
    if (nameEnd < 0 || nameEnd + 2 >= text.size())
        return false;
    const char state = text.at(nameEnd + 2);
    return state != 'Z' && state != 'X';
}

bool TestProcessTerminator::isWaitingWithNoKillSent(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const quint64 killBit = quint64(1) << (SIGKILL - 1);
    bool sleeping = false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("State:"))
            sleeping = line.mid(6).trimmed().startsWith('S');
        else if ((line.startsWith("SigPnd:") || line.startsWith("ShdPnd:"))
                 && (line.mid(7).trimmed().toULongLong(nullptr, 16) & killBit))
            return false;
    }
    return sleeping;
}

QList<qint64> TestProcessTerminator::heldPidfds()
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    QList<qint64> pids;
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (!QFile::symLinkTarget(fds.filePath(fd)).endsWith(QLatin1String("[pidfd]")))
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : info.readAll().split('\n')) {
            if (line.startsWith("Pid:"))
                pids.append(line.mid(4).trimmed().toLongLong());
        }
    }
    return pids;
}

QTEST_GUILESS_MAIN(TestProcessTerminator)
#include "tst_processterminator.moc"
