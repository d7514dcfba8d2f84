#include "AudioEncoder.h"

#include "OutputFile.h"
#include "OutputFileAvio.h"
#include "PulseCapture.h"

#include <algorithm>

namespace {

// The frame size for codecs that take any, and the most samples converted in one go.
constexpr int defaultFrameSize = 1024;
constexpr int conversionFrames = 4096;
const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;

// The codec's own format when it takes 16-bit samples, so that nothing is converted needlessly.
AVSampleFormat sampleFormatFor(const AVCodec *codec)
{
    for (const AVSampleFormat *format = codec->sample_fmts; format && *format != AV_SAMPLE_FMT_NONE; ++format) {
        if (av_get_packed_sample_fmt(*format) == AV_SAMPLE_FMT_S16)
            return *format;
    }
    return codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
}

Ffmpeg::Frame audioFrame(AVSampleFormat format, int samples)
{
    Ffmpeg::Frame frame(av_frame_alloc());
    if (!frame)
        return frame;
    frame->format = format;
    frame->nb_samples = samples;
    frame->sample_rate = PulseCapture::SampleRate;
    if (av_channel_layout_copy(&frame->ch_layout, &stereo) < 0 || av_frame_get_buffer(frame.get(), 0) < 0)
        frame.reset();
    return frame;
}

} // namespace

AudioEncoder::AudioEncoder(std::unique_ptr<OutputFile> file, AudioFileKind kind)
    : m_file(std::move(file))
    , m_kind(kind)
    , m_header(kind)
{
}

AudioEncoder::~AudioEncoder() = default;

bool AudioEncoder::open()
{
    const EncodingProfile profile = AudioFileKinds::profile(m_kind);
    m_avio = std::make_unique<OutputFileAvio>(*m_file);
    AVFormatContext *format = nullptr;
    // Named, not guessed: the file's name need not end in the extension.
    int result = avformat_alloc_output_context2(&format, nullptr, profile.muxer, nullptr);
    m_format.reset(format);
    if (result < 0 || !m_avio->context())
        return fail(QStringLiteral("无法准备输出格式"), result);
    m_format->pb = m_avio->context();
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;

    if (!openEncoder())
        return false;

    AVDictionary *options = nullptr;
    // An MP3 file without the Xing frame is plain constant-rate frames, whose length a player
    // reckons from the file's size, so a missing trailer does not matter.
    av_dict_set(&options, "write_xing", "0", 0);
    av_dict_set(&options, "rf64", "auto", 0);
    result = avformat_write_header(m_format.get(), &options);
    av_dict_free(&options);
    if (result < 0)
        return fail(QStringLiteral("无法写入文件头"), result);
    avio_flush(m_format->pb);
    if (m_avio->failed() || !m_header.headerWritten(*m_file) || !m_file->sync())
        return fail(QStringLiteral("无法写入文件头"));
    return true;
}

bool AudioEncoder::openEncoder()
{
    const EncodingProfile profile = AudioFileKinds::profile(m_kind);
    const AVCodec *codec = avcodec_find_encoder_by_name(profile.encoder);
    if (!codec)
        return fail(QStringLiteral("FFmpeg 没有编码器 %1").arg(QLatin1String(profile.encoder)));
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec)
        return fail(QStringLiteral("内存不足"), AVERROR(ENOMEM));
    m_codec->sample_fmt = sampleFormatFor(codec);
    m_codec->sample_rate = PulseCapture::SampleRate;
    m_codec->bit_rate = profile.bitRate;
    m_codec->time_base = {1, PulseCapture::SampleRate};
    int result = av_channel_layout_copy(&m_codec->ch_layout, &stereo);
    if (result >= 0 && (m_format->oformat->flags & AVFMT_GLOBALHEADER))
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (result >= 0)
        result = avcodec_open2(m_codec.get(), codec, nullptr);
    if (result < 0)
        return fail(QStringLiteral("无法打开编码器 %1").arg(QLatin1String(profile.encoder)), result);

    m_stream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_stream)
        return fail(QStringLiteral("内存不足"), AVERROR(ENOMEM));
    m_stream->time_base = m_codec->time_base;
    result = avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
    if (result < 0)
        return fail(QStringLiteral("无法设置音频流"), result);

    SwrContext *resampler = nullptr;
    AVChannelLayout captured = AV_CHANNEL_LAYOUT_STEREO;
    result = swr_alloc_set_opts2(&resampler, &m_codec->ch_layout, m_codec->sample_fmt, PulseCapture::SampleRate,
                                 &captured, AV_SAMPLE_FMT_S16, PulseCapture::SampleRate, 0, nullptr);
    m_resampler.reset(resampler);
    if (result >= 0)
        result = swr_init(m_resampler.get());
    if (result < 0)
        return fail(QStringLiteral("无法设置采样格式转换"), result);

    m_frameSize = m_codec->frame_size > 0 ? m_codec->frame_size : defaultFrameSize;
    m_fifo.reset(av_audio_fifo_alloc(m_codec->sample_fmt, stereo.nb_channels, m_frameSize));
    m_converted = audioFrame(m_codec->sample_fmt, conversionFrames);
    m_frame = audioFrame(m_codec->sample_fmt, m_frameSize);
    m_packet.reset(av_packet_alloc());
    if (!m_fifo || !m_converted || !m_frame || !m_packet)
        return fail(QStringLiteral("内存不足"), AVERROR(ENOMEM));
    return true;
}

