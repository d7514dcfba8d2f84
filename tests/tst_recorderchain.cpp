#include "PrivatePulseServer.h"
#include "RecorderProcess.h"
#include "RecordingCheck.h"
#include "TestAppDir.h"

#include <QFile>
#include <QProcess>
#include <QTest>

// The whole chain: the real scheduler fires a task in its second, the real recorder beside it
// records the tone, and the next task ends that recording and starts the next one.
class RecorderChainTest : public QObject
{
    Q_OBJECT

private:
    static TestAppDir::Row task(const QDateTime &at, const QString &file, int seconds)
    {
        return {at.date().toString(Qt::ISODate), at.time().toString(QStringLiteral("HH:mm:ss")), QStringLiteral("news"),
                file, QString::number(seconds), QStringLiteral("length")};
    }

private slots:
    void nextTaskEndsTheRecordingWithAValidFile()
    {
        PrivatePulseServer server;
        QVERIFY(server.start());
        TestAppDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.installProgram();
        const QString recorder = dir.path() + QStringLiteral("/quillsnd.exe");
        QVERIFY(QFile::copy(RecorderProcess::path(), recorder));

        constexpr int firstAfter = 5;
        constexpr int secondAfter = 9;
        const QDateTime now = QDateTime::currentDateTime();
        const QString first = dir.path() + QStringLiteral("/first.mp3");
        const QString second = dir.path() + QStringLiteral("/second.wav");
        dir.insert(task(now.addSecs(firstAfter), first, 60));
        dir.insert(task(now.addSecs(secondAfter), second, 2));

        QProcess scheduler;
        scheduler.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        scheduler.start(program, {});
        QVERIFY(scheduler.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(second), 30000);
        // Its two seconds and the finish.
        QTest::qWait(4000);
        scheduler.kill();
        scheduler.waitForFinished(5000);

        const RecordingCheck ended = RecordingCheck::of(first);
        QVERIFY2(ended.holdsTheTone(), qPrintable(ended.describe()));
        QVERIFY2(qAbs(ended.playableSeconds - (secondAfter - firstAfter)) <= 1, qPrintable(ended.describe()));
        const RecordingCheck next = RecordingCheck::of(second);
        QVERIFY2(next.holdsTheTone(), qPrintable(next.describe()));
        QVERIFY2(qAbs(next.playableSeconds - 2) <= 0.25, qPrintable(next.describe()));
        QCOMPARE(dir.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(RecorderChainTest)
#include "tst_recorderchain.moc"
