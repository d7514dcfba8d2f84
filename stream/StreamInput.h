#pragma once

#include "FfmpegPointers.h"
#include "StreamStation.h"

#include <functional>

#include <QString>

// One connection to a stream through FFmpeg's own input: only network protocols, reconnects where
// FFmpeg offers them, a stall ends after a few seconds, and every wait ends as soon as interrupted()
// says so. Probes little, so that the first audio comes within a fraction of a second.
class StreamInput
{
public:
    enum class Opening { Opened, Refused, Failed };

    StreamInput(const QString &address, std::function<bool()> interrupted);

    Opening open();
    // The next packet of the audio stream; false when the stream ended, broke or was interrupted.
    bool read(AVPacket *packet);
    const AVStream *stream() const { return m_stream; }
    StreamStation station() const;
    QString errorString() const { return m_error; }

private:
    static int interruptCallback(void *self);
    Opening fail(const QString &what, int code);

    QString m_address;
    std::function<bool()> m_interrupted;
    Ffmpeg::InputContext m_format;
    AVStream *m_stream = nullptr;
    QString m_error;
};
