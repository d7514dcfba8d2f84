#include "OutputFileAvio.h"

#include "OutputFile.h"

#include <cstdio>

namespace {

constexpr int bufferSize = 32 * 1024;

} // namespace

OutputFileAvio::OutputFileAvio(OutputFile &file)
    : m_file(file)
{
    auto *buffer = static_cast<unsigned char *>(av_malloc(bufferSize));
    if (!buffer)
        return;
    m_context.reset(avio_alloc_context(buffer, bufferSize, 1, this, nullptr, &OutputFileAvio::write,
                                       &OutputFileAvio::seek));
    if (!m_context)
        av_free(buffer);
}

int OutputFileAvio::write(void *opaque, uint8_t *buffer, int size)
{
    auto *self = static_cast<OutputFileAvio *>(opaque);
    if (self->m_file.write(reinterpret_cast<const char *>(buffer), size))
        return size;
    self->m_failed = true;
    return AVERROR(EIO);
}

int64_t OutputFileAvio::seek(void *opaque, int64_t offset, int whence)
{
    auto *self = static_cast<OutputFileAvio *>(opaque);
    const qint64 size = self->m_file.size();
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_CUR:
        offset += self->m_file.position();
        break;
    case SEEK_END:
        offset += size;
        break;
    case SEEK_SET:
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (self->m_file.seek(offset))
        return offset;
    self->m_failed = true;
    return AVERROR(EIO);
}

QString OutputFileAvio::failureText(const OutputFileAvio *avio, const QString &what, int code)
{
    const QString reason = avio && avio->m_failed ? avio->m_file.errorString()
                           : code < 0            ? Ffmpeg::errorText(code)
                                                 : QString();
    return reason.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, reason);
}
