#include "ToneSoundServer.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "Recording.h"

bool ToneSoundServer::start(const QString &home, const QStringList &quietSinks)
{
    QFile config(home + "/client.conf");
    if (!config.open(QIODevice::WriteOnly) || config.write("autospawn = no\n") <= 0)
        return false;
    config.close();
    const QString socket = home + "/pulse.socket";
    for (const auto &[name, value] : {std::pair("HOME", home), std::pair("XDG_RUNTIME_DIR", home),
                                      std::pair("PULSE_CLIENTCONFIG", config.fileName()), std::pair("PULSE_SERVER", "unix:" + socket)})
        qputenv(name, QFile::encodeName(value));
    m_arguments = QStringList{"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "--disable-shm=yes",
                              "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                              "-L", "module-null-sink sink_name=testsink rate=48000 channels=2"};
    for (const QString &sink : quietSinks)
        m_arguments << "-L" << "module-null-sink sink_name=" + sink;
    m_server.setStandardErrorFile(home + "/pulseaudio.log", QIODevice::Append);
    return launch();
}

void ToneSoundServer::kill()
{
    for (QProcess *process : {&m_server, &m_player, &m_tone}) {
        process->kill();
        process->waitForFinished();
    }
}

bool ToneSoundServer::launch()
{
    m_server.start("pulseaudio", m_arguments);
    if (!QTest::qWaitFor([] { return Recording::output("pactl", {"info"}).contains("Default Source: testsink.monitor"); }, 15000))
        return false;
    // Low latency, or the null sink renders seconds ahead in bursts and its monitor falls silent meanwhile.
    m_tone.setStandardOutputProcess(&m_player);
    m_tone.start("sox", QString("-q -n -t raw -r 48000 -c 2 -b 16 -e signed - synth 3600 sine 440 gain -6").split(' '));
    m_player.start("pacat", QString("--raw --format=s16le --rate=48000 --channels=2 --device=testsink --latency-msec=20").split(' '));
    // The sink first renders a second or more ahead, and its monitor falls silent meanwhile; it is steady once in step.
    const auto inStep = [] {
        static const QRegularExpression latency("Name: testsink\\s.*?Latency: (\\d+) usec", QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch match = latency.match(Recording::output("pactl", {"list", "sinks"}));
        return match.hasMatch() && match.captured(1).toLongLong() < 50000;
    };
    return QTest::qWaitFor(inStep, 15000) && m_player.state() == QProcess::Running;
}
