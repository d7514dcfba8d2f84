#include "StreamInput.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace {

// Enough for a format to show itself and for the first frames' parameters. A live stream sends in
// real time, so FFmpeg's default probing would wait seconds before the first audio.
constexpr auto formatProbeBytes = "4096";
constexpr auto probeBytes = "16384";
constexpr auto analyzeMicroseconds = "200000";
// A stream that sends nothing this long counts as broken.
constexpr auto stallMicroseconds = "3000000";
constexpr auto reconnectDelayMaxSeconds = "2";

QString metadata(const AVDictionary *dictionary, const char *key)
{
    const AVDictionaryEntry *entry = av_dict_get(dictionary, key, nullptr, 0);
    return entry ? QString::fromUtf8(entry->value).trimmed() : QString();
}

} // namespace

StreamInput::StreamInput(const QString &address, std::function<bool()> interrupted)
    : m_address(address)
    , m_interrupted(std::move(interrupted))
{
}

int StreamInput::interruptCallback(void *self)
{
    return static_cast<StreamInput *>(self)->m_interrupted() ? 1 : 0;
}

StreamInput::Opening StreamInput::open()
{
    AVFormatContext *format = avformat_alloc_context();
    if (!format)
        return fail(QStringLiteral("内存不足"), AVERROR(ENOMEM));
    format->interrupt_callback = {&StreamInput::interruptCallback, this};
    AVDictionary *options = nullptr;
    // Never a file or a local device, whatever a playlist or a redirect names.
    av_dict_set(&options, "protocol_whitelist", "http,https,tls,tcp,hls,crypto", 0);
    av_dict_set(&options, "reconnect", "1", 0);
    av_dict_set(&options, "reconnect_streamed", "1", 0);
    av_dict_set(&options, "reconnect_on_network_error", "1", 0);
    av_dict_set(&options, "reconnect_delay_max", reconnectDelayMaxSeconds, 0);
    av_dict_set(&options, "rw_timeout", stallMicroseconds, 0);
    av_dict_set(&options, "formatprobesize", formatProbeBytes, 0);
    av_dict_set(&options, "probesize", probeBytes, 0);
    av_dict_set(&options, "analyzeduration", analyzeMicroseconds, 0);
    const QByteArray address = m_address.toUtf8();
    int result = avformat_open_input(&format, address.constData(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0)
        return fail(QStringLiteral("无法打开"), result);
    m_format.reset(format);
    result = avformat_find_stream_info(m_format.get(), nullptr);
    if (result < 0)
        return fail(QStringLiteral("无法读取流的格式"), result);
    const int index = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return fail(QStringLiteral("流中没有声音"), index);
    m_stream = m_format->streams[index];
    return Opening::Opened;
}

bool StreamInput::read(AVPacket *packet)
{
    for (;;) {
        const int result = av_read_frame(m_format.get(), packet);
        if (result < 0) {
            m_error = result == AVERROR_EOF ? QStringLiteral("电台结束了连接") : Ffmpeg::errorText(result);
            return false;
        }
        if (packet->stream_index == m_stream->index)
            return true;
        av_packet_unref(packet);
    }
}

StreamStation StreamInput::station() const
{
    StreamStation station;
    if (!m_stream)
        return station;
    station.name = metadata(m_format->metadata, "icy-name");
    station.title = metadata(m_format->metadata, "StreamTitle");
    if (const AVCodecDescriptor *codec = avcodec_descriptor_get(m_stream->codecpar->codec_id))
        station.codec = QString::fromLatin1(codec->name);
    station.bitRate = m_stream->codecpar->bit_rate;
    if (station.bitRate == 0)
        station.bitRate = metadata(m_format->metadata, "icy-br").toLongLong() * 1000;
    return station;
}

StreamInput::Opening StreamInput::fail(const QString &what, int code)
{
    m_error = QStringLiteral("%1: %2").arg(what, Ffmpeg::errorText(code));
    // A protocol outside the list is refused by FFmpeg as an invalid argument.
    const bool refused = code == AVERROR(EINVAL) || code == AVERROR_PROTOCOL_NOT_FOUND;
    return refused ? Opening::Refused : Opening::Failed;
}
