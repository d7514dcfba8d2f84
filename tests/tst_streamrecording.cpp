#include "PrivateBus.h"
#include "PrivateIcecast.h"
#include "RecorderCommandLine.h"
#include "SourceMemory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

namespace {

QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAll());
}

// What ffprobe says of a file and what sox measures of it decoded to mono.
struct Probe
{
    explicit Probe(const QString &path)
    {
        QTemporaryDir dir;
        output("ffmpeg", {"-v", "error", "-i", path, "-ac", "1", dir.filePath("mono.wav")});
        text = (output("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,sample_rate", "-of", "default=noprint_wrappers=1", path})
                + output("sox", {dir.filePath("mono.wav"), "-n", "stat"})).simplified();
    }
    double number(const char *pattern) const
    {
        return QRegularExpression(QLatin1String(pattern) + "\\s*([0-9.]+)").match(text).captured(1).toDouble();
    }
    bool holdsTheTone() const
    {
        return number("RMS amplitude:") > 0.03 && qAbs(number("Rough frequency:") - 440) < 10;
    }
    QString text;
};

} // namespace

// The real recorder records streams of a private Icecast server: copied or converted, through the
// source's drop, and refusing what it must not read.
class StreamRecordingTest : public QObject
{
    Q_OBJECT

    PrivateBus m_bus;
    FakeNotifications m_notifications;
    PrivateIcecast m_icecast;
    QTemporaryDir m_dir; // also the home and runtime folder of the sound server and the recorders
    QProcess m_pulse, m_tone, m_player; // destroyed, so ended, in the reverse order
    QProcess m_recorder;

    void startRecorder(int seconds, const QString &path, const QString &source)
    {
        m_notifications.notices.clear();
        m_recorder.start(QStringLiteral(QUILL_RECORDER_PATH),
                         {RecorderCommandLine::parameterText(QString::number(seconds), path), "/s&" + source});
        QVERIFY(m_recorder.waitForStarted());
    }
    int exitStatus(int withinMs = 30000)
    {
        // The stand-in for notices answers meanwhile.
        const bool ended = QTest::qWaitFor([this] { return m_recorder.state() == QProcess::NotRunning; }, withinMs);
        return ended && m_recorder.exitStatus() == QProcess::NormalExit ? m_recorder.exitCode() : -1;
    }
    // The one notice it gave, which standard error says too.
    QString told()
    {
        if (!QTest::qWaitFor([this] { return m_notifications.notices.size() == 1; }, 30000))
            return {};
        const QString body = m_notifications.notices.first().body;
        return QTest::qWaitFor([&] { return m_recorder.readAllStandardError().contains(body.toLocal8Bit()); }, 5000) ? body : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
        QVERIFY(m_notifications.registerOn(m_bus.connection()));
        QVERIFY(m_icecast.start());
        // A sound server without a sound card: a tone plays into one null sink, the other stays quiet.
        const QString socket = m_dir.filePath("pulse.socket");
        for (const auto &[name, value] : {std::pair("HOME", m_dir.path()), std::pair("XDG_RUNTIME_DIR", m_dir.path()),
                                          std::pair("PULSE_SERVER", "unix:" + socket)})
            qputenv(name, QFile::encodeName(value));
        m_pulse.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=yes",
                                     "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                                     "-L", "module-null-sink sink_name=testsink", "-L", "module-null-sink sink_name=quiet"});
        QVERIFY(QTest::qWaitFor([] { return output("pactl", {"info"}).contains("Default Source: testsink.monitor"); }, 15000));
        m_tone.setStandardOutputProcess(&m_player);
        m_tone.start("sox", QString("-q -n -t raw -r 48000 -c 2 -b 16 -e signed - synth 3600 sine 440 gain -6").split(' '));
        m_player.start("pacat", QString("--raw --format=s16le --rate=48000 --channels=2 --device=testsink --latency-msec=20").split(' '));
        QVERIFY(m_icecast.play("tone.mp3", {"-c:a", "libmp3lame", "-b:a", "128k", "-content_type", "audio/mpeg", "-f", "mp3"}));
        QVERIFY(m_icecast.play("tone.ogg", {"-c:a", "libvorbis", "-content_type", "application/ogg", "-f", "ogg"}));
    }

