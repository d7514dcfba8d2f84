#include "Recording.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

Recording::Recording(const QString &path)
{
    QTemporaryDir dir;
    const QString mono = dir.filePath("mono.wav");
    output("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-ac", "1", mono});
    text = (output("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,bit_rate:format=format_name,duration",
                               "-of", "default=noprint_wrappers=1", path})
            + output("sox", {mono, "-n", "stat"}))
               .simplified();
}

QString Recording::output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ok ? QString::fromUtf8(process.readAll()) : QString();
}

double Recording::number(const char *pattern) const
{
    return QRegularExpression(QLatin1String(pattern) + "\\s*([0-9.]+)").match(text).captured(1).toDouble();
}

bool Recording::holdsTheTone(double from, double to) const
{
    const double frequency = number("Rough frequency:");
    return number("RMS amplitude:") > 0.1 && frequency > 430 && frequency < 450 && seconds() >= from && seconds() <= to;
}
