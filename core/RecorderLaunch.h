#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class ProcessTerminator;
class ProgramLauncher;
class RecorderStopClient;
class WindowKeystrokes;

// Everything that touches the recorder program: ending it, starting it, pressing its F12.
class RecorderLaunch
{
public:
    RecorderLaunch(ProcessTerminator &terminator, ProgramLauncher &launcher, WindowKeystrokes &keystrokes,
                   RecorderStopClient &stopClient);
    ~RecorderLaunch();

    static constexpr auto RecorderName = "quillsnd.exe";
    static constexpr auto RecorderWindowTitle = "Quillsound";

    enum class Outcome { Started, TooLate, NotStarted };
    // The stop length to start with, asked for only at the moment of the start; nothing when the
    // recording would already be over.
    using StopLength = std::function<std::optional<QString>()>;
    // How the start went, and the stop length it was given.
    using Finished = std::function<void(Outcome, const QString &)>;

    // Ends every running recorder and, once all of them have exited, starts URL with the stop
    // length and the output file, so that two recorders never write at once. Starts asked for
    // meanwhile follow one after another; finished tells how each went.
    // A source, when given, is what the recorder is to record.
    void Win32Keyword(const QString &URL, StopLength Parm, const QString &recfile, const QString &source,
                      Finished finished);
    // Asks our own recorder to stop over its socket, which works under Wayland too; any other
    // recorder has its window brought forward and F12 pressed in it.
    void pressF12();

private:
    struct PendingStart
    {
        QString executable;
        StopLength stopLength;
        QString outputFile;
        QString source;
        Finished finished;
    };

    void endRecordersForNextStart();
    void startFirst();

    ProcessTerminator &m_terminator;
    ProgramLauncher &m_launcher;
    WindowKeystrokes &m_keystrokes;
    RecorderStopClient &m_stopClient;
    QMetaObject::Connection m_stopAnswered;
    QList<PendingStart> m_pending;
    bool m_waitingForEnd = false;
    // Lets a late call from the terminator see that this object is gone.
    std::shared_ptr<RecorderLaunch *> m_self;
};
