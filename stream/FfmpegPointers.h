#pragma once

#include <memory>

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

// FFmpeg's objects, each released by its own free function whichever way a function is left.
namespace Ffmpeg {

struct FreeFormatContext
{
    void operator()(AVFormatContext *context) const { avformat_free_context(context); }
};
// An input closes with what it opened.
struct CloseInputContext
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct FreeCodecContext
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FreeResampler
{
    void operator()(SwrContext *context) const { swr_free(&context); }
};
struct FreeFifo
{
    void operator()(AVAudioFifo *fifo) const { av_audio_fifo_free(fifo); }
};
struct FreeFrame
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct FreePacket
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
// avio may have swapped the buffer it was given for one of its own.
struct FreeIoContext
{
    void operator()(AVIOContext *context) const
    {
        av_freep(&context->buffer);
        avio_context_free(&context);
    }
};

using FormatContext = std::unique_ptr<AVFormatContext, FreeFormatContext>;
using InputContext = std::unique_ptr<AVFormatContext, CloseInputContext>;
using CodecContext = std::unique_ptr<AVCodecContext, FreeCodecContext>;
using Resampler = std::unique_ptr<SwrContext, FreeResampler>;
using Fifo = std::unique_ptr<AVAudioFifo, FreeFifo>;
using Frame = std::unique_ptr<AVFrame, FreeFrame>;
using Packet = std::unique_ptr<AVPacket, FreePacket>;
using IoContext = std::unique_ptr<AVIOContext, FreeIoContext>;

// av_strerror's text of an AVERROR code.
inline QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace Ffmpeg
