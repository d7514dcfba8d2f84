#pragma once

#include "FfmpegPointers.h"

#include <QString>

class OutputFile;

// An FFmpeg output context that writes into our own file, so that the recorder can sync it and
// keep its header up to date between the writes of the muxer.
class OutputFileAvio
{
public:
    explicit OutputFileAvio(OutputFile &file);

    // Null when FFmpeg had no memory for it.
    AVIOContext *context() const { return m_context.get(); }
    // A write or seek of FFmpeg's failed; the file's errorString() says why.
    bool failed() const { return m_failed; }
    // What to tell of a failed step: the file's own reason when one of FFmpeg's writes into it
    // failed, else FFmpeg's reason for code, else the step alone. avio may be null.
    static QString failureText(const OutputFileAvio *avio, const QString &what, int code);

private:
    static int write(void *opaque, uint8_t *buffer, int size);
    static int64_t seek(void *opaque, int64_t offset, int whence);

    OutputFile &m_file;
    Ffmpeg::IoContext m_context;
    bool m_failed = false;
};
