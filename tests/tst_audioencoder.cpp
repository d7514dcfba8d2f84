#include "AudioEncoder.h"
#include "PulseCapture.h"
#include "Recording.h"
#include "SyncedFile.h"

#include <QtTest>

#include <cmath>

namespace {

// A file that fills up at a set size: the write reaching it goes in as far as it fits, then the chosen call fails.
class FillingFile : public SyncedFile
{
public:
    enum class Failing { Write, WriteAt, Sync };

    FillingFile(Failing failing, qint64 limit) : m_failing(failing), m_limit(limit) {}

    bool write(const char *data, qint64 size) override
    {
        const qint64 room = m_failing == Failing::Write ? m_limit - position() : size;
        return SyncedFile::write(data, std::clamp(room, qint64(0), size)) && room >= size;
    }
    bool writeAt(qint64 position, const QByteArray &data) override { return !full(Failing::WriteAt) && SyncedFile::writeAt(position, data); }
    bool sync() override { return !full(Failing::Sync) && SyncedFile::sync(); }
    QString errorString() const override { return QStringLiteral("No space left on device"); }

private:
    bool full(Failing failing) const { return m_failing == failing && size() >= m_limit; }

    Failing m_failing;
    qint64 m_limit;
};

constexpr int BlockFrames = PulseCapture::SampleRate / 20;

// A 440 Hz stereo tone at half scale, recorded as the capture thread does, a checkpoint each half second.
class Tone
{
public:
    // False at the first call that fails.
    bool record(AudioEncoder &encoder, double seconds)
    {
        for (int block = 1; block <= int(seconds * 20); ++block) {
            if (!encoder.write(next(), BlockFrames) || (block % 10 == 0 && !encoder.checkpoint()))
                return false;
        }
        return true;
    }
    const qint16 *next()
    {
        for (int frame = 0; frame < BlockFrames; ++frame, ++m_frame)
            m_samples[2 * frame] = m_samples[2 * frame + 1] = qint16(16384 * std::sin(2 * M_PI * 440 * double(m_frame) / 48000));
        return m_samples;
    }

private:
    qint16 m_samples[2 * BlockFrames];
    qint64 m_frame = 0;
};

std::unique_ptr<AudioEncoder> encoderInto(const QString &path, AudioFileKind kind, FillingFile::Failing failing, qint64 limit)
{
    auto file = std::make_unique<FillingFile>(failing, limit);
    return file->create(path) == SyncedFile::Creation::Created ? std::make_unique<AudioEncoder>(std::move(file), kind) : nullptr;
}

// The kind, the call that fails and the bytes before it does, the error told, and the seconds left playable at least.
using FullDisk = std::tuple<AudioFileKind, FillingFile::Failing, qint64, QString, double>;

} // namespace

// The encoder in process: each kind it writes, and what a kill between checkpoints or a full disk leaves.
class AudioEncoderTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void everyKindStaysPlayable_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("probe"); // as ffprobe gives codec, bit rate and container
        QTest::newRow("wav") << int(AudioFileKind::Wav) << "codec_name=pcm_s16le bit_rate=1536000 format_name=wav";
        QTest::newRow("mp3") << int(AudioFileKind::Mp3) << "codec_name=mp3 bit_rate=192000 format_name=mp3";
        QTest::newRow("wma") << int(AudioFileKind::Wma) << "codec_name=wmav2 bit_rate=128000 format_name=asf";
    }
    void everyKindStaysPlayable()
    {
        QFETCH(int, kind);
        QFETCH(QString, probe);
        const QString path = m_dir.filePath(QTest::currentDataTag());
        const auto encoder = encoderInto(path, AudioFileKind(kind), FillingFile::Failing::Write, std::numeric_limits<qint64>::max());
        Tone tone;
        QVERIFY(encoder && encoder->open() && tone.record(*encoder, 1));
        // What the disk holds should the recorder be killed now.
        const QString killed = path + " killed";
        QVERIFY(QFile::copy(path, killed) && tone.record(*encoder, 1.02));
        QVERIFY2(encoder->finish(), qPrintable(encoder->errorString()));
        for (const auto &[file, from, to] : {std::tuple(path, 1.9, 2.1), std::tuple(killed, 0.75, 1.0)}) {
            const Recording recording(file);
            QVERIFY2(recording.text.contains(probe) && recording.holdsTheTone(from, to), qPrintable(recording.text));
            // The header does not promise more than the file holds.
            QVERIFY2(AudioFileKind(kind) != AudioFileKind::Wav || recording.number("duration=") <= recording.seconds() + 0.01, qPrintable(recording.text));
        }
    }

    // A disk full after 1.5 s stops the recording, told why, and the file keeps what reached it; within the header, no open.
    void fullDiskIsReported_data()
    {
        QTest::addColumn<FullDisk>("disk");
        const QString written = QStringLiteral("写入失败: No space left on device");
        const auto row = [](const char *name, AudioFileKind kind, FillingFile::Failing failing, qint64 limit, const QString &error,
                            double kept) { QTest::newRow(name) << FullDisk{kind, failing, limit, error, kept}; };
        row("wav write", AudioFileKind::Wav, FillingFile::Failing::Write, 1.5 * 192000, written, 1.4);
        row("mp3 write", AudioFileKind::Mp3, FillingFile::Failing::Write, 1.5 * 24000, written, 1.4);
        row("wma write", AudioFileKind::Wma, FillingFile::Failing::Write, 1.5 * 16000, written, 1.1);
        // The header cannot follow, so it keeps what the last checkpoint saw.
        row("wav header update", AudioFileKind::Wav, FillingFile::Failing::WriteAt, 1.5 * 192000, "写入失败", 0.9);
        row("mp3 sync", AudioFileKind::Mp3, FillingFile::Failing::Sync, 1.5 * 24000, "写入失败", 1.4);
        row("wav header", AudioFileKind::Wav, FillingFile::Failing::Write, 20, "无法写入文件头: No space left on device", 0);
    }
    void fullDiskIsReported()
    {
        QFETCH(FullDisk, disk);
        const auto &[kind, failing, limit, error, kept] = disk;
        const QString path = m_dir.filePath(QTest::currentDataTag());
        const auto encoder = encoderInto(path, kind, failing, limit);
        Tone tone;
        QVERIFY(encoder);
        QCOMPARE(encoder->open() && !tone.record(*encoder, 3), kept > 0);
        // Nothing more is written once a call failed.
        QVERIFY(!encoder->write(tone.next(), BlockFrames) && !encoder->checkpoint() && !encoder->finish());
        QCOMPARE(encoder->errorString(), error);
        const Recording recording(path);
        QVERIFY2(kept == 0 || recording.holdsTheTone(kept, 2.1), qPrintable(recording.text));
        // A WAV data chunk counts every whole frame on the disk, unless its header could not be written.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype data = bytes.indexOf("data") + 8;
        QVERIFY(kind != AudioFileKind::Wav || kept < 1
                || qFromLittleEndian<quint32>(bytes.constData() + data - 4) == (bytes.size() - data) / 4 * 4);
    }
};

QTEST_GUILESS_MAIN(AudioEncoderTest)
#include "tst_audioencoder.moc"
