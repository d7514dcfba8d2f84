#pragma once

#include <optional>

#include <QString>

enum class AudioFileKind { Wav, Mp3, Wma };

// How each kind of file is written.
struct EncodingProfile
{
    const char *muxer;
    const char *encoder;
    long bitRate; // 0 where the codec has a single rate
};

namespace AudioFileKinds {

// The kind a file name's extension asks for, in any case; none for another extension.
std::optional<AudioFileKind> fromFileName(const QString &fileName);
EncodingProfile profile(AudioFileKind kind);

} // namespace AudioFileKinds
