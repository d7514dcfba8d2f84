#include "PrivatePulseServer.h"
#include "RecorderProcess.h"
#include "RecorderStopClient.h"
#include "RecordingCheck.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The real recorder records the tone of a private sound server, and keeps it whichever way it ends.
class RecorderTest : public QObject
{
    Q_OBJECT

private:
    PrivatePulseServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;

    // A sanitized build takes seconds to check for leaks at exit, after the file is finished.
    static constexpr int exitMs = 10000;

    QString outputPath(const QString &extension) const
    {
        return m_dir->filePath(QStringLiteral("news & more.") + extension);
    }

    static void addFormats()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<qint64>("bitRate");
        QTest::newRow("wav") << QStringLiteral("wav") << QStringLiteral("wav") << QStringLiteral("pcm_s16le")
                             << qint64(48000 * 2 * 16);
        QTest::newRow("mp3") << QStringLiteral("MP3") << QStringLiteral("mp3") << QStringLiteral("mp3")
                             << qint64(192000);
        QTest::newRow("wma") << QStringLiteral("wma") << QStringLiteral("asf") << QStringLiteral("wmav2")
                             << qint64(128000);
    }

    // Once the file is there the stream has started.
    static bool recordingBegan(const QString &path) { return QTest::qWaitFor([&] { return QFile::exists(path); }, 20000); }

private slots:
    void initTestCase() { QVERIFY(m_server.start()); }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void recordsEachFormatForItsLength_data() { addFormats(); }
    void recordsEachFormatForItsLength()
    {
        QFETCH(QString, extension);
        QFETCH(QString, format);
        QFETCH(QString, codec);
        QFETCH(qint64, bitRate);

        RecorderProcess recorder({RecorderProcess::argument(3, outputPath(extension))});
        QCOMPARE(recorder.waitForExit(), 0);
        const RecordingCheck file = RecordingCheck::of(outputPath(extension));
        QVERIFY2(file.holdsTheTone(), qPrintable(file.describe()));
        QCOMPARE(file.format, format);
        QCOMPARE(file.codec, codec);
        QCOMPARE(file.bitRate, bitRate);
        QVERIFY2(qAbs(file.playableSeconds - 3) <= 0.25, qPrintable(file.describe()));
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
        QVERIFY2(file.holdsTheTone(), qPrintable(file.describe()));
        QCOMPARE(file.format, format);
        QVERIFY2(file.playableSeconds >= 2, qPrintable(file.describe()));
        // The header does not promise more than the file holds.
        if (format == QLatin1String("wav"))
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
        RecorderProcess recorder({RecorderProcess::argument(10, path)});
        QVERIFY(recordingBegan(path));
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
        QCOMPARE(recorder.waitForExit(exitMs), 0);
        const RecordingCheck file = RecordingCheck::of(path);
        QVERIFY2(file.holdsTheTone(), qPrintable(file.describe()));
        QVERIFY2(qAbs(file.playableSeconds - 2) <= 0.5, qPrintable(file.describe()));
    }

    void existingFilesAreKept()
    {
        const QString path = outputPath(QStringLiteral("wav"));
        const QStringList taken = {path, QDir(m_dir->path()).filePath(QStringLiteral("news & more (2).wav"))};
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("mine");
        }
        RecorderProcess recorder({RecorderProcess::argument(1, path)});
        QCOMPARE(recorder.waitForExit(), 0);
        for (const QString &name : taken) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("mine"));
        }
        const RecordingCheck file = RecordingCheck::of(m_dir->filePath(QStringLiteral("news & more (3).wav")));
        QVERIFY2(file.holdsTheTone(), qPrintable(file.describe()));
    }
};

QTEST_GUILESS_MAIN(RecorderTest)
#include "tst_recorder.moc"
