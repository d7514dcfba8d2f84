#pragma once

#include "AudioFileKind.h"
#include "FfmpegPointers.h"
#include "PlayableHeader.h"

#include <memory>

#include <QString>

class OutputFile;
class OutputFileAvio;

// Encodes interleaved stereo 16-bit samples at the capture rate into the file, in the container
// and codec of its kind. The first failure stops all further work and stays in errorString().
class AudioEncoder
{
public:
    AudioEncoder(std::unique_ptr<OutputFile> file, AudioFileKind kind);
    ~AudioEncoder();

    // Sets up the encoder and writes the file's header.
    bool open();
    bool write(const qint16 *samples, int frames);
    // Everything so far goes to the disk and the header says how much there is.
    bool checkpoint();
    // Encodes what is left, writes the trailer and syncs. After a write error the file is left
    // playable up to what reached it instead; false then, or on any other failure.
    bool finish();

    QString errorString() const { return m_error; }

private:
    bool openEncoder();
    bool encodeBuffered(bool includingPartialFrame);
    bool send(const AVFrame *frame);
    bool fail(const QString &what, int code = 0);
    void salvage();

    std::unique_ptr<OutputFile> m_file;
    AudioFileKind m_kind;
    PlayableHeader m_header;
    std::unique_ptr<OutputFileAvio> m_avio;
    Ffmpeg::FormatContext m_format;
    Ffmpeg::CodecContext m_codec;
    Ffmpeg::Resampler m_resampler;
    Ffmpeg::Fifo m_fifo;
    Ffmpeg::Frame m_converted;
    Ffmpeg::Frame m_frame;
    Ffmpeg::Packet m_packet;
    AVStream *m_stream = nullptr;
    int m_frameSize = 0;
    qint64 m_nextPts = 0;
    QString m_error;
};
