#include "PulseCapture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace {

QString describe(int error)
{
    return QString::fromUtf8(pa_strerror(error));
}

} // namespace

PulseCapture::PulseCapture(const QString &sourceName)
{
    const QByteArray source = sourceName.toUtf8();
    int error = 0;
    m_stream = PulseRecordStream::open(source.isEmpty() ? nullptr : source.constData(), error);
    noteFailure(error);
}

PulseCapture::PulseCapture(PulseRecordStream::Pointer stream, int error, bool fellBack)
    : m_stream(std::move(stream))
    , m_fellBack(fellBack)
{
    noteFailure(error);
}

std::unique_ptr<PulseCapture> PulseCapture::openOrDefault(const QString &sourceName)
{
    const QByteArray source = sourceName.toUtf8();
    int error = 0;
    bool fellBack = false;
    auto stream = PulseRecordStream::openOrDefault(source.isEmpty() ? nullptr : source.constData(), error, fellBack);
    return std::make_unique<PulseCapture>(std::move(stream), error, fellBack);
}

QString PulseCapture::fallbackNotice(const QString &sourceName)
{
    return QStringLiteral("录音来源 \"%1\" 已不存在，改用默认声源。").arg(sourceName);
}

void PulseCapture::noteFailure(int error)
{
    if (!m_stream)
        m_error = describe(error);
}

bool PulseCapture::read(qint16 *samples, int frames)
{
    int error = 0;
    if (pa_simple_read(m_stream.get(), samples, size_t(frames) * Channels * sizeof(qint16), &error) == 0)
        return true;
    m_error = describe(error);
    return false;
}
