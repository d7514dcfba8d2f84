#include "PulseCapture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace {

QString describe(int error)
{
    return QString::fromUtf8(pa_strerror(error));
}

} // namespace

void PulseCapture::FreeStream::operator()(pa_simple *stream) const
{
    pa_simple_free(stream);
}

PulseCapture::PulseCapture(const QString &sourceName)
{
    const pa_sample_spec format{PA_SAMPLE_S16LE, SampleRate, Channels};
    pa_buffer_attr buffering{};
    buffering.maxlength = uint32_t(-1);
    buffering.tlength = uint32_t(-1);
    buffering.prebuf = uint32_t(-1);
    buffering.minreq = uint32_t(-1);
    buffering.fragsize = uint32_t(FragmentFrames * Channels * sizeof(qint16));
    const QByteArray source = sourceName.toUtf8();
    int error = 0;
    m_stream.reset(pa_simple_new(nullptr, "Quillsound", PA_STREAM_RECORD, source.isEmpty() ? nullptr : source.constData(),
                                 "录音", &format, nullptr, &buffering, &error));
    if (!m_stream) {
        m_sourceMissing = error == PA_ERR_NOENTITY;
        m_error = describe(error);
    }
}

PulseCapture::~PulseCapture() = default;

bool PulseCapture::read(qint16 *samples, int frames)
{
    int error = 0;
    if (pa_simple_read(m_stream.get(), samples, size_t(frames) * Channels * sizeof(qint16), &error) == 0)
        return true;
    m_error = describe(error);
    return false;
}
