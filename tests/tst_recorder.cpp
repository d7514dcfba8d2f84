#include "DBusDesktopNotices.h"
#include "LogindSleepInhibitor.h"
#include "PrivateBus.h"
#include "Recording.h"
#include "RecorderCommandLine.h"
#include "RecorderRun.h"
#include "RecorderStopClient.h"
#include "RecorderStopServer.h"
#include "TestAppDir.h"
#include "ToneSoundServer.h"
#include "X11WindowKeystrokes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <csignal>

#include <sys/resource.h>

// The output folder below the test's (missing) and the sound server (empty for the test's own); the exit status.
using Refusal = std::tuple<QString, QString, int>;
// The extension; codec, bit rate and container as ffprobe gives them; the end: a signal, 0 run out, 1 stop request, 2 F12.
using Ending = std::tuple<QString, QString, int>;

// The real recorder keeps what it recorded however it ends and tells why it cannot go on; and the services it uses.
class RecorderTest : public QObject
{
    Q_OBJECT

    PrivateBus m_bus;
    FakeNotifications m_notifications;
    FakeLogind m_logind;
    QTemporaryDir m_home; // home and runtime folder of the sound server, the recorders and this test
    ToneSoundServer m_sound;
    std::unique_ptr<QTemporaryDir> m_dir;
    RecorderRun m_recorder{m_notifications};

    QString outputPath(const QString &extension, const char *number = "") const
    {
        return m_dir->filePath(QStringLiteral("news & more%1.").arg(QLatin1String(number)) + extension);
    }
    // 1 when a recorder acknowledged the stop request, 0 when none is there, -1 without an answer.
    static int askToStop()
    {
        RecorderStopClient client;
        QSignalSpy finished(&client, &RecorderStopClient::finished);
        client.requestStop();
        if (finished.isEmpty() && !finished.wait(5000))
            return -1;
        return finished.first().first().toBool() ? 1 : 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
        QVERIFY(m_notifications.registerOn(m_bus.connection()));
        QVERIFY(m_logind.registerOn(m_bus.connection()));
        QVERIFY(m_sound.start(m_home.path()));
    }

    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void noticeWithoutTheServiceIsGivenUp()
    {
        DBusDesktopNotices notices("Quillsound");
        m_bus.connection().unregisterService("org.freedesktop.Notifications");
        notices.notify("summary", "body");
        const bool givenUp = notices.waitForDelivery(5000);
        QVERIFY(m_bus.connection().registerService("org.freedesktop.Notifications"));
        QVERIFY(givenUp);
    }

    void sleepLockIsHeldOnceAndClosedOnRelease()
    {
        const int first = int(m_logind.calls.size());
        LogindSleepInhibitor inhibitor("Quillsound");
        QSignalSpy answered(&inhibitor, &LogindSleepInhibitor::answered);
        inhibitor.hold("recording");
        inhibitor.hold("recording again");
        QVERIFY(answered.wait(5000));
        QCOMPARE(m_logind.calls.mid(first), QList<QStringList>({{"sleep", "Quillsound", "recording", "block"}}));
        QVERIFY(inhibitor.isHeld());
        QTRY_VERIFY(m_logind.lockOpen(first));
        inhibitor.hold("held already");
        inhibitor.release();
        QTRY_VERIFY(!m_logind.lockOpen(first));
        // A lock that arrives after its release is not kept.
        inhibitor.hold("short");
        inhibitor.release();
        QVERIFY(answered.wait(5000));
        QCOMPARE(m_logind.calls.size(), first + 2);
        QVERIFY(!inhibitor.isHeld());
        QTRY_VERIFY(!m_logind.lockOpen(first + 1));
    }

