#pragma once

#include "ExitStatus.h"
#include "SoundSourceList.h"

#include <QObject>
#include <QString>

class RecordingThread;
class DesktopNotices;
class RecorderWindow;
class SleepInhibitor;
class SourceMemory;

// One recording from start to exit status: runs the capture thread, keeps the machine awake
// meanwhile, shows progress in the window and tells of a failure. Every way of stopping comes
// to stop(), which keeps the recording.
class RecordingSession : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        DesktopNotices &notices;
        SleepInhibitor &sleep;
        SourceMemory &sources;
    };

    // source is the one being recorded, empty for the server's default.
    RecordingSession(RecorderWindow &window, RecordingThread &recording, const QString &source, Services services,
                     QObject *parent = nullptr);

    void start();
    // While recording: finishes the file, then the window closes. Afterwards: closes the window.
    void stop();
    void showSources(const QList<SoundSource> &sources, const QString &defaultSource);

    ExitStatus exitStatus() const { return m_status; }

private:
    void chooseSource(const QString &sourceName);
    void end(ExitStatus status, const QString &message);

    RecorderWindow &m_window;
    RecordingThread &m_recording;
    QString m_source;
    Services m_services;
    ExitStatus m_status = ExitStatus::Recorded;
    bool m_ended = false;
    bool m_stopping = false;
};
