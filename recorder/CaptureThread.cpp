#include "CaptureThread.h"

#include "AudioEncoder.h"
#include "PulseCapture.h"
#include "SampleLevel.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr qint64 rate = PulseCapture::SampleRate;
constexpr qint64 checkpointFrames = rate / 2;
// How long after the planned end the recording waits for audio the server still owes it.
constexpr auto lateness = 500ms;
constexpr auto retryInterval = 250ms;

} // namespace

CaptureThread::CaptureThread(std::unique_ptr<PulseCapture> capture, const QString &sourceName,
                             std::unique_ptr<AudioEncoder> encoder, qint64 seconds, QObject *parent)
    : RecordingThread(parent)
    , m_capture(std::move(capture))
    , m_source(sourceName)
    , m_encoder(std::move(encoder))
    , m_seconds(seconds)
    , m_totalFrames(seconds * rate)
{
}

CaptureThread::~CaptureThread()
{
    requestStop();
    wait();
}

void CaptureThread::requestStop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
}

void CaptureThread::switchSource(const QString &sourceName)
{
    const std::lock_guard lock(m_mutex);
    m_pendingSource = sourceName;
    m_switchPending = true;
}

void CaptureThread::run()
{
    m_start = Clock::now();
    const auto end = m_start + std::chrono::seconds(m_seconds) + lateness;
    std::vector<qint16> block(size_t(PulseCapture::FragmentFrames) * PulseCapture::Channels);
    bool written = true;

    while (written && m_recorded < m_totalFrames && !m_stopRequested && Clock::now() < end) {
        applySourceSwitch();
        const int frames = int(std::min<qint64>(PulseCapture::FragmentFrames, m_totalFrames - m_recorded));
        if (m_capture->read(block.data(), frames)) {
            written = write(block.data(), frames);
            emit progress(m_recorded, SampleLevel::peakDecibels(block.data(), frames * PulseCapture::Channels));
            continue;
        }
        ++m_drops;
        emit lossChanged(m_drops, m_lostFrames / rate);
        emit notice(QStringLiteral("与声音服务器的连接中断，正在重新连接: %1").arg(m_capture->errorString()));
        m_capture.reset();
        if (!reconnect())
            break;
        written = fillGap();
        emit progress(m_recorded, -std::numeric_limits<double>::infinity());
    }

    // The file lasts as long as the recording ran by the clock, whatever the server had not delivered by then.
    if (written)
        written = m_capture ? fillSilence(std::min(clockFrames(), m_totalFrames) - m_recorded) : fillGap();
    const bool finished = m_encoder->finish();
    const ExitStatus status = written && finished ? ExitStatus::Recorded : ExitStatus::WriteFailed;
    m_capture.reset();
    emit ended(status, status == ExitStatus::Recorded ? summary() : m_encoder->errorString());
}

void CaptureThread::applySourceSwitch()
{
    QString sourceName;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_switchPending)
            return;
        m_switchPending = false;
        sourceName = m_pendingSource;
    }
    auto capture = std::make_unique<PulseCapture>(sourceName);
    if (capture->isOpen()) {
        m_capture = std::move(capture);
        m_source = sourceName;
    } else {
        emit notice(QStringLiteral("无法切换到声源 \"%1\": %2").arg(sourceName, capture->errorString()));
    }
}

bool CaptureThread::reconnect()
{
    const auto deadline = m_start + std::chrono::seconds(m_seconds);
    while (!m_stopRequested && Clock::now() < deadline) {
        // A local server is cheap to ask, and a restart takes about a second.
        const auto until = std::min(Clock::now() + retryInterval, deadline);
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait_until(lock, until, [this] { return m_stopRequested.load(); });
        }
        emit progress(std::min(clockFrames(), m_totalFrames), -std::numeric_limits<double>::infinity());
        if (m_stopRequested || Clock::now() >= deadline)
            return false;
        m_capture = openAgain();
        if (m_capture)
            return true;
    }
    return false;
}

std::unique_ptr<PulseCapture> CaptureThread::openAgain()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_switchPending) {
            m_switchPending = false;
            m_source = m_pendingSource;
        }
    }
    auto capture = PulseCapture::openOrDefault(m_source);
    if (!capture->isOpen())
        return nullptr;
    if (capture->fellBack()) {
        emit notice(PulseCapture::fallbackNotice(m_source));
        m_source.clear();
    } else {
        emit notice(QStringLiteral("已重新连接声音服务器。"));
    }
    return capture;
}

bool CaptureThread::fillGap()
{
    const qint64 frames = std::min(clockFrames(), m_totalFrames) - m_recorded;
    if (frames > 0) {
        m_lostFrames += frames;
        emit lossChanged(m_drops, m_lostFrames / rate);
    }
    return fillSilence(frames);
}

bool CaptureThread::fillSilence(qint64 frames)
{
    const std::vector<qint16> silence(size_t(PulseCapture::FragmentFrames) * PulseCapture::Channels, 0);
    for (qint64 left = std::min(frames, m_totalFrames - m_recorded); left > 0; left -= PulseCapture::FragmentFrames) {
        if (!write(silence.data(), int(std::min<qint64>(left, PulseCapture::FragmentFrames))))
            return false;
    }
    return true;
}

bool CaptureThread::write(const qint16 *samples, int frames)
{
    m_recorded += frames;
    m_sinceCheckpoint += frames;
    if (!m_encoder->write(samples, frames))
        return false;
    if (m_sinceCheckpoint < checkpointFrames)
        return true;
    m_sinceCheckpoint = 0;
    return m_encoder->checkpoint();
}

qint64 CaptureThread::clockFrames() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - m_start).count() * rate / 1000000;
}

QString CaptureThread::summary() const
{
    if (m_drops == 0)
        return {};
    return QStringLiteral("录音完成: 声音服务器中断 %1 次, 共丢失 %2 秒").arg(m_drops).arg((m_lostFrames + rate / 2) / rate);
}
