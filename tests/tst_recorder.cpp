#include "PrivateBus.h"
#include "PrivatePulseServer.h"
#include "RecorderProcess.h"
#include "RecorderStopClient.h"
#include "TestAppDir.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

// The real recorder records the tone of a private sound server and keeps it whichever way it ends;
// when it cannot record or go on, it says so on standard error and as a desktop notice.
class RecorderTest : public QObject
{
    Q_OBJECT

private:
    PrivateBus m_bus;
    FakeNotifications m_notifications;
    FakeLogind m_logind;
    PrivatePulseServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString outputPath(const QString &extension) const
    {
        return m_dir->filePath(QStringLiteral("news & more.") + extension);
    }
    // Once the file is there the stream has started.
    static bool recordingBegan(const QString &path) { return QTest::qWaitFor([&] { return QFile::exists(path); }, 20000); }

    static void verifyRecorded(const QString &path, double fromSeconds, double toSeconds)
    {
        const RecordingCheck file = RecordingCheck::of(path);
        QVERIFY2(file.holdsTheTone() && file.playableSeconds >= fromSeconds && file.playableSeconds <= toSeconds,
                 qPrintable(file.describe()));
    }

    // The notice carries what standard error says.
    void verifyTold(RecorderProcess &recorder)
    {
        const auto told = [&recorder] {
            const QString said = recorder.errorOutput();
            return said.mid(said.indexOf(QStringLiteral("quillsnd.exe: ")));
        };
        QTRY_VERIFY_WITH_TIMEOUT(told().startsWith(QStringLiteral("quillsnd.exe: ")), 20000);
        QTRY_COMPARE(m_notifications.notices.size(), 1);
        QCOMPARE(QStringLiteral("quillsnd.exe: ") + m_notifications.notices.first().body + QLatin1Char('\n'), told());
    }

    static void addFormats()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("format");
        QTest::addColumn<qint64>("bitRate");
        QTest::addColumn<qint64>("sizeLimit"); // about two seconds of it
        QTest::newRow("wav") << QStringLiteral("wav") << QStringLiteral("wav/pcm_s16le") << qint64(48000 * 2 * 16)
                             << qint64(400000);
        QTest::newRow("mp3") << QStringLiteral("MP3") << QStringLiteral("mp3/mp3") << qint64(192000) << qint64(48000);
        QTest::newRow("wma") << QStringLiteral("wma") << QStringLiteral("asf/wmav2") << qint64(128000) << qint64(32000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
        QVERIFY(m_notifications.registerOn(m_bus.connection()));
        QVERIFY(m_logind.registerOn(m_bus.connection()));
        QVERIFY(m_server.start());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_notifications.notices.clear();
    }

