#pragma once

#include "RecordingThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

class AudioEncoder;
class PulseCapture;

// Records in a thread of its own: reads the sound server's stream, encodes, and every half second makes
// what it has safe on the disk. A sound server that goes away (a restart, a crash) is connected to again
// until the planned end, and the time it was gone is filled with silence so that the file's time matches
// the clock. It stops after the length in samples (or, should the stream fall behind, half a second after
// it on the wall clock), on request, or at a write failure, and always finishes the file.
class CaptureThread : public RecordingThread
{
    Q_OBJECT

public:
    // sourceName is the one capture records, empty for the server's default.
    CaptureThread(std::unique_ptr<PulseCapture> capture, const QString &sourceName, std::unique_ptr<AudioEncoder> encoder,
                  qint64 seconds, QObject *parent = nullptr);
    ~CaptureThread() override;

    // Both may be called from any thread; they take effect after the current read.
    void requestStop() override;
    void switchSource(const QString &sourceName) override;

protected:
    void run() override;

private:
    using Clock = std::chrono::steady_clock;

    void applySourceSwitch();
    // After the server went away: true once a stream is open again, false at the end or a stop.
    bool reconnect();
    // The same source when it is back, or the default one when it is gone.
    std::unique_ptr<PulseCapture> openAgain();
    // What the server did not hear while it was gone: silence up to the clock, counted as lost.
    bool fillGap();
    bool fillSilence(qint64 frames);
    bool write(const qint16 *samples, int frames);
    qint64 clockFrames() const;
    QString summary() const;

    std::unique_ptr<PulseCapture> m_capture;
    QString m_source;
    std::unique_ptr<AudioEncoder> m_encoder;
    const qint64 m_seconds;
    const qint64 m_totalFrames;
    std::atomic<bool> m_stopRequested = false;
    std::mutex m_mutex; // guards the pending switch, and the waits between connection attempts
    std::condition_variable m_wake;
    QString m_pendingSource;
    bool m_switchPending = false;
    Clock::time_point m_start;
    qint64 m_recorded = 0;
    qint64 m_sinceCheckpoint = 0;
    int m_drops = 0;
    qint64 m_lostFrames = 0;
};
