#include "PrivatePulseServer.h"

#include <QDir>
#include <QTest>

namespace {

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

bool run(const char *command)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const QStringList arguments = words(command);
    process.start(arguments.first(), arguments.mid(1));
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

PrivatePulseServer::~PrivatePulseServer()
{
    for (QProcess *process : {&m_tonePlayer, &m_toneSource, &m_daemon}) {
        process->kill();
        process->waitForFinished(5000);
    }
}

bool PrivatePulseServer::start()
{
    const QDir dir(m_dir.path());
    for (const char *sub : {"home", "runtime", "pulse"})
        dir.mkpath(QLatin1String(sub));
    QFile::setPermissions(dir.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile config(dir.filePath(QStringLiteral("client.conf")));
    if (!config.open(QIODevice::WriteOnly) || config.write("autospawn = no\n") < 0)
        return false;
    config.close();
    const QString socket = dir.filePath(QStringLiteral("pa.sock"));
    qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath(QStringLiteral("runtime"))));
    qputenv("PULSE_RUNTIME_PATH", QFile::encodeName(dir.filePath(QStringLiteral("pulse"))));
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(config.fileName()));
    qputenv("PULSE_SERVER", QFile::encodeName(QStringLiteral("unix:") + socket));

    m_daemon.setStandardErrorFile(dir.filePath(QStringLiteral("pulseaudio.log")));
    m_daemon.start(QStringLiteral("pulseaudio"),
                   words("-n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes -L")
                       << QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket
                       << QStringLiteral("-L") << QStringLiteral("module-null-sink sink_name=testsink rate=48000 channels=2"));
    if (!QTest::qWaitFor([] { return run("pactl info"); }, 15000) || !run("pactl set-default-source testsink.monitor")) {
        qWarning("the private PulseAudio daemon did not start");
        return false;
    }

    // Low latency, or the null sink renders seconds ahead in bursts and its monitor falls silent meanwhile.
    m_toneSource.setStandardOutputProcess(&m_tonePlayer);
    m_toneSource.start(QStringLiteral("sox"), words("-q -n -t raw -r 48000 -c 2 -b 16 -e signed - synth 3600 sine 440 gain -6"));
    m_tonePlayer.start(QStringLiteral("pacat"), words("--playback --raw --format=s16le --rate=48000 --channels=2 "
                                                      "--device=testsink --latency-msec=20"));
    if (!m_toneSource.waitForStarted() || !m_tonePlayer.waitForStarted()) {
        qWarning("the tone does not play");
        return false;
    }
    // The null sink's monitor settles into a steady flow only after this long.
    QTest::qWait(2500);
    return m_tonePlayer.state() == QProcess::Running;
}

void PrivatePulseServer::kill()
{
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}
