#pragma once

#include "FfmpegPointers.h"

#include <memory>

#include <QString>

class OutputFile;
class OutputFileAvio;

// Writes a stream's MP3 packets into an MP3 file as they came, without decoding them. MP3 frames
// stand on their own, so what reached the disk plays whatever happens afterwards.
class PacketCopier
{
public:
    explicit PacketCopier(std::unique_ptr<OutputFile> file);
    ~PacketCopier();

    bool open(const AVCodecParameters *parameters);
    // With the packet's place in the recording, in samples of the stream's rate.
    bool write(AVPacket *packet, qint64 position);
    bool checkpoint();
    bool finish();
    QString errorString() const { return m_error; }

private:
    bool fail(const QString &what, int code = 0);

    std::unique_ptr<OutputFile> m_file;
    std::unique_ptr<OutputFileAvio> m_avio;
    Ffmpeg::FormatContext m_format;
    AVStream *m_stream = nullptr;
    QString m_error;
};
