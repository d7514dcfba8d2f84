#include "RecorderLaunch.h"

#include "ProcessTerminator.h"
#include "ProgramLauncher.h"
#include "WindowKeystrokes.h"

RecorderLaunch::RecorderLaunch(ProcessTerminator &terminator, ProgramLauncher &launcher, WindowKeystrokes &keystrokes)
    : m_terminator(terminator)
    , m_launcher(launcher)
    , m_keystrokes(keystrokes)
{
}

void RecorderLaunch::Win32Keyword(const QString &URL, const QString &Parm, const QString &recfile)
{
    m_terminator.endProcessesNamed(QString::fromLatin1(RecorderName));
    m_launcher.launch(URL, parameterText(Parm, recfile));
}

QString RecorderLaunch::parameterText(const QString &Parm, const QString &recfile)
{
    return QStringLiteral("/t&") + Parm + QStringLiteral("&/o&") + recfile;
}

void RecorderLaunch::pressF12()
{
    m_keystrokes.activateAndSendF12(QString::fromLatin1(RecorderWindowTitle));
}
