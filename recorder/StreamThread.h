#pragma once

#include "AudioFileKind.h"
#include "RecordingThread.h"
#include "StreamDecoder.h"
#include "StreamStation.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

class AudioEncoder;
class OutputFile;
class PacketCopier;
class StreamInput;

// Records a stream until the planned end by the clock, whatever the network does: a broken or
// stalled connection is opened again until then. An MP3 stream goes into an MP3 file as it came;
// anything else is decoded and encoded, and the seconds lost are filled with silence so that the
// file's time matches the clock. The file is written only once the stream has sent something; a
// stream that never did leaves none.
class StreamThread : public RecordingThread
{
    Q_OBJECT

public:
    StreamThread(const QString &address, std::unique_ptr<OutputFile> file, const QString &path, AudioFileKind kind,
                 qint64 seconds, QObject *parent = nullptr);
    ~StreamThread() override;

    void requestStop() override;
    // The source of a stream recording is the stream.
    void switchSource(const QString &) override {}

signals:
    void stationChanged(const StreamStation &station);

protected:
    void run() override;

private:
    using Clock = std::chrono::steady_clock;

    bool interrupted() const;
    // Waits a little longer after each failed attempt, but never past the end or a stop.
    void backOff(int attempt);
    bool openSink(const AVCodecParameters *parameters);
    bool take(AVPacket *packet, const AVStream &stream);
    bool writeSamples(const qint16 *samples, int frames);
    bool fillSilence(qint64 frames);
    bool finishSink();
    qint64 clockFrames() const;
    void tellProgress(bool now);
    void endOutage(Clock::time_point at);
    QString summary() const;

    const QString m_address;
    std::unique_ptr<OutputFile> m_file;
    const QString m_path;
    const AudioFileKind m_kind;
    const qint64 m_seconds;
    const qint64 m_totalFrames;
    std::atomic<bool> m_stopRequested = false;
    std::mutex m_waitMutex;
    std::condition_variable m_wake;
    Clock::time_point m_start;
    Clock::time_point m_deadline;

    std::unique_ptr<PacketCopier> m_copier;
    std::unique_ptr<AudioEncoder> m_encoder;
    StreamDecoder m_decoder;
    QString m_sinkError;
    // Where the recording stands, in frames at the capture rate, and in the copied stream's own samples.
    qint64 m_mediaFrames = 0;
    qint64 m_streamPosition = 0;
    qint64 m_sinceCheckpoint = 0;
    double m_peakDecibels;
    Clock::time_point m_lastProgress;
    Clock::time_point m_lastPacket;
    std::optional<Clock::time_point> m_outageStart;
    int m_drops = 0;
    Clock::duration m_lost{};
    StreamStation m_station;
};