bool AudioEncoder::write(const qint16 *samples, int frames)
{
    if (!m_error.isEmpty())
        return false;
    while (frames > 0) {
        const int chunk = std::min(frames, conversionFrames);
        const auto *input = reinterpret_cast<const uint8_t *>(samples);
        const int converted = swr_convert(m_resampler.get(), m_converted->data, conversionFrames, &input, chunk);
        if (converted < 0)
            return fail(QStringLiteral("采样格式转换失败"), converted);
        if (av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void **>(m_converted->data), converted) < converted)
            return fail(QStringLiteral("内存不足"), AVERROR(ENOMEM));
        samples += qsizetype(chunk) * stereo.nb_channels;
        frames -= chunk;
    }
    return encodeBuffered(false);
}

bool AudioEncoder::encodeBuffered(bool includingPartialFrame)
{
    const bool takesShortFrame = m_codec->codec->capabilities
                                 & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    while (av_audio_fifo_size(m_fifo.get()) >= m_frameSize
           || (includingPartialFrame && av_audio_fifo_size(m_fifo.get()) > 0)) {
        const int available = std::min(av_audio_fifo_size(m_fifo.get()), m_frameSize);
        m_frame->nb_samples = m_frameSize;
        int result = av_frame_make_writable(m_frame.get());
        if (result < 0)
            return fail(QStringLiteral("内存不足"), result);
        av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void **>(m_frame->data), available);
        if (available < m_frameSize && !takesShortFrame)
            av_samples_set_silence(m_frame->data, available, m_frameSize - available, stereo.nb_channels,
                                   m_codec->sample_fmt);
        else
            m_frame->nb_samples = available;
        m_frame->pts = m_nextPts;
        m_nextPts += m_frame->nb_samples;
        if (!send(m_frame.get()))
            return false;
    }
    return true;
}

bool AudioEncoder::send(const AVFrame *frame)
{
    int result = avcodec_send_frame(m_codec.get(), frame);
    if (result < 0)
        return fail(QStringLiteral("编码失败"), result);
    while ((result = avcodec_receive_packet(m_codec.get(), m_packet.get())) == 0) {
        av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        result = av_write_frame(m_format.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (result < 0 || m_avio->failed())
            return fail(QStringLiteral("写入失败"), result);
    }
    if (result != AVERROR(EAGAIN) && result != AVERROR_EOF)
        return fail(QStringLiteral("编码失败"), result);
    return true;
}

bool AudioEncoder::checkpoint()
{
    if (!m_error.isEmpty())
        return false;
    // Data that the muxer holds back goes out too, where the muxer can do that.
    av_write_frame(m_format.get(), nullptr);
    avio_flush(m_format->pb);
    if (m_avio->failed() || !m_header.update(*m_file) || !m_file->sync())
        return fail(QStringLiteral("写入失败"));
    return true;
}

bool AudioEncoder::finish()
{
    if (m_error.isEmpty() && encodeBuffered(true) && send(nullptr)) {
        const int result = av_write_trailer(m_format.get());
        avio_flush(m_format->pb);
        if (result < 0 || m_avio->failed())
            fail(QStringLiteral("无法写入文件尾"), result);
        else if (!m_file->sync())
            fail(QStringLiteral("写入失败"));
        else
            return true;
    }
    salvage();
    return false;
}

// What reached the file stays playable: only the header is brought up to date, in place.
void AudioEncoder::salvage()
{
    if (m_format && m_format->pb && !m_avio->failed())
        avio_flush(m_format->pb);
    m_header.update(*m_file);
    m_file->sync();
}

bool AudioEncoder::fail(const QString &what, int code)
{
    if (!m_error.isEmpty())
        return false;
    m_error = OutputFileAvio::failureText(m_avio.get(), what, code);
    return false;
}
