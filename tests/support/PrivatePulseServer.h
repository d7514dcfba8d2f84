#pragma once

#include <QProcess>
#include <QTemporaryDir>

// A PulseAudio daemon of the test's own, without a sound card: one null sink whose monitor is the
// default source, playing a 440 Hz tone. start() points this process, and so every program it
// starts, at it: home, runtime directory and server all lie in a private folder.
class PrivatePulseServer
{
public:
    ~PrivatePulseServer();
    // False, with a warning, when the daemon or the tone does not come up.
    bool start();
    // Ends the daemon at once, as a crash would.
    void kill();

private:
    QTemporaryDir m_dir;
    QProcess m_daemon, m_toneSource, m_tonePlayer;
};