    void copiesOrConverts_data()
    {
        QTest::addColumn<QString>("mount");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("probe");
        QTest::newRow("mp3 copied") << "tone.mp3" << "a.mp3" << "codec_name=mp3 sample_rate=44100";
        QTest::newRow("mp3 into wav") << "tone.mp3" << "a.wav" << "codec_name=pcm_s16le sample_rate=48000";
        QTest::newRow("mp3 into wma") << "tone.mp3" << "a.wma" << "codec_name=wmav2 sample_rate=48000";
        QTest::newRow("vorbis into mp3") << "tone.ogg" << "b.mp3" << "codec_name=mp3 sample_rate=48000";
    }
    void copiesOrConverts()
    {
        QFETCH(QString, mount);
        QFETCH(QString, file);
        QFETCH(QString, probe);
        startRecorder(3, m_dir.filePath(file), m_icecast.address(mount));
        QCOMPARE(exitStatus(), 0);
        const Probe recording(m_dir.filePath(file));
        QVERIFY2(recording.text.contains(probe) && recording.holdsTheTone(), qPrintable(recording.text));
        // The first audio came within a second of the start.
        const double seconds = recording.number("Length \\(seconds\\):");
        QVERIFY2(seconds > (file == "a.mp3" ? 2.0 : 2.9) && seconds < 3.2, qPrintable(recording.text));
    }

    // The source client stops 2 s into a 10 s task and is back at 5 s.
    void keepsRecordingThroughADrop_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("converted") << "drop.wav";
        QTest::newRow("copied") << "drop.mp3";
    }
    void keepsRecordingThroughADrop()
    {
        QFETCH(QString, file);
        QElapsedTimer clock;
        clock.start();
        startRecorder(10, m_dir.filePath(file), m_icecast.address("tone.mp3"));
        QTest::qWait(2000);
        QVERIFY(m_icecast.stop("tone.mp3"));
        QTest::qWait(int(5000 - clock.elapsed()));
        QVERIFY(m_icecast.play("tone.mp3", {"-c:a", "libmp3lame", "-b:a", "128k", "-content_type", "audio/mpeg", "-f", "mp3"}));
        QCOMPARE(exitStatus(), 0);
        const QString notice = told();
        const QRegularExpressionMatch loss = QRegularExpression("^录音完成: 网络中断 1 次, 共丢失 ([0-9]+) 秒$").match(notice);
        QVERIFY2(loss.hasMatch() && loss.captured(1).toInt() >= 2 && loss.captured(1).toInt() <= 5, qPrintable(notice));
        const Probe recording(m_dir.filePath(file));
        const double seconds = recording.number("Length \\(seconds\\):");
        QVERIFY2(recording.holdsTheTone() && (file.endsWith("mp3") ? seconds > 4.5 && seconds < 9 : qAbs(seconds - 10) <= 0.5),
                 qPrintable(recording.text));
    }

    // The task's source wins over the one picked in the window; one that is gone gives way to the default.
    void recordsTheTasksDevice_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("tone");
        QTest::newRow("task's own source") << "quiet.monitor" << false;
        QTest::newRow("source gone") << "gone.monitor" << true;
    }
    void recordsTheTasksDevice()
    {
        QFETCH(QString, source);
        QFETCH(bool, tone);
        SourceMemory().remember("testsink.monitor");
        startRecorder(2, m_dir.filePath(source + ".wav"), source);
        if (tone)
            QVERIFY(told().contains("\"gone.monitor\" 已不存在"));
        QCOMPARE(exitStatus(), 0);
        const Probe recording(m_dir.filePath(source + ".wav"));
        QVERIFY2(recording.holdsTheTone() == tone && recording.number("Length \\(seconds\\):") > 1.9, qPrintable(recording.text));
    }

    void leavesNoFileWhenRefusedOrUnanswered_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("stopAtMs"); // 0 to let the task run out
        QTest::addColumn<int>("status");
        QTest::newRow("file protocol") << "file:///etc/shadow" << 0 << 2;
        QTest::newRow("local path") << "/etc/shadow" << 0 << 2;
        QTest::newRow("other protocol") << "ftp://127.0.0.1/a.mp3" << 0 << 2;
        const QString silent = QStringLiteral("http://127.0.0.1:%1/a.mp3").arg(PrivateIcecast::closedPort());
        QTest::newRow("never answers") << silent << 0 << 3;
        QTest::newRow("SIGTERM while waiting to retry") << silent << 1500 << 3;
        QTest::newRow("no such mount") << m_icecast.address("none.mp3") << 0 << 3;
    }
    void leavesNoFileWhenRefusedOrUnanswered()
    {
        QFETCH(QString, source);
        QFETCH(int, stopAtMs);
        QFETCH(int, status);
        QTemporaryDir dir;
        startRecorder(stopAtMs > 0 ? 60 : 3, dir.filePath("a.mp3"), source);
        if (stopAtMs > 0) {
            QTest::qWait(stopAtMs);
            ::kill(pid_t(m_recorder.processId()), SIGTERM);
        }
        if (stopAtMs > 0)
            QCOMPARE(exitStatus(1000), status);
        QVERIFY(told().contains(status == 2 ? "录音来源" : "没有应答"));
        // A failure shows in the window until it is closed.
        if (stopAtMs == 0 && status == 3)
            ::kill(pid_t(m_recorder.processId()), SIGTERM);
        QCOMPARE(exitStatus(), status);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(StreamRecordingTest)
#include "tst_streamrecording.moc"
