#include "PrivateBus.h"
#include "RecorderStopClient.h"
#include "TestAppDir.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace {

// Runs a program to its end and gives what it said; "IN" and "OUT" among the arguments stand for the two paths.
QString output(const char *command, const QString &in = {}, const QString &out = {})
{
    QStringList arguments = QString::fromLatin1(command).split(QLatin1Char('|'));
    for (QString &argument : arguments)
        argument = argument == QLatin1String("IN") ? in : argument == QLatin1String("OUT") ? out : argument;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(arguments.takeFirst(), arguments);
    const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    return ended && process.exitCode() == 0 ? QString::fromUtf8(process.readAll()) : QString();
}

// A PulseAudio daemon of the test's own, without a sound card: one null sink whose monitor is the
// default source, playing a 440 Hz tone. start() points this process, and every program it starts,
// at it: home, runtime directory and server all lie in a private folder.
class PrivatePulseServer
{
public:
    ~PrivatePulseServer()
    {
        for (QProcess *process : {&m_tonePlayer, &m_toneSource, &m_daemon})
            kill(*process);
    }

    bool start()
    {
        const QDir dir(m_dir.path());
        for (const char *sub : {"home", "runtime", "pulse"})
            dir.mkpath(QLatin1String(sub));
        QFile::setPermissions(dir.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile config(dir.filePath(QStringLiteral("client.conf")));
        if (!config.open(QIODevice::WriteOnly) || config.write("autospawn = no\n") < 0)
            return false;
        config.close();
        const QString socket = dir.filePath(QStringLiteral("pa.sock"));
        for (const auto &[name, value] : {std::pair("HOME", dir.filePath(QStringLiteral("home"))),
                                          std::pair("XDG_RUNTIME_DIR", dir.filePath(QStringLiteral("runtime"))),
                                          std::pair("PULSE_RUNTIME_PATH", dir.filePath(QStringLiteral("pulse"))),
                                          std::pair("PULSE_CLIENTCONFIG", config.fileName()),
                                          std::pair("PULSE_SERVER", QStringLiteral("unix:") + socket)})
            qputenv(name, QFile::encodeName(value));
        m_daemon.setStandardErrorFile(dir.filePath(QStringLiteral("pulseaudio.log")));
        m_daemon.start(QStringLiteral("pulseaudio"),
                       QStringLiteral("-n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes -L")
                               .split(QLatin1Char(' '))
                           << QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket << QStringLiteral("-L")
                           << QStringLiteral("module-null-sink sink_name=testsink rate=48000 channels=2"));
        if (!QTest::qWaitFor([] { return !output("pactl|info").isEmpty(); }, 15000)
            || !output("pactl|set-default-source|testsink.monitor").isEmpty()
            || !output("pactl|info").contains(QStringLiteral("Default Source: testsink.monitor"))) {
            qWarning("the private PulseAudio daemon did not start");
            return false;
        }
        // Low latency, or the null sink renders seconds ahead in bursts and its monitor falls silent meanwhile.
        m_toneSource.setStandardOutputProcess(&m_tonePlayer);
        m_toneSource.start(QStringLiteral("sox"), QStringLiteral("-q -n -t raw -r 48000 -c 2 -b 16 -e signed - synth 3600 "
                                                                 "sine 440 gain -6").split(QLatin1Char(' ')));
        m_tonePlayer.start(QStringLiteral("pacat"), QStringLiteral("--playback --raw --format=s16le --rate=48000 "
                                                                   "--channels=2 --device=testsink --latency-msec=20")
                                                        .split(QLatin1Char(' ')));
        // The null sink's monitor settles into a steady flow only after this long.
        QTest::qWait(2500);
        return m_tonePlayer.state() == QProcess::Running;
    }

    // Ends the daemon at once, as a crash would.
    void killDaemon() { kill(m_daemon); }

private:
    static void kill(QProcess &process)
    {
        process.kill();
        process.waitForFinished(5000);
    }

    QTemporaryDir m_dir;
    QProcess m_daemon, m_toneSource, m_tonePlayer;
};

// The real quillsnd.exe of this build with the one argument the scheduler gives it; killed at the
// end if it still runs. childSetup runs in the child just before the recorder is executed.
class RecorderProcess
{
public:
    RecorderProcess(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                    const std::function<void()> &childSetup = {})
    {
        m_process.setProcessEnvironment(environment);
        m_process.setChildProcessModifier(childSetup ? childSetup : [] {});
        m_process.start(path(), arguments);
        m_process.waitForStarted();
    }
    RecorderProcess(qint64 seconds, const QString &outputPath, const std::function<void()> &childSetup = {})
        : RecorderProcess({QStringLiteral("/t&%1&/o&%2").arg(seconds).arg(outputPath)},
                          QProcessEnvironment::systemEnvironment(), childSetup)
    {
    }
    ~RecorderProcess()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    static QString path() { return QStringLiteral(QUILL_RECORDER_PATH); }
    // Never to pid 0: that would signal the whole process group.
    void signal(int signalNumber) { m_process.processId() > 0 && ::kill(pid_t(m_process.processId()), signalNumber); }
    // The exit status, or -1 when it crashed or still runs; the event loop runs meanwhile.
    int waitForExit(int timeoutMs = 30000)
    {
        const bool ended = QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // What it has said on standard error so far, from its own name on.
    QString told()
    {
        m_errorOutput += QString::fromLocal8Bit(m_process.readAllStandardError());
        return m_errorOutput.mid(m_errorOutput.indexOf(QStringLiteral("quillsnd.exe: ")));
    }

private:
    QProcess m_process;
    QString m_errorOutput;
};

// What ffprobe says of a recorded file, and what sox measures in it once FFmpeg has decoded it to
// mono (a stereo tone misreads): how much of it plays, how loud it is and its rough frequency.
struct RecordingCheck
{
    explicit RecordingCheck(const QString &path)
    {
        QTemporaryDir dir;
        const QString decoded = dir.filePath(QStringLiteral("decoded.wav"));
        const QString probe = output("ffprobe|-v|error|-show_entries|format=format_name,duration:stream=codec_name,bit_rate|"
                                     "-of|default=noprint_wrappers=1|IN", path);
        output("ffmpeg|-v|error|-i|IN|-ac|1|OUT", path, decoded);
        const QString stat = output("sox|IN|-n|stat", decoded);
        const auto field = [](const QString &text, const char *pattern) {
            return QRegularExpression(QLatin1String(pattern)).match(text).captured(1);
        };
        format = field(probe, "format_name=(\\S+)") + QLatin1Char('/') + field(probe, "codec_name=(\\S+)");
        bitRate = field(probe, "bit_rate=(\\d+)").toLongLong();
        probedSeconds = field(probe, "duration=([0-9.]+)").toDouble();
        playableSeconds = field(stat, "Length \\(seconds\\):\\s+([0-9.]+)").toDouble();
        rms = field(stat, "RMS\\s+amplitude:\\s+([0-9.]+)").toDouble();
        frequency = field(stat, "Rough\\s+frequency:\\s+([0-9.]+)").toDouble();
    }

