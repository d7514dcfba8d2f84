#include "RecorderArgument.h"

#include "PulseCapture.h"

#include <algorithm>
#include <limits>

#include <QDir>
#include <QFileInfo>

namespace {

const QString usage = QStringLiteral("用法: quillsnd.exe \"/t&秒数&/o&输出文件\" [\"/s&录音来源\"]，输出文件为 .wav、.mp3 或 .wma 的"
                                     "完整路径，录音来源为声音服务器的声源名或 http、https 网络电台地址。");
// So that the length in samples always fits.
constexpr qint64 maxSeconds = std::numeric_limits<qint64>::max() / PulseCapture::SampleRate;

bool isWholeNumber(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

} // namespace

RecorderArgument::RecorderArgument(const QStringList &arguments)
{
    m_error = check(arguments);
    if (!m_error.isEmpty())
        m_error += QLatin1Char('\n') + usage;
}

QString RecorderArgument::check(const QStringList &arguments)
{
    if (arguments.size() != 1 && arguments.size() != 2)
        return QStringLiteral("需要一个或两个参数，收到了 %1 个。").arg(arguments.size());
    const QString &argument = arguments.first();
    const QLatin1String lengthMark("/t&");
    const QLatin1String outputMark("&/o&");
    const qsizetype outputAt = argument.indexOf(outputMark);
    if (!argument.startsWith(lengthMark) || outputAt < lengthMark.size())
        return QStringLiteral("参数 \"%1\" 不是 /t&秒数&/o&输出文件 的形式。").arg(argument);

    const QString secondsText = argument.mid(lengthMark.size(), outputAt - lengthMark.size());
    bool inRange = false;
    m_seconds = secondsText.toLongLong(&inRange);
    if (!isWholeNumber(secondsText) || !inRange || m_seconds < 1 || m_seconds > maxSeconds)
        return QStringLiteral("录音长度 \"%1\" 不是不小于 1 的整数秒。").arg(secondsText);

    m_outputPath = argument.mid(outputAt + outputMark.size());
    if (!QDir::isAbsolutePath(m_outputPath))
        return QStringLiteral("输出文件 \"%1\" 不是完整路径。").arg(m_outputPath);
    const std::optional<AudioFileKind> kind = AudioFileKinds::fromFileName(m_outputPath);
    if (!kind)
        return QStringLiteral("输出文件 \"%1\" 的扩展名不是 .wav、.mp3 或 .wma。").arg(m_outputPath);
    m_kind = *kind;
    const QFileInfo file(m_outputPath);
    if (!QFileInfo(file.absolutePath()).isDir())
        return QStringLiteral("输出文件夹 \"%1\" 不存在。").arg(file.absolutePath());
    return arguments.size() == 2 ? checkSource(arguments.last()) : QString();
}

QString RecorderArgument::checkSource(const QString &argument)
{
    const QLatin1String sourceMark("/s&");
    if (!argument.startsWith(sourceMark) || argument.size() == sourceMark.size())
        return QStringLiteral("第二个参数 \"%1\" 不是 /s&录音来源 的形式。").arg(argument);
    m_source = argument.mid(sourceMark.size());
    const QString lower = m_source.toLower();
    if (lower.startsWith(QLatin1String("http://")) || lower.startsWith(QLatin1String("https://"))) {
        m_sourceKind = SourceKind::Stream;
        return {};
    }
    // Files, local paths and other protocols are never read: a task must not copy what it may not see.
    if (m_source.contains(QLatin1String("://")) || m_source.contains(QLatin1Char('/')) || m_source.startsWith(QLatin1Char('.')))
        return QStringLiteral("录音来源 \"%1\" 不是声音服务器的声源名，也不是 http 或 https 地址。").arg(m_source);
    m_sourceKind = SourceKind::Device;
    return {};
}
