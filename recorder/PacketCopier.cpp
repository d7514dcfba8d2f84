#include "PacketCopier.h"

#include "OutputFile.h"
#include "OutputFileAvio.h"

PacketCopier::PacketCopier(std::unique_ptr<OutputFile> file)
    : m_file(std::move(file))
{
}

PacketCopier::~PacketCopier() = default;

bool PacketCopier::open(const AVCodecParameters *parameters)
{
    m_avio = std::make_unique<OutputFileAvio>(*m_file);
    AVFormatContext *format = nullptr;
    int result = avformat_alloc_output_context2(&format, nullptr, "mp3", nullptr);
    m_format.reset(format);
    if (result < 0 || !m_avio->context())
        return fail(QStringLiteral("无法准备输出格式"), result);
    m_format->pb = m_avio->context();
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    m_stream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_stream)
        return fail(QStringLiteral("内存不足"), AVERROR(ENOMEM));
    result = avcodec_parameters_copy(m_stream->codecpar, parameters);
    m_stream->codecpar->codec_tag = 0;
    m_stream->time_base = {1, parameters->sample_rate};
    if (result < 0)
        return fail(QStringLiteral("无法设置音频流"), result);
    AVDictionary *options = nullptr;
    // Plain frames, whose length a player reckons from the size, so a missing trailer does not matter.
    av_dict_set(&options, "write_xing", "0", 0);
    result = avformat_write_header(m_format.get(), &options);
    av_dict_free(&options);
    if (result < 0)
        return fail(QStringLiteral("无法写入文件头"), result);
    return checkpoint();
}

bool PacketCopier::write(AVPacket *packet, qint64 position)
{
    if (!m_error.isEmpty())
        return false;
    packet->stream_index = m_stream->index;
    packet->pts = packet->dts = av_rescale_q(position, {1, m_stream->codecpar->sample_rate}, m_stream->time_base);
    packet->pos = -1;
    const int result = av_write_frame(m_format.get(), packet);
    return (result >= 0 && !m_avio->failed()) || fail(QStringLiteral("写入失败"), result);
}

bool PacketCopier::checkpoint()
{
    if (!m_error.isEmpty())
        return false;
    avio_flush(m_format->pb);
    return (!m_avio->failed() && m_file->sync()) || fail(QStringLiteral("写入失败"));
}

bool PacketCopier::finish()
{
    if (!m_error.isEmpty())
        return false;
    const int result = av_write_trailer(m_format.get());
    avio_flush(m_format->pb);
    return (result >= 0 && !m_avio->failed() && m_file->sync()) || fail(QStringLiteral("无法写入文件尾"), result);
}

bool PacketCopier::fail(const QString &what, int code)
{
    if (!m_error.isEmpty())
        return false;
    m_error = OutputFileAvio::failureText(m_avio.get(), what, code);
    return false;
}
