#include "CaptureStart.h"

CaptureStart::CaptureStart(const QStringList &arguments)
    : m_argument(arguments)
{
    const auto kind = m_argument.sourceKind();
    if (!m_argument.isValid())
        return;
    m_source = kind == RecorderArgument::SourceKind::Device ? m_argument.source() : m_sourceMemory.remembered();
    if (kind == RecorderArgument::SourceKind::Stream)
        return;
    m_capture = std::make_unique<PulseCapture>(m_source);
    if (!m_capture->sourceMissing())
        return;
    // A remembered pick that is gone is quietly replaced; a task's own source is worth a word.
    if (kind == RecorderArgument::SourceKind::Device)
        m_sourceNotice = QStringLiteral("录音来源 \"%1\" 已不存在，改用默认声源。").arg(m_source);
    m_source.clear();
    m_capture = std::make_unique<PulseCapture>(m_source);
}