    void refusesBeforeAnyWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("serverThere");
        QTest::addColumn<int>("status");
        QTest::newRow("no argument") << QStringList() << true << 2;
        QTest::newRow("missing folder") << QStringList{QStringLiteral("/t&3&/o&DIR/none/a.wav")} << true << 2;
        QTest::newRow("no sound server") << QStringList{QStringLiteral("/t&3&/o&DIR/a.wav")} << false << 3;
    }
    void refusesBeforeAnyWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, serverThere);
        QFETCH(int, status);

        arguments.replaceInStrings(QStringLiteral("DIR"), m_dir->path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A window would need this platform, which does not exist, and end the program otherwise.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-such"));
        if (!serverThere)
            environment.insert(QStringLiteral("PULSE_SERVER"),
                               QStringLiteral("unix:") + m_dir->filePath(QStringLiteral("no.sock")));
        RecorderProcess recorder(arguments, environment);
        QCOMPARE(recorder.waitForExit(), status);
        verifyTold(recorder);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void recordsEachFormatForItsLength_data() { addFormats(); }
    void recordsEachFormatForItsLength()
    {
        QFETCH(QString, extension);
        QFETCH(QString, format);
        QFETCH(qint64, bitRate);

        RecorderProcess recorder({RecorderProcess::argument(3, outputPath(extension))});
        QCOMPARE(recorder.waitForExit(), 0);
        const RecordingCheck file = RecordingCheck::of(outputPath(extension));
        QCOMPARE(file.format, format);
        QCOMPARE(file.bitRate, bitRate);
        verifyRecorded(outputPath(extension), 2.75, 3.25);
    }

    void killedRecordingStaysPlayable_data() { addFormats(); }
    void killedRecordingStaysPlayable()
    {
        QFETCH(QString, extension);
        QFETCH(QString, format);

        RecorderProcess recorder({RecorderProcess::argument(10, outputPath(extension))});
        QVERIFY(recordingBegan(outputPath(extension)));
        QTest::qWait(3000);
        recorder.signal(SIGKILL);
        QCOMPARE(recorder.waitForExit(), -1);
        const RecordingCheck file = RecordingCheck::of(outputPath(extension));
        QCOMPARE(file.format, format);
        verifyRecorded(outputPath(extension), 2, 4);
        // The header does not promise more than the file holds.
        if (extension == QLatin1String("wav"))
            QVERIFY2(file.probedSeconds <= file.playableSeconds + 0.01, qPrintable(file.describe()));
    }

    void everyStopKeepsTheRecording_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("stop request") << 0;
    }
    void everyStopKeepsTheRecording()
    {
        QFETCH(int, signalNumber);

        const QString path = outputPath(QStringLiteral("mp3"));
        const qsizetype lock = m_logind.calls.size();
        RecorderProcess recorder({RecorderProcess::argument(10, path)});
        QVERIFY(recordingBegan(path));
        // The machine does not sleep while it records.
        QTRY_VERIFY(m_logind.lockOpen(int(lock)));
        QCOMPARE(m_logind.calls.at(lock).first(), QStringLiteral("sleep"));
        QTest::qWait(2000);
        if (signalNumber != 0) {
            recorder.signal(signalNumber);
        } else {
            RecorderStopClient client;
            QSignalSpy answered(&client, &RecorderStopClient::finished);
            client.requestStop();
            QVERIFY(answered.size() == 1 || answered.wait(5000));
            QCOMPARE(answered.first().first().toBool(), true);
        }
        // A sanitized build takes seconds to check for leaks at exit, after the file is finished.
        QCOMPARE(recorder.waitForExit(10000), 0);
        verifyRecorded(path, 1.5, 2.5);
    }

    void existingFilesAreKept()
    {
        const QStringList taken = {outputPath(QStringLiteral("Wav")),
                                   m_dir->filePath(QStringLiteral("news & more (2).Wav"))};
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
        }
        RecorderProcess recorder({RecorderProcess::argument(1, taken.first())});
        QCOMPARE(recorder.waitForExit(), 0);
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("mine"));
        }
        verifyRecorded(m_dir->filePath(QStringLiteral("news & more (3).Wav")), 0.75, 1.25);
    }

    void writeErrorFinishesTheFile_data() { addFormats(); }
    void writeErrorFinishesTheFile()
    {
        QFETCH(QString, extension);
        QFETCH(qint64, sizeLimit);

        const qsizetype lock = m_logind.calls.size();
        const auto limitSize = [sizeLimit] {
            const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        };
        RecorderProcess recorder({RecorderProcess::argument(30, outputPath(extension))},
                                 QProcessEnvironment::systemEnvironment(), limitSize);
        verifyTold(recorder);
        // It shows the failure until closed, but no longer keeps the machine awake.
        QCOMPARE(recorder.process().state(), QProcess::Running);
        QTRY_VERIFY(lock < m_logind.calls.size() && !m_logind.lockOpen(int(lock)));
        recorder.signal(SIGTERM);
        QCOMPARE(recorder.waitForExit(), 4);
        verifyRecorded(outputPath(extension), 1, 3);
    }

    // The real scheduler fires a task in its second, the real recorder beside it records, and the
    // next task ends that recording and starts the next one.
    void schedulerChainsRecordings()
    {
        TestAppDir dir;
        QVERIFY(dir.isValid());
        const QString program = dir.installProgram();
        QVERIFY(QFile::copy(RecorderProcess::path(), dir.path() + QStringLiteral("/quillsnd.exe")));
        const QDateTime now = QDateTime::currentDateTime();
        const QString first = dir.path() + QStringLiteral("/first.mp3");
        const QString second = dir.path() + QStringLiteral("/second.wav");
        for (const auto &[after, file, seconds] : {std::tuple(5, first, 60), std::tuple(9, second, 2)}) {
            const QDateTime at = now.addSecs(after);
            dir.insert({at.date().toString(Qt::ISODate), at.time().toString(QStringLiteral("HH:mm:ss")),
                        QStringLiteral("news"), file, QString::number(seconds), QStringLiteral("length")});
        }

        QProcess scheduler;
        scheduler.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        scheduler.start(program, {});
        QVERIFY(scheduler.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(second), 30000);
        // Its two seconds and the finish.
        QTest::qWait(4000);
        scheduler.kill();
        scheduler.waitForFinished(5000);
        verifyRecorded(first, 3, 5);
        verifyRecorded(second, 1.75, 2.25);
        QCOMPARE(dir.rowCount(), 0);
    }

    // Last: the server does not come back.
    void lostServerFinishesTheFile()
    {
        const QString path = outputPath(QStringLiteral("mp3"));
        RecorderProcess recorder({RecorderProcess::argument(30, path)});
        QTest::qWait(2500);
        m_server.kill();
        verifyTold(recorder);
        QCOMPARE(recorder.process().state(), QProcess::Running);
        recorder.signal(SIGTERM);
        QCOMPARE(recorder.waitForExit(), 3);
        verifyRecorded(path, 1.5, 3.5);
    }
};

QTEST_GUILESS_MAIN(RecorderTest)
#include "tst_recorder.moc"
