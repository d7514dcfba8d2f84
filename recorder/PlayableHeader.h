#pragma once

#include "AudioFileKind.h"

class OutputFile;

// Keeps a file that is still being written playable as far as it reached the disk, should the
// recorder never get to write the trailer (killed, power lost, disk full): a WAV file's sizes are
// brought up to date at each update, an ASF file is marked a broadcast, whose players read packets
// up to the end of the file. MP3 frames stand on their own and need nothing.
class PlayableHeader
{
public:
    explicit PlayableHeader(AudioFileKind kind);

    // Once the container's header is in the file.
    bool headerWritten(OutputFile &file);
    // With everything encoded so far in the file.
    bool update(OutputFile &file) const;

private:
    bool markAsfBroadcast(OutputFile &file) const;

    AudioFileKind m_kind;
    qint64 m_wavDataStart = 0;
};
