#include "Recording.h"
#include "SingleInstance.h"
#include "StoreLocker.h"
#include "TestAppDir.h"

#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <csignal>

namespace {

// The built program in a fresh application folder of its own, with a stand-in recorder beside it.
class RunningProgram
{
public:
    RunningProgram() : m_program(dir.installProgram()) {}
    ~RunningProgram()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QProcess &start()
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(m_program, {});
        m_process.waitForStarted();
        return m_process;
    }

    // True once the program answers on its socket, that is, has its window.
    bool answers() const
    {
        QLocalSocket socket;
        socket.connectToServer(SingleInstance(m_program).serverName());
        return socket.waitForConnected(200);
    }

    TestAppDir dir;

private:
    QString m_program;
    QProcess m_process;
};

} // namespace

// The built program itself, as a user starts it.
class ProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X server that run-tests.sh starts");
    }

    // The rule itself is tested in process; here the real timer starts the task once the store is free.
    void taskDueWhileTheStoreIsHeldStartsOnceItIsFree()
    {
        RunningProgram program;
        const QDateTime startsAt = program.dir.insertDueIn(5, QStringLiteral("/tmp/locked.mp3"), QStringLiteral("600"));
        QProcess &first = program.start();
        QTRY_VERIFY_WITH_TIMEOUT(program.answers(), 15000);
        // A second start leaves at once and the first goes on.
        QProcess second;
        second.start(program.dir.path() + QStringLiteral("/quillscheduler"), {});
        QVERIFY(second.waitForFinished(10000) && second.exitCode() == 0 && first.state() == QProcess::Running);
        StoreLocker locker(program.dir.storePath());
        QVERIFY(locker.lock());
        QTest::qWait(int(QDateTime::currentDateTime().msecsTo(startsAt)) + 1500);
        QVERIFY(program.dir.recorderArguments().isEmpty() && locker.release());
        QTRY_COMPARE_WITH_TIMEOUT(program.dir.recorderArguments().size(), 1, 5000);
    }

    void killedInTheMiddleOfFiringLosesAndCorruptsNothing()
    {
        constexpr int Tasks = 150;
        constexpr int Kills = 20;
        RunningProgram program;
        // All due at once, each with an hour to record, so the program fires one per tick; every third repeats daily.
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < Tasks; ++i) {
            const QStringList row{now.date().toString(Qt::ISODate), now.time().toString("HH:mm:ss"), "news",
                                  QStringLiteral("/tmp/task-%1.mp3").arg(i), "3600", "length"};
            i % 3 ? program.dir.insert(row) : program.dir.insertSeries(row, "FREQ=DAILY");
        }
        const QList<QStringList> originals = program.dir.rows();

        QRandomGenerator random(20261207);
        for (int kill = 0; kill < Kills; ++kill) {
            const qsizetype startsBefore = program.dir.recorderArguments().size();
            QProcess &process = program.start();
            QTRY_VERIFY_WITH_TIMEOUT(program.dir.recorderArguments().size() > startsBefore, 15000);
            QTest::qWait(int(random.bounded(300)));
            ::kill(pid_t(process.processId()), SIGKILL);
            QVERIFY(process.waitForFinished(5000));
        }

        QCOMPARE(Recording::output("sqlite3", {program.dir.storePath(), "PRAGMA integrity_check"}), QStringLiteral("ok\n"));
        const QList<QStringList> remaining = program.dir.rows();
        QVERIFY2(remaining.size() < Tasks - Kills, "the program fired too little to test anything");
        QSet<QString> started;
        for (const QString &argument : program.dir.recorderArguments())
            started.insert(argument.section(QStringLiteral("&/o&"), 1));
        // Every task is either still stored as it was, or was started; a series holds either the fired day or the next, never both.
        QList<QStringList> expected;
        for (const QStringList &row : originals) {
            const bool series = row.value(3).section('-', 1).section('.', 0, 0).toInt() % 3 == 0;
            const QString file = series ? QString(row.value(3)).replace(".mp3", " " + row.value(0) + ".mp3") : row.value(3);
            QStringList next = row;
            next[0] = now.date().addDays(1).toString(Qt::ISODate);
            const bool moved = series && remaining.contains(next);
            QVERIFY2(remaining.contains(row) != moved || (!series && started.contains(file)), qPrintable(file));
            QVERIFY2(!moved || started.contains(file), qPrintable(file));
            if (remaining.contains(row) || moved)
                expected << (moved ? next : row);
        }
        QCOMPARE(remaining.size(), expected.size());
        QCOMPARE(program.dir.plans().size(), Tasks / 3);
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
