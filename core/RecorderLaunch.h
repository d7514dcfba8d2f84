#pragma once

#include <QString>

class ProcessTerminator;
class ProgramLauncher;
class WindowKeystrokes;

// Everything that touches the recorder program: ending it, starting it, pressing its F12.
class RecorderLaunch
{
public:
    RecorderLaunch(ProcessTerminator &terminator, ProgramLauncher &launcher, WindowKeystrokes &keystrokes);

    static constexpr auto RecorderName = "quillsnd.exe";
    static constexpr auto RecorderWindowTitle = "Quillsound";

    // Ends every running recorder, then starts URL with the stop length and the output file.
    void Win32Keyword(const QString &URL, const QString &Parm, const QString &recfile);
    // The recorder's one argument, as plain text: no quotes, no escaping.
    static QString parameterText(const QString &Parm, const QString &recfile);
    // Brings the recorder's window forward and presses F12 in it.
    void pressF12();

private:
    ProcessTerminator &m_terminator;
    ProgramLauncher &m_launcher;
    WindowKeystrokes &m_keystrokes;
};
