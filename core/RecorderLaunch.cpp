#include "RecorderLaunch.h"

#include "ProcessTerminator.h"
#include "ProgramLauncher.h"
#include "RecorderCommandLine.h"
#include "RecorderStopClient.h"
#include "WindowKeystrokes.h"

RecorderLaunch::RecorderLaunch(ProcessTerminator &terminator, ProgramLauncher &launcher, WindowKeystrokes &keystrokes,
                               RecorderStopClient &stopClient)
    : m_terminator(terminator)
    , m_launcher(launcher)
    , m_keystrokes(keystrokes)
    , m_stopClient(stopClient)
    , m_self(std::make_shared<RecorderLaunch *>(this))
{
    m_stopAnswered = QObject::connect(&m_stopClient, &RecorderStopClient::finished, &m_stopClient,
                                      [this](bool acknowledged) {
                                          if (!acknowledged)
                                              m_keystrokes.activateAndSendF12(
                                                  QString::fromLatin1(RecorderWindowTitle));
                                      });
}

RecorderLaunch::~RecorderLaunch()
{
    // The stop client may outlive this object; its late answer must not reach it.
    QObject::disconnect(m_stopAnswered);
}

void RecorderLaunch::Win32Keyword(const QString &URL, StopLength Parm, const QString &recfile, const QString &source,
                                  Finished finished)
{
    // Nothing that could not take over is worth ending the running recording for.
    if (!m_launcher.canLaunch(URL)) {
        if (finished)
            finished(Outcome::NotStarted, {});
        return;
    }
    m_pending.append({URL, std::move(Parm), recfile, source, std::move(finished)});
    if (!m_waitingForEnd)
        endRecordersForNextStart();
}

void RecorderLaunch::endRecordersForNextStart()
{
    m_waitingForEnd = true;
    m_terminator.endProcessesNamed(QString::fromLatin1(RecorderName), [self = std::weak_ptr(m_self)] {
        if (const auto alive = self.lock())
            (*alive)->startFirst();
    });
}

void RecorderLaunch::startFirst()
{
    m_waitingForEnd = false;
    const PendingStart start = m_pending.takeFirst();
    Outcome outcome = Outcome::TooLate;
    const std::optional<QString> stopLength = start.stopLength();
    if (stopLength) {
        const QStringList arguments = RecorderCommandLine::arguments(*stopLength, start.outputFile, start.source);
        outcome = m_launcher.launch(start.executable, arguments) ? Outcome::Started : Outcome::NotStarted;
    }
    if (start.finished)
        start.finished(outcome, stopLength.value_or(QString()));
    // The next start ends this recorder in its turn.
    if (!m_pending.isEmpty() && !m_waitingForEnd)
        endRecordersForNextStart();
}

void RecorderLaunch::pressF12()
{
    m_stopClient.requestStop();
}
