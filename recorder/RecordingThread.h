#pragma once

#include "ExitStatus.h"

#include <QString>
#include <QThread>

// A recording in a thread of its own, from a sound server's source or from a stream. Progress, notices
// and the end reach the window as queued signals.
class RecordingThread : public QThread
{
    Q_OBJECT

public:
    using QThread::QThread;

    // Both may be called from any thread.
    virtual void requestStop() = 0;
    virtual void switchSource(const QString &sourceName) = 0;

signals:
    void progress(qint64 frames, double peakDecibels);
    void notice(const QString &message);
    // The source broke off that many times, and so many seconds were lost, so far.
    void lossChanged(int drops, qint64 lostSeconds);
    void ended(ExitStatus status, const QString &message);
};
