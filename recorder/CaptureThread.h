#pragma once

#include "RecordingThread.h"

#include <atomic>
#include <memory>
#include <mutex>


class AudioEncoder;
class PulseCapture;

// Records in a thread of its own: reads the stream, encodes, and every half second makes what it
// has safe on the disk. It stops after the length in samples (or, should the stream fall behind,
// five seconds after it on the wall clock), on request, or at the first failure, and always
// finishes the file.
class CaptureThread : public RecordingThread
{
    Q_OBJECT

public:
    CaptureThread(std::unique_ptr<PulseCapture> capture, std::unique_ptr<AudioEncoder> encoder, qint64 seconds,
                  QObject *parent = nullptr);
    ~CaptureThread() override;

    // Both may be called from any thread; they take effect after the current read.
    void requestStop() override;
    void switchSource(const QString &sourceName) override;

protected:
    void run() override;

private:
    void applySourceSwitch();

    std::unique_ptr<PulseCapture> m_capture;
    std::unique_ptr<AudioEncoder> m_encoder;
    const qint64 m_seconds;
    std::atomic<bool> m_stopRequested = false;
    std::mutex m_switchMutex;
    QString m_pendingSource;
    bool m_switchPending = false;
};
