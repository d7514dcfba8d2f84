#include "StreamDecoder.h"

#include "PulseCapture.h"

bool StreamDecoder::open(const AVCodecParameters *parameters)
{
    const AVCodec *codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return fail(QStringLiteral("FFmpeg 没有这种流的解码器"), AVERROR_DECODER_NOT_FOUND);
    m_codec.reset(avcodec_alloc_context3(codec));
    m_frame.reset(av_frame_alloc());
    if (!m_codec || !m_frame)
        return fail(QStringLiteral("内存不足"), AVERROR(ENOMEM));
    int result = avcodec_parameters_to_context(m_codec.get(), parameters);
    if (result >= 0)
        result = avcodec_open2(m_codec.get(), codec, nullptr);
    return result >= 0 || fail(QStringLiteral("无法打开解码器"), result);
}

bool StreamDecoder::decode(const AVPacket *packet, const Take &take)
{
    int result = avcodec_send_packet(m_codec.get(), packet);
    // A damaged packet after a reconnect is skipped, not the end of the recording.
    if (result == AVERROR_INVALIDDATA)
        return true;
    if (result < 0)
        return fail(QStringLiteral("解码失败"), result);
    while ((result = avcodec_receive_frame(m_codec.get(), m_frame.get())) == 0) {
        const bool converted = convert(m_frame.get(), take);
        av_frame_unref(m_frame.get());
        if (!converted)
            return false;
    }
    return result == AVERROR(EAGAIN) || result == AVERROR_EOF || result == AVERROR_INVALIDDATA
           || fail(QStringLiteral("解码失败"), result);
}

bool StreamDecoder::convert(AVFrame *frame, const Take &take)
{
    if (!m_resampler || frame->sample_rate != m_inputRate || frame->format != m_inputFormat
        || av_channel_layout_compare(&frame->ch_layout, &m_inputLayout) != 0) {
        SwrContext *resampler = nullptr;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        int result = swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, PulseCapture::SampleRate,
                                         &frame->ch_layout, AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        m_resampler.reset(resampler);
        if (result >= 0)
            result = swr_init(m_resampler.get());
        if (result < 0)
            return fail(QStringLiteral("无法设置采样格式转换"), result);
        av_channel_layout_uninit(&m_inputLayout);
        av_channel_layout_copy(&m_inputLayout, &frame->ch_layout);
        m_inputRate = frame->sample_rate;
        m_inputFormat = frame->format;
    }
    const int room = swr_get_out_samples(m_resampler.get(), frame->nb_samples);
    m_samples.resize(size_t(room) * PulseCapture::Channels);
    auto *output = reinterpret_cast<uint8_t *>(m_samples.data());
    const int frames = swr_convert(m_resampler.get(), &output, room, const_cast<const uint8_t **>(frame->extended_data),
                                   frame->nb_samples);
    if (frames < 0)
        return fail(QStringLiteral("采样格式转换失败"), frames);
    return frames == 0 || take(m_samples.data(), frames);
}

bool StreamDecoder::fail(const QString &what, int code)
{
    m_error = QStringLiteral("%1: %2").arg(what, Ffmpeg::errorText(code));
    return false;
}
