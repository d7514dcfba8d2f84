#include "PrivateBus.h"
#include "PrivateIcecast.h"
#include "RecorderRun.h"
#include "Recording.h"
#include "SourceMemory.h"
#include "ToneSoundServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <csignal>

namespace {

const QStringList Mp3Stream = {"-c:a", "libmp3lame", "-b:a", "128k", "-content_type", "audio/mpeg", "-f", "mp3"};
// Source, file, task's seconds, ffprobe's words; seconds of tone (none: silence); the notice's pattern; a drop.
using Stream = std::tuple<QString, QString, int, QString, std::pair<double, double>, QString, bool>;

} // namespace

// The real recorder records streams of a private Icecast server, and refuses what it must not read.
class StreamRecordingTest : public QObject
{
    Q_OBJECT

    PrivateBus m_bus;
    FakeNotifications m_notifications;
    PrivateIcecast m_icecast;
    QTemporaryDir m_dir; // also the home and runtime folder of the sound server and the recorders
    ToneSoundServer m_sound;
    RecorderRun m_recorder{m_notifications};
    QTcpServer m_mute; // accepts, and never sends a byte

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
        QVERIFY(m_notifications.registerOn(m_bus.connection()));
        QVERIFY(m_icecast.start());
        QVERIFY(m_sound.start(m_dir.path(), {"quiet"}));
        QVERIFY(m_icecast.play("tone.mp3", Mp3Stream));
        QVERIFY(m_icecast.play("tone.ogg", {"-c:a", "libvorbis", "-content_type", "application/ogg", "-f", "ogg"}));
        QVERIFY(m_icecast.playHls("tone.m3u8"));
        QVERIFY(m_mute.listen(QHostAddress::LocalHost));
    }

    // Copied, a stream keeps its bit rate; converted, a missing resampling puts the tone off key. A drop: the source
    // is gone from 2 s to 5 s of 10. The task's device wins over the one picked; one that is gone gives way.
    void recordsTheSource_data()
    {
        QTest::addColumn<Stream>("stream");
        const auto row = [](const char *name, const QString &source, const char *file, int seconds, const char *probe,
                            std::pair<double, double> tone, const QString &notice = {}, bool drop = false) {
            QTest::newRow(name) << Stream{source, file, seconds, probe, tone, notice, drop};
        };
        // The first audio comes within a second of the start.
        row("mp3 copied", m_icecast.address("tone.mp3"), "a.mp3", 3, "codec_name=mp3 bit_rate=128000", {2.0, 3.2});
        row("mp3 into wav", m_icecast.address("tone.mp3"), "a.wav", 3, "codec_name=pcm_s16le bit_rate=1536000", {2.9, 3.2});
        row("mp3 into wma", m_icecast.address("tone.mp3"), "a.wma", 3, "codec_name=wmav2", {2.9, 3.2});
        row("vorbis into mp3", m_icecast.address("tone.ogg"), "b.mp3", 3, "codec_name=mp3 bit_rate=192000", {2.9, 3.2});
        row("HLS into wav", m_icecast.address("tone.m3u8"), "c.wav", 3, "codec_name=pcm_s16le", {2.9, 3.2});
        const QString drop = QStringLiteral("^录音完成: 网络中断 1 次, 共丢失 [2-5] 秒$");
        row("drop, converted", m_icecast.address("tone.mp3"), "drop.wav", 10, "", {9.5, 10.5}, drop, true);
        row("drop, copied", m_icecast.address("tone.mp3"), "drop.mp3", 10, "", {4.5, 9}, drop, true);
        row("task's own source", "quiet.monitor", "quiet.wav", 2, "", {0, 0});
        row("source gone", "gone.monitor", "gone.wav", 2, "", {1.9, 2.5}, "\"gone.monitor\" 已不存在");
    }
    void recordsTheSource()
    {
        QFETCH(Stream, stream);
        const auto &[source, file, seconds, probe, tone, notice, drop] = stream;
        SourceMemory().remember("testsink.monitor");
        QCOMPARE(SourceMemory().remembered(), "testsink.monitor");
        QElapsedTimer clock;
        clock.start();
        m_recorder.start(seconds, m_dir.filePath(file), {"/s&" + source});
        if (drop) {
            QTest::qWait(2000);
            QVERIFY(m_icecast.stop("tone.mp3"));
            QTest::qWait(int(5000 - clock.elapsed()));
            QVERIFY(m_icecast.play("tone.mp3", Mp3Stream));
        }
        QCOMPARE(m_recorder.exitStatus(), 0);
        QVERIFY(notice.isEmpty() || m_recorder.told().contains(QRegularExpression(notice)));
        const Recording recording(m_dir.filePath(file));
        const bool heard = tone.first > 0 ? recording.holdsTheTone(tone.first, tone.second)
                                          : !recording.holdsTheTone(0, 99) && recording.seconds() > seconds - 0.1;
        QVERIFY2(recording.text.contains(probe) && heard, qPrintable(recording.text));
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
        QTest::newRow("accepts, sends nothing") << QStringLiteral("http://127.0.0.1:%1/a.mp3").arg(m_mute.serverPort()) << 0 << 3;
    }
    void leavesNoFileWhenRefusedOrUnanswered()
    {
        QFETCH(QString, source);
        QFETCH(int, stopAtMs);
        QFETCH(int, status);
        QTemporaryDir dir;
        QSignalSpy accepted(&m_mute, &QTcpServer::newConnection);
        // Long enough for a stalled connection to time out and be tried again.
        m_recorder.start(stopAtMs > 0 ? 60 : 4, dir.filePath("a.mp3"), {"/s&" + source});
        if (stopAtMs > 0) {
            QTest::qWait(stopAtMs);
            m_recorder.signal(SIGTERM);
            QCOMPARE(m_recorder.exitStatus(1000), status);
        }
        QVERIFY(m_recorder.told().contains(status == 2 ? "录音来源" : "没有应答"));
        // A failure shows in the window until it is closed.
        if (stopAtMs == 0 && status == 3)
            m_recorder.signal(SIGTERM);
        QCOMPARE(m_recorder.exitStatus(), status);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QVERIFY(!source.contains(QString::number(m_mute.serverPort())) || accepted.size() >= 2);
    }
};

QTEST_GUILESS_MAIN(StreamRecordingTest)
#include "tst_streamrecording.moc"
