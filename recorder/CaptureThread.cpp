#include "CaptureThread.h"

#include "AudioEncoder.h"
#include "PulseCapture.h"
#include "SampleLevel.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr qint64 checkpointFrames = PulseCapture::SampleRate / 2;
constexpr int backstopSeconds = 5;

} // namespace

CaptureThread::CaptureThread(std::unique_ptr<PulseCapture> capture, std::unique_ptr<AudioEncoder> encoder,
                             qint64 seconds, QObject *parent)
    : RecordingThread(parent)
    , m_capture(std::move(capture))
    , m_encoder(std::move(encoder))
    , m_seconds(seconds)
{
}

CaptureThread::~CaptureThread()
{
    requestStop();
    wait();
}

void CaptureThread::requestStop()
{
    m_stopRequested = true;
}

void CaptureThread::switchSource(const QString &sourceName)
{
    const std::lock_guard lock(m_switchMutex);
    m_pendingSource = sourceName;
    m_switchPending = true;
}

void CaptureThread::run()
{
    const qint64 totalFrames = m_seconds * PulseCapture::SampleRate;
    const auto backstop = std::chrono::steady_clock::now() + std::chrono::seconds(m_seconds + backstopSeconds);
    std::vector<qint16> block(size_t(PulseCapture::FragmentFrames) * PulseCapture::Channels);
    qint64 recorded = 0;
    qint64 sinceCheckpoint = 0;
    ExitStatus status = ExitStatus::Recorded;
    QString message;

    while (recorded < totalFrames && !m_stopRequested && std::chrono::steady_clock::now() < backstop) {
        applySourceSwitch();
        const int frames = int(std::min<qint64>(PulseCapture::FragmentFrames, totalFrames - recorded));
        if (!m_capture->read(block.data(), frames)) {
            status = ExitStatus::NoSoundServer;
            message = QStringLiteral("与声音服务器的连接中断: %1").arg(m_capture->errorString());
            break;
        }
        recorded += frames;
        sinceCheckpoint += frames;
        bool written = m_encoder->write(block.data(), frames);
        if (written && sinceCheckpoint >= checkpointFrames) {
            sinceCheckpoint = 0;
            written = m_encoder->checkpoint();
        }
        if (!written) {
            status = ExitStatus::WriteFailed;
            break;
        }
        emit progress(recorded, SampleLevel::peakDecibels(block.data(), frames * PulseCapture::Channels));
    }

    if (!m_encoder->finish() && status != ExitStatus::NoSoundServer)
        status = ExitStatus::WriteFailed;
    if (status == ExitStatus::WriteFailed)
        message = m_encoder->errorString();
    else if (status == ExitStatus::NoSoundServer && !m_encoder->errorString().isEmpty())
        message += QLatin1Char('\n') + m_encoder->errorString();
    m_capture.reset();
    emit ended(status, message);
}

void CaptureThread::applySourceSwitch()
{
    QString sourceName;
    {
        const std::lock_guard lock(m_switchMutex);
        if (!m_switchPending)
            return;
        m_switchPending = false;
        sourceName = m_pendingSource;
    }
    auto capture = std::make_unique<PulseCapture>(sourceName);
    if (capture->isOpen())
        m_capture = std::move(capture);
    else
        emit notice(QStringLiteral("无法切换到声源 \"%1\": %2").arg(sourceName, capture->errorString()));
}
