#include "RecordingSession.h"

#include "ProblemReport.h"
#include "RecorderWindow.h"
#include "RecordingThread.h"
#include "SleepInhibitor.h"
#include "SourceMemory.h"

RecordingSession::RecordingSession(RecorderWindow &window, RecordingThread &recording, const QString &source,
                                   Services services, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_recording(recording)
    , m_source(source)
    , m_services(services)
{
    connect(&m_recording, &RecordingThread::progress, &m_window, &RecorderWindow::showProgress);
    connect(&m_recording, &RecordingThread::notice, &m_window, &RecorderWindow::showNotice);
    connect(&m_recording, &RecordingThread::lossChanged, &m_window, &RecorderWindow::showLoss);
    connect(&m_recording, &RecordingThread::ended, this, &RecordingSession::end);
    connect(&m_window, &RecorderWindow::stopRequested, this, &RecordingSession::stop);
    connect(&m_window, &RecorderWindow::sourceChosen, this, &RecordingSession::chooseSource);
}

void RecordingSession::start()
{
    m_services.sleep.hold(QStringLiteral("正在录音"));
    m_recording.start();
}

void RecordingSession::stop()
{
    if (m_ended) {
        m_window.close();
        return;
    }
    m_stopping = true;
    m_recording.requestStop();
}

void RecordingSession::showSources(const QList<SoundSource> &sources, const QString &defaultSource)
{
    m_window.showSources(sources, m_source.isEmpty() ? defaultSource : m_source);
}

void RecordingSession::chooseSource(const QString &sourceName)
{
    if (sourceName.isEmpty() || sourceName == m_source)
        return;
    m_source = sourceName;
    m_services.sources.remember(sourceName);
    m_recording.switchSource(sourceName);
}

void RecordingSession::end(ExitStatus status, const QString &message)
{
    m_recording.wait();
    m_ended = true;
    m_status = status;
    m_services.sleep.release();
    m_window.endRecording();
    if (status != ExitStatus::Recorded)
        m_window.showFailure(message);
    // What was lost on the way is told too, though the recording itself succeeded.
    if (!message.isEmpty())
        ProblemReport::tell(m_services.notices, message);
    // Whoever asked to stop wants the window gone, whatever came of the recording.
    if (status == ExitStatus::Recorded || m_stopping)
        m_window.close();
}
