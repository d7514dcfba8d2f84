#include "TestAppDir.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <csignal>

// The real program killed again and again in the middle of a burst of fires.
class CrashSafetyTest : public QObject
{
    Q_OBJECT

private slots:
    void killedInTheMiddleOfFiringLosesAndCorruptsNothing()
    {
        constexpr int Tasks = 150;
        constexpr int Kills = 20;

        TestAppDir dir;
        const QString program = dir.installProgram();
        dir.installStandInRecorder();

        // All due at once, each with an hour to record, so the program fires one per tick.
        const QDateTime now = QDateTime::currentDateTime();
        QList<QStringList> originals;
        for (int i = 0; i < Tasks; ++i) {
            const TestAppDir::Row row{now.date().toString(Qt::ISODate), now.time().toString(QStringLiteral("HH:mm:ss")),
                                      QStringLiteral("task %1").arg(i), QStringLiteral("/rec/task-%1.mp3").arg(i),
                                      QStringLiteral("3600"), QStringLiteral("0 天 1 小时 0 分钟 0 秒 之后")};
            dir.insert(row);
            originals << QStringList{row.startDate, row.startTime, row.program, row.filename, row.parameter,
                                     row.recordLength};
        }

        QRandomGenerator random(20261207);
        for (int kill = 0; kill < Kills; ++kill) {
            const qsizetype startsBefore = dir.recorderStarts().size();
            QProcess process;
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process.start(program, {});
            QVERIFY(process.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(dir.recorderStarts().size() > startsBefore, 15000);
            QTest::qWait(int(random.bounded(300)));
            ::kill(pid_t(process.processId()), SIGKILL);
            QVERIFY(process.waitForFinished(5000));
            QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        }

        QCOMPARE(dir.queryText(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

        const QList<QStringList> remaining = dir.rows();
        QVERIFY2(remaining.size() < Tasks - Kills, "the program fired too little to test anything");
        for (const QStringList &row : remaining)
            QVERIFY2(originals.contains(row), qPrintable(row.join(QLatin1Char('|'))));

        QSet<QString> started;
        for (const TestAppDir::RecorderStart &start : dir.recorderStarts())
            started.insert(start.argument.section(QStringLiteral("&/o&"), 1));
        for (const QStringList &row : std::as_const(originals)) {
            if (!remaining.contains(row))
                QVERIFY2(started.contains(row.value(3)), qPrintable("removed unstarted: " + row.value(3)));
        }
    }
};

QTEST_GUILESS_MAIN(CrashSafetyTest)
#include "tst_crashsafety.moc"
