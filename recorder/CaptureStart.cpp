#include "CaptureStart.h"

CaptureStart::CaptureStart(const QStringList &arguments, EarlyCapture &early)
    : m_argument(arguments)
{
    const auto kind = m_argument.sourceKind();
    if (!m_argument.isValid() || kind == RecorderArgument::SourceKind::Stream)
        return;
    m_source = kind == RecorderArgument::SourceKind::Device ? m_argument.source() : m_sourceMemory.remembered();
    if (early.attempted && QString::fromStdString(early.requested) == m_source) {
        m_capture = std::make_unique<PulseCapture>(std::move(early.stream), early.error, early.requestedMissing);
    } else {
        early.stream.reset();
        m_capture = PulseCapture::openOrDefault(m_source);
    }
    if (!m_capture->fellBack())
        return;
    // A remembered pick that is gone is quietly replaced; a task's own source is worth a word.
    if (kind == RecorderArgument::SourceKind::Device)
        m_sourceNotice = PulseCapture::fallbackNotice(m_source);
    m_source.clear();
}
