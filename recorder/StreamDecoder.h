#pragma once

#include "FfmpegPointers.h"

#include <functional>
#include <vector>

#include <QString>

// Decodes a stream's packets and resamples them to what the encoder takes: interleaved stereo
// 16-bit samples at the capture rate. Follows the stream when its rate or channels change.
class StreamDecoder
{
public:
    using Take = std::function<bool(const qint16 *samples, int frames)>;

    bool open(const AVCodecParameters *parameters);
    // Hands every converted block to take; false when decoding failed or take did.
    bool decode(const AVPacket *packet, const Take &take);
    QString errorString() const { return m_error; }

private:
    bool convert(AVFrame *frame, const Take &take);
    bool fail(const QString &what, int code);

    Ffmpeg::CodecContext m_codec;
    Ffmpeg::Frame m_frame;
    Ffmpeg::Resampler m_resampler;
    AVChannelLayout m_inputLayout{};
    int m_inputRate = 0;
    int m_inputFormat = -1;
    std::vector<qint16> m_samples;
    QString m_error;
};
