#include "SingleInstance.h"
#include "StoreLocker.h"
#include "TestAppDir.h"

#include <QLocalSocket>
#include <QProcess>
#include <QTest>

#include <csignal>

// The built program itself, run from a temporary application directory.
class ProgramTest : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<QProcess> start(const QString &program)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(program, {});
        process->waitForStarted();
        return process;
    }

    // True once a copy of the program at that path answers on its socket, that is, has its window.
    static bool answers(const QString &program)
    {
        QLocalSocket socket;
        socket.connectToServer(SingleInstance(program).serverName());
        const bool connected = socket.waitForConnected(200);
        socket.abort();
        return connected;
    }

private slots:
    void secondStartEndsAtOnceAndAKilledCopyNeverBlocks()
    {
        TestAppDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.installProgram();

        const auto first = start(program);
        QTRY_VERIFY_WITH_TIMEOUT(answers(program), 15000);

        const auto second = start(program);
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);

        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));

        const auto third = start(program);
        QTRY_VERIFY_WITH_TIMEOUT(answers(program), 15000);
        QCOMPARE(third->state(), QProcess::Running);
        third->kill();
        third->waitForFinished(5000);
    }

    void copiesInOtherDirectoriesAreIndependent()
    {
        TestAppDir one;
        TestAppDir other;
        const QString firstProgram = one.installProgram();
        const QString otherProgram = other.installProgram();

        const auto first = start(firstProgram);
        QTRY_VERIFY_WITH_TIMEOUT(answers(firstProgram), 15000);
        const auto second = start(otherProgram);
        QTRY_VERIFY_WITH_TIMEOUT(answers(otherProgram), 15000);
        QCOMPARE(second->state(), QProcess::Running);
        QCOMPARE(first->state(), QProcess::Running);
        first->kill();
        second->kill();
        first->waitForFinished(5000);
        second->waitForFinished(5000);
    }

    void firesATaskInItsSecondAndRemovesIt()
    {
        TestAppDir dir;
        const QString program = dir.installProgram();
        dir.installStandInRecorder();
        const QDateTime startsAt = QDateTime::currentDateTime().addSecs(4);
        const QString file = dir.path() + QStringLiteral("/my news & more.mp3");
        dir.insert({startsAt.date().toString(Qt::ISODate), startsAt.time().toString(QStringLiteral("HH:mm:ss")),
                    QStringLiteral("news"), file, QStringLiteral("90"), QStringLiteral("length")});

        const auto process = start(program);
        QTRY_COMPARE_WITH_TIMEOUT(dir.recorderStarts().size(), 1, 15000);
        const TestAppDir::RecorderStart recorder = dir.recorderStarts().first();
        QCOMPARE(recorder.argument, QStringLiteral("/t&90&/o&") + file);
        QCOMPARE(recorder.argumentCount, 1);
        const qint64 taskSecond = QDateTime(startsAt.date(), QTime(startsAt.time().hour(), startsAt.time().minute(),
                                                                startsAt.time().second()))
                                      .toSecsSinceEpoch();
        QCOMPARE(qint64(recorder.epochSeconds), taskSecond);
        QTRY_COMPARE_WITH_TIMEOUT(dir.rowCount(), 0, 5000);
        QCOMPARE(process->state(), QProcess::Running);
        process->kill();
        process->waitForFinished(5000);
    }

    void taskDueWhileTheStoreIsHeldStartsOnceItIsFree()
    {
        TestAppDir dir;
        const QString program = dir.installProgram();
        dir.installStandInRecorder();
        const QDateTime startsAt = QDateTime::currentDateTime().addSecs(5);
        dir.insert({startsAt.date().toString(Qt::ISODate), startsAt.time().toString(QStringLiteral("HH:mm:ss")),
                    QStringLiteral("news"), QStringLiteral("/rec/locked.mp3"), QStringLiteral("600"),
                    QStringLiteral("length")});

        const auto process = start(program);
        QTRY_VERIFY_WITH_TIMEOUT(answers(program), 15000);
        StoreLocker locker(dir.storePath());
        QVERIFY(locker.lock());
        // Held past the task's second: nothing can claim it, so nothing starts.
        QTest::qWait(int(QDateTime::currentDateTime().msecsTo(startsAt)) + 2500);
        QVERIFY(dir.recorderStarts().isEmpty());
        QVERIFY(locker.release());

        QTRY_COMPARE_WITH_TIMEOUT(dir.recorderStarts().size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(dir.rowCount(), 0, 5000);
        // Late by the time it was held, so it still stops when planned.
        const int stopLength = dir.recorderStarts().first().argument.section(u'&', 1, 1).toInt();
        QVERIFY2(stopLength > 590 && stopLength < 599, qPrintable(dir.recorderStarts().first().argument));
        QTest::qWait(1000);
        QCOMPARE(dir.recorderStarts().size(), 1);
        process->kill();
        process->waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "tst_program.moc"
