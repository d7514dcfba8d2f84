#include "RecordingCheck.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QString output(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAll());
}

double field(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern).match(text).captured(1).toDouble();
}

} // namespace

RecordingCheck RecordingCheck::of(const QString &path)
{
    RecordingCheck check;
    const QString probe = output(QStringLiteral("ffprobe"),
                                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                                  QStringLiteral("format=format_name,duration:stream=codec_name,bit_rate"),
                                  QStringLiteral("-of"), QStringLiteral("default=noprint_wrappers=1"), path});
    check.format = QRegularExpression(QStringLiteral("format_name=(\\S+)")).match(probe).captured(1);
    check.codec = QRegularExpression(QStringLiteral("codec_name=(\\S+)")).match(probe).captured(1);
    check.bitRate = qint64(field(probe, QStringLiteral("bit_rate=(\\d+)")));
    check.probedSeconds = field(probe, QStringLiteral("duration=([0-9.]+)"));

    QTemporaryDir dir;
    const QString decoded = dir.filePath(QStringLiteral("decoded.wav"));
    output(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                                      QStringLiteral("-ac"), QStringLiteral("1"), decoded});
    const QString stat = output(QStringLiteral("sox"), {decoded, QStringLiteral("-n"), QStringLiteral("stat")});
    check.playableSeconds = field(stat, QStringLiteral("Length \\(seconds\\):\\s+([0-9.]+)"));
    check.rms = field(stat, QStringLiteral("RMS\\s+amplitude:\\s+([0-9.]+)"));
    check.frequency = field(stat, QStringLiteral("Rough\\s+frequency:\\s+([0-9.]+)"));
    return check;
}

QString RecordingCheck::describe() const
{
    return QStringLiteral("%1/%2 %3 b/s, probed %4 s, playable %5 s, RMS %6, %7 Hz")
        .arg(format, codec)
        .arg(bitRate)
        .arg(probedSeconds)
        .arg(playableSeconds)
        .arg(rms)
        .arg(frequency);
}
