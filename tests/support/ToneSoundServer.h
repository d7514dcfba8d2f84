#pragma once

#include <QProcess>
#include <QStringList>

// A PulseAudio server for this process and all it starts: a 440 Hz tone into testsink, whose monitor is the default.
class ToneSoundServer
{
public:
    // The home and runtime folder of the server and of the programs started afterwards.
    bool start(const QString &home, const QStringList &quietSinks = {});
    // Ends the server, and the tone that played into it.
    void kill();
    // Starts the server and its tone (again, after kill()).
    bool launch();

private:
    QStringList m_arguments;
    QProcess m_server, m_tone, m_player; // destroyed, so ended, in the reverse order
};
