#include "AudioFileKind.h"

#include <QFileInfo>

namespace AudioFileKinds {

std::optional<AudioFileKind> fromFileName(const QString &fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == QLatin1String("wav"))
        return AudioFileKind::Wav;
    if (extension == QLatin1String("mp3"))
        return AudioFileKind::Mp3;
    if (extension == QLatin1String("wma"))
        return AudioFileKind::Wma;
    return std::nullopt;
}

EncodingProfile profile(AudioFileKind kind)
{
    switch (kind) {
    case AudioFileKind::Wav:
        return {"wav", "pcm_s16le", 0};
    case AudioFileKind::Mp3:
        return {"mp3", "libmp3lame", 192000};
    case AudioFileKind::Wma:
        return {"asf", "wmav2", 128000};
    }
    return {"wav", "pcm_s16le", 0};
}

} // namespace AudioFileKinds
