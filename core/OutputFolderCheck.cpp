#include "OutputFolderCheck.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace {

constexpr qint64 MiB = 1024 * 1024;

} // namespace

qint64 OutputFolderCheck::bytesPerSecond(const QString &filename)
{
    const QString extension = QFileInfo(filename).suffix().toLower();
    // The recorder's rates: MP3 at 192 kb/s, WMA at 128 kb/s, WAV at 48 kHz stereo 16-bit.
    if (extension == QLatin1String("mp3"))
        return 192000 / 8;
    if (extension == QLatin1String("wma"))
        return 128000 / 8;
    return 48000 * 2 * 2;
}

QString OutputFolderCheck::problem(const QString &filename, qint64 seconds)
{
    const QFileInfo folder(QFileInfo(filename).absolutePath());
    if (!folder.isDir())
        return QStringLiteral("文件夹 %1 不存在, 请创建它或改选文件夹.").arg(folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("文件夹 %1 无法写入, 请修改权限或改选文件夹.").arg(folder.filePath());
    const QStorageInfo disk(folder.filePath());
    const qint64 needed = seconds * bytesPerSecond(filename);
    if (disk.isValid() && disk.bytesAvailable() < needed) {
        return QStringLiteral("文件夹 %1 所在磁盘只剩 %2 MB, 录音需要约 %3 MB, 请腾出空间或改选文件夹.")
            .arg(folder.filePath())
            .arg(disk.bytesAvailable() / MiB)
            .arg((needed + MiB - 1) / MiB);
    }
    return {};
}
