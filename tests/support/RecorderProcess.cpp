#include "RecorderProcess.h"

#include <csignal>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

RecorderProcess::RecorderProcess(const QStringList &arguments, const QProcessEnvironment &environment,
                                 const std::function<void()> &childSetup)
{
    m_process.setProcessEnvironment(environment);
    if (childSetup)
        m_process.setChildProcessModifier(childSetup);
    m_process.start(path(), arguments);
    m_process.waitForStarted();
}

RecorderProcess::~RecorderProcess()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QString RecorderProcess::argument(qint64 seconds, const QString &outputPath)
{
    return QStringLiteral("/t&%1&/o&%2").arg(seconds).arg(outputPath);
}

void RecorderProcess::signal(int signalNumber)
{
    // Never 0: that would signal the whole process group.
    if (m_process.processId() > 0)
        ::kill(pid_t(m_process.processId()), signalNumber);
}

int RecorderProcess::waitForExit(int timeoutMs)
{
    const bool ended = QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
    return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString RecorderProcess::errorOutput()
{
    m_errorOutput += m_process.readAllStandardError();
    return QString::fromLocal8Bit(m_errorOutput);
}

namespace {

// The arguments come split at '|', with IN for the recorded file and OUT for its decoded copy.
QString output(const QString &program, const char *arguments, const QString &path, const QString &decoded)
{
    QStringList list = QString::fromLatin1(arguments).split(QLatin1Char('|'));
    for (QString &argument : list)
        argument = argument == QLatin1String("IN") ? path : argument == QLatin1String("OUT") ? decoded : argument;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, list);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAll());
}

QString field(const QString &text, const char *pattern)
{
    return QRegularExpression(QLatin1String(pattern)).match(text).captured(1);
}

} // namespace

RecordingCheck RecordingCheck::of(const QString &path)
{
    QTemporaryDir dir;
    const QString decoded = dir.filePath(QStringLiteral("decoded.wav"));
    const QString probe = output(QStringLiteral("ffprobe"),
                                 "-v|error|-show_entries|format=format_name,duration:stream=codec_name,bit_rate|-of|"
                                 "default=noprint_wrappers=1|IN",
                                 path, decoded);
    output(QStringLiteral("ffmpeg"), "-v|error|-i|IN|-ac|1|OUT", path, decoded);
    const QString stat = output(QStringLiteral("sox"), "OUT|-n|stat", path, decoded);
    RecordingCheck check;
    check.format = field(probe, "format_name=(\\S+)") + QLatin1Char('/') + field(probe, "codec_name=(\\S+)");
    check.bitRate = field(probe, "bit_rate=(\\d+)").toLongLong();
    check.probedSeconds = field(probe, "duration=([0-9.]+)").toDouble();
    check.playableSeconds = field(stat, "Length \\(seconds\\):\\s+([0-9.]+)").toDouble();
    check.rms = field(stat, "RMS\\s+amplitude:\\s+([0-9.]+)").toDouble();
    check.frequency = field(stat, "Rough\\s+frequency:\\s+([0-9.]+)").toDouble();
    return check;
}

QString RecordingCheck::describe() const
{
    return QStringLiteral("%1 %2 b/s, probed %3 s, playable %4 s, RMS %5, %6 Hz")
        .arg(format)
        .arg(bitRate)
        .arg(probedSeconds)
        .arg(playableSeconds)
        .arg(rms)
        .arg(frequency);
}