    // The 440 Hz tone of PrivatePulseServer, clearly above silence, for about this long.
    bool holdsTheTone(double fromSeconds, double toSeconds) const
    {
        return rms > 0.1 && frequency > 430 && frequency < 450 && playableSeconds >= fromSeconds
               && playableSeconds <= toSeconds;
    }
    QByteArray describe() const
    {
        return QStringLiteral("%1 %2 b/s, probed %3 s, playable %4 s, RMS %5, %6 Hz")
            .arg(format, QString::number(bitRate), QString::number(probedSeconds), QString::number(playableSeconds),
                 QString::number(rms), QString::number(frequency))
            .toUtf8();
    }

    QString format; // "container/codec"
    qint64 bitRate = 0;
    double probedSeconds = 0, playableSeconds = 0, rms = 0, frequency = 0;
};

} // namespace

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

    // The notice carries what standard error says.
    void verifyTold(RecorderProcess &recorder)
    {
        QTRY_VERIFY_WITH_TIMEOUT(recorder.told().startsWith(QStringLiteral("quillsnd.exe: ")), 20000);
        QTRY_COMPARE(m_notifications.notices.size(), 1);
        QCOMPARE(QStringLiteral("quillsnd.exe: ") + m_notifications.notices.first().body + QLatin1Char('\n'),
                 recorder.told());
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
            environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + m_dir->filePath(QStringLiteral("no")));
        RecorderProcess recorder(arguments, environment);
        QCOMPARE(recorder.waitForExit(), status);
        verifyTold(recorder);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void everyEndKeepsTheRecording_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("format");
        QTest::addColumn<qint64>("bitRate");
        QTest::addColumn<int>("stop"); // a signal, 0 for none, -1 for the stop request
        const auto format = [](const char *name, const char *extension, const char *format, qint64 bitRate, int stop) {
            QTest::newRow(name) << QString::fromLatin1(extension) << QString::fromLatin1(format) << bitRate << stop;
        };
        format("wav", "wav", "wav/pcm_s16le", 48000 * 2 * 16, 0);
        format("mp3", "MP3", "mp3/mp3", 192000, 0);
        format("wma", "wma", "asf/wmav2", 128000, 0);
        format("wav SIGKILL", "wav", "wav/pcm_s16le", 0, SIGKILL);
        format("mp3 SIGKILL", "mp3", "mp3/mp3", 0, SIGKILL);
        format("wma SIGKILL", "wma", "asf/wmav2", 0, SIGKILL);
        for (const auto &[name, stop] : {std::pair("SIGTERM", SIGTERM), std::pair("SIGINT", SIGINT),
                                         std::pair("SIGHUP", SIGHUP), std::pair("stop request", -1)})
            format(name, "mp3", "mp3/mp3", 0, stop);
    }
    void everyEndKeepsTheRecording()
    {
        QFETCH(QString, extension);
        QFETCH(QString, format);
        QFETCH(qint64, bitRate);
        QFETCH(int, stop);

        const QString path = outputPath(extension);
        const qsizetype lock = m_logind.calls.size();
        RecorderProcess recorder(stop == 0 ? 3 : 10, path);
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(path); }, 20000));
        // The machine does not sleep while it records.
        QTRY_VERIFY(m_logind.lockOpen(int(lock)));
        QCOMPARE(m_logind.calls.at(lock).first(), QStringLiteral("sleep"));
        if (stop != 0) {
            QTest::qWait(2000);
            RecorderStopClient client;
            QSignalSpy answered(&client, &RecorderStopClient::finished);
            if (stop > 0) {
                recorder.signal(stop);
            } else {
                client.requestStop();
                QVERIFY(answered.size() == 1 || answered.wait(5000));
                QCOMPARE(answered.first().first().toBool(), true);
            }
        }
        QCOMPARE(recorder.waitForExit(), stop == SIGKILL ? -1 : 0);
        const RecordingCheck file(path);
        QCOMPARE(file.format, format);
        if (bitRate != 0)
            QCOMPARE(file.bitRate, bitRate);
        const bool fullLength = stop == 0;
        QVERIFY2(file.holdsTheTone(fullLength ? 2.75 : stop == SIGKILL ? 1 : 1.5, fullLength ? 3.25 : 2.5), file.describe());
        // The header does not promise more than the file holds.
        QVERIFY2(extension != QLatin1String("wav") || file.probedSeconds <= file.playableSeconds + 0.01, file.describe());
    }

    void existingFilesAreKept()
    {
        const QStringList taken = {outputPath(QStringLiteral("Wav")), m_dir->filePath(QStringLiteral("news & more (2).Wav"))};
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
        }
        RecorderProcess recorder(1, taken.first());
        QCOMPARE(recorder.waitForExit(), 0);
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("mine"));
        }
        const RecordingCheck file(m_dir->filePath(QStringLiteral("news & more (3).Wav")));
        QVERIFY2(file.holdsTheTone(0.75, 1.25), file.describe());
    }

    void writeErrorFinishesTheFile_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<qint64>("sizeLimit");
        // About two seconds of each.
        QTest::newRow("wav") << QStringLiteral("wav") << qint64(400000);
        QTest::newRow("mp3") << QStringLiteral("mp3") << qint64(48000);
        QTest::newRow("wma") << QStringLiteral("wma") << qint64(32000);
    }
    void writeErrorFinishesTheFile()
    {
        QFETCH(QString, extension);
        QFETCH(qint64, sizeLimit);

        const qsizetype lock = m_logind.calls.size();
        RecorderProcess recorder(30, outputPath(extension), [sizeLimit] {
            const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        verifyTold(recorder);
        // It shows the failure until closed, but no longer keeps the machine awake.
        QVERIFY(recorder.isRunning());
        QTRY_VERIFY(lock < m_logind.calls.size() && !m_logind.lockOpen(int(lock)));
        recorder.signal(SIGTERM);
        QCOMPARE(recorder.waitForExit(), 4);
        const RecordingCheck file(outputPath(extension));
        QVERIFY2(file.holdsTheTone(1, 3), file.describe());
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
        const RecordingCheck ended(first), next(second);
        QVERIFY2(ended.holdsTheTone(3, 5), ended.describe());
        QVERIFY2(next.holdsTheTone(1.75, 2.25), next.describe());
        QCOMPARE(dir.rowCount(), 0);
    }

    // Last: the server does not come back.
    void lostServerFinishesTheFile()
    {
        RecorderProcess recorder(30, outputPath(QStringLiteral("mp3")));
        QTest::qWait(2500);
        m_server.killDaemon();
        verifyTold(recorder);
        QVERIFY(recorder.isRunning());
        recorder.signal(SIGTERM);
        QCOMPARE(recorder.waitForExit(), 3);
        const RecordingCheck file(outputPath(QStringLiteral("mp3")));
        QVERIFY2(file.holdsTheTone(1.5, 3.5), file.describe());
    }
};

QTEST_GUILESS_MAIN(RecorderTest)
#include "tst_recorder.moc"