    void stopRequestReachesTheNewestRecorderOnly()
    {
        QVERIFY(RecorderStopServer::socketPath().startsWith(m_home.path()));
        QCOMPARE(askToStop(), 0);
        // Whatever a recorder that is gone left at the path.
        QFile leftover(RecorderStopServer::socketPath());
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        auto older = std::make_unique<RecorderStopServer>();
        QVERIFY(older->listen());
        RecorderStopServer newer;
        QVERIFY(newer.listen());
        QSignalSpy stops(&newer, &RecorderStopServer::stopRequested);
        // The older one ending leaves the newer one's socket.
        older.reset();
        QLocalSocket stray;
        stray.connectToServer(RecorderStopServer::socketPath());
        QVERIFY(stray.waitForConnected(2000));
        stray.write("quillsnd stop 2\n");
        QTRY_COMPARE(stray.state(), QLocalSocket::UnconnectedState);
        QVERIFY(stray.readAll().isEmpty());
        QCOMPARE(stops.size(), 0);
        QCOMPARE(askToStop(), 1);
        QCOMPARE(stops.size(), 1);
    }

    void refusesBeforeAnyWindow_data()
    {
        QTest::addColumn<Refusal>("refusal");
        QTest::newRow("missing folder") << Refusal{"/none", {}, 2};
        QTest::newRow("no sound server") << Refusal{QString(), "unix:/nowhere", 3};
    }
    void refusesBeforeAnyWindow()
    {
        QFETCH(Refusal, refusal);
        const auto &[folder, server, status] = refusal;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A window would need this platform, which does not exist, and end the program otherwise.
        environment.insert("QT_QPA_PLATFORM", "none-such");
        if (!server.isEmpty())
            environment.insert("PULSE_SERVER", server);
        m_recorder.start(3, m_dir->path() + folder + "/a.wav", {}, {}, environment);
        QCOMPARE(m_recorder.exitStatus(), status);
        QVERIFY(!m_recorder.told().isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void missingLibraryIsTold()
    {
        const QString alone = m_dir->filePath("quillsnd.exe");
        QVERIFY(QFile::copy(QUILL_RECORDER_PATH, alone));
        QProcess recorder;
        recorder.start(alone, {RecorderCommandLine::parameterText("3", m_dir->filePath("a.wav"))});
        QVERIFY(recorder.waitForFinished());
        QCOMPARE(recorder.exitStatus(), QProcess::NormalExit);
        QCOMPARE(recorder.exitCode(), 1);
        QVERIFY(recorder.readAllStandardError().contains("libquillsnd.so"));
        QVERIFY(!QFile::exists(m_dir->filePath("a.wav")));
    }

    // Each recording lands beside two files of its name, which it leaves as they were.
    void everyEndKeepsTheRecording_data()
    {
        QTest::addColumn<Ending>("ending");
        const auto row = [](const char *name, const char *extension, const char *probe, int stop) {
            QTest::newRow(name) << Ending{extension, probe, stop};
        };
        // Each kind of file is written and kept in process by tst_audioencoder; here one runs out, one is killed.
        row("wav SIGKILL", "wav", "codec_name=pcm_s16le bit_rate=1536000 format_name=wav", SIGKILL);
        const char *mp3 = "codec_name=mp3 bit_rate=192000 format_name=mp3";
        row("MP3", "MP3", mp3, 0);
        for (const auto &[name, stop] : {std::pair("SIGTERM", SIGTERM), std::pair("SIGINT", SIGINT), std::pair("SIGHUP", SIGHUP),
                                         std::pair("stop request", 1), std::pair("F12", 2)})
            row(name, "mp3", mp3, stop);
    }
    void everyEndKeepsTheRecording()
    {
        QFETCH(Ending, ending);
        const auto &[extension, probe, stop] = ending;
        const QStringList taken = {outputPath(extension), outputPath(extension, " (2)")};
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
        }
        const qsizetype lock = m_logind.calls.size();
        m_recorder.start(stop == 0 ? 3 : 10, taken.first());
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(outputPath(extension, " (3)")); }, 20000));
        // The machine does not sleep while it records.
        QTRY_VERIFY(m_logind.lockOpen(int(lock)));
        // A second and a half on the disk, at the bit rate the probe gives.
        const qint64 bytes = probe.section("bit_rate=", 1).section(' ', 0, 0).toLongLong() / 8 * 3 / 2;
        QTRY_VERIFY_WITH_TIMEOUT(stop == 0 || QFileInfo(outputPath(extension, " (3)")).size() >= bytes, 20000);
        if (stop == 1)
            QCOMPARE(askToStop(), 1);
        else if (stop == 2)
            QVERIFY(X11WindowKeystrokes().activateAndSendF12("Quillsound"));
        else if (stop != 0)
            m_recorder.signal(stop);
        QCOMPARE(m_recorder.exitStatus(), stop == SIGKILL ? -1 : 0);
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), "mine");
        }
        const Recording file(outputPath(extension, " (3)"));
        QVERIFY2(file.text.contains(probe), qPrintable(file.text));
        QVERIFY2(file.holdsTheTone(stop == 0 ? 2.75 : stop == SIGKILL ? 1 : 1.5, stop == 0 ? 3.25 : 2.5), qPrintable(file.text));
    }

    // The real scheduler fires a task, the real recorder records (a loaded machine starts it late), the next ends it.
    void schedulerChainsRecordings()
    {
        TestAppDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.installProgram(QStringLiteral(QUILL_RECORDER_PATH));
        const QString first = dir.path() + "/first.mp3", second = dir.path() + "/second.wav";
        dir.insertDueIn(5, first, "60");
        dir.insertDueIn(9, second, "2");
        QProcess scheduler;
        scheduler.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        scheduler.start(program, {});
        QVERIFY(scheduler.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(Recording(second).holdsTheTone(1.75, 2.25), 30000);
        scheduler.kill();
        scheduler.waitForFinished(5000);
        const Recording ended(first);
        QVERIFY2(ended.holdsTheTone(2, 5), qPrintable(ended.text));
        QCOMPARE(dir.rowCount(), 0);
    }

    void writeFailureFinishesTheFile()
    {
        const qsizetype lock = m_logind.calls.size();
        // About two seconds fit.
        m_recorder.start(30, outputPath("mp3"), {}, [] {
            const rlimit limit{48000, 48000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        QVERIFY(!m_recorder.told().isEmpty());
        // It shows the failure until closed, but no longer keeps the machine awake.
        QCOMPARE(m_recorder.state(), QProcess::Running);
        QTRY_VERIFY(lock < m_logind.calls.size() && !m_logind.lockOpen(int(lock)));
        m_recorder.signal(SIGTERM);
        QCOMPARE(m_recorder.exitStatus(), 4);
        const Recording file(outputPath("mp3"));
        QVERIFY2(file.holdsTheTone(1, 3.5), qPrintable(file.text));
    }

    // The sound server restarting (an upgrade, a crash) is a drop: filled with silence, told, and the task ends on time,
    // also when the server never comes back. Last, as it leaves no server behind.
    void soundServerRestartIsADrop_data()
    {
        QTest::addColumn<bool>("back");
        QTest::addColumn<QString>("told");
        QTest::newRow("back 2 s later") << true << "^录音完成: 声音服务器中断 1 次, 共丢失 [2-4] 秒$";
        QTest::newRow("never back") << false << "^录音完成: 声音服务器中断 1 次, 共丢失 [6-8] 秒$";
    }
    void soundServerRestartIsADrop()
    {
        QFETCH(bool, back);
        QFETCH(QString, told);
        QElapsedTimer clock;
        clock.start();
        m_recorder.start(10, outputPath("wav"));
        // Three seconds of 1536 kbit/s on the disk.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(outputPath("wav")).size() >= 576000, 20000);
        m_sound.kill();
        if (back) {
            QTest::qWait(2000); // the server's time away
            QVERIFY(m_sound.launch());
        }
        QCOMPARE(m_recorder.exitStatus(), 0);
        // Not waiting for anyone to close the window: a loaded machine may be a little late.
        QVERIFY2(clock.elapsed() < 14000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(QRegularExpression(told).match(m_recorder.told()).hasMatch());
        const Recording file(outputPath("wav"));
        QVERIFY2(std::abs(file.seconds() - 10) <= 0.5 && file.number("RMS amplitude:") > 0.1, qPrintable(file.text));
    }
};

QTEST_GUILESS_MAIN(RecorderTest)
#include "tst_recorder.moc"
