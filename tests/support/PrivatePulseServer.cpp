#include "PrivatePulseServer.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

constexpr int startTimeoutMs = 15000;
// The null sink's monitor settles into a steady flow only after this long.
constexpr int settleMs = 2500;

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
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"), QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket,
                    QStringLiteral("-L"),
                    QStringLiteral("module-null-sink sink_name=testsink rate=48000 channels=2")});
    if (!QTest::qWaitFor([] { return run(QStringLiteral("pactl"), {QStringLiteral("info")}); }, startTimeoutMs)
        || !run(QStringLiteral("pactl"), {QStringLiteral("set-default-source"), QStringLiteral("testsink.monitor")})) {
        qWarning("the private PulseAudio daemon did not start");
        return false;
    }

    // Low latency, or the null sink renders seconds ahead in bursts and its monitor falls silent meanwhile.
    m_toneSource.setStandardOutputProcess(&m_tonePlayer);
    m_toneSource.start(QStringLiteral("sox"), {QStringLiteral("-q"), QStringLiteral("-n"), QStringLiteral("-t"),
                                               QStringLiteral("raw"), QStringLiteral("-r"), QStringLiteral("48000"),
                                               QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-b"),
                                               QStringLiteral("16"), QStringLiteral("-e"), QStringLiteral("signed"),
                                               QStringLiteral("-"), QStringLiteral("synth"), QStringLiteral("3600"),
                                               QStringLiteral("sine"), QStringLiteral("440"), QStringLiteral("gain"),
                                               QStringLiteral("-6")});
    m_tonePlayer.start(QStringLiteral("pacat"),
                       {QStringLiteral("--playback"), QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                        QStringLiteral("--rate=48000"), QStringLiteral("--channels=2"),
                        QStringLiteral("--device=testsink"), QStringLiteral("--latency-msec=20")});
    if (!m_toneSource.waitForStarted() || !m_tonePlayer.waitForStarted()) {
        qWarning("the tone does not play");
        return false;
    }
    QTest::qWait(settleMs);
    return m_tonePlayer.state() == QProcess::Running;
}

void PrivatePulseServer::kill()
{
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}

bool PrivatePulseServer::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
