#include "StreamThread.h"

#include "AudioEncoder.h"
#include "OutputFile.h"
#include "PacketCopier.h"
#include "PulseCapture.h"
#include "SampleLevel.h"
#include "StreamInput.h"

#include <algorithm>
#include <limits>
#include <vector>

#include <QFile>

namespace {

using namespace std::chrono_literals;

constexpr qint64 rate = PulseCapture::SampleRate;
constexpr qint64 checkpointFrames = rate / 2;
// Audio later than this by the clock is a gap, filled with silence; less is the stream's own latency.
constexpr qint64 gapFrames = rate * 3 / 4;
constexpr auto progressInterval = 250ms;
constexpr auto firstRetry = 250ms;
constexpr auto longestRetry = 1s;

} // namespace

StreamThread::StreamThread(const QString &address, std::unique_ptr<OutputFile> file, const QString &path,
                           AudioFileKind kind, qint64 seconds, QObject *parent)
    : RecordingThread(parent)
    , m_address(address)
    , m_file(std::move(file))
    , m_path(path)
    , m_kind(kind)
    , m_seconds(seconds)
    , m_totalFrames(seconds * rate)
    , m_peakDecibels(-std::numeric_limits<double>::infinity())
{
}

StreamThread::~StreamThread()
{
    requestStop();
    wait();
}

void StreamThread::requestStop()
{
    {
        const std::lock_guard lock(m_waitMutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
}

bool StreamThread::interrupted() const
{
    return m_stopRequested || Clock::now() >= m_deadline;
}

void StreamThread::run()
{
    // FFmpeg's own warnings would be mixed into what the recorder tells on standard error.
    av_log_set_level(AV_LOG_QUIET);
    m_start = Clock::now();
    m_deadline = m_start + std::chrono::seconds(m_seconds);
    m_lastProgress = m_start;
    ExitStatus status = ExitStatus::Recorded;
    QString message;
    QString lastError;
    Ffmpeg::Packet packet(av_packet_alloc());
    // Counted from the start until the stream first answers, and from each break.
    m_outageStart = m_start;
    int attempt = 0;
    while (packet && !interrupted()) {
        StreamInput input(m_address, [this] { return interrupted(); });
        const StreamInput::Opening opening = input.open();
        if (opening == StreamInput::Opening::Refused) {
            status = ExitStatus::BadArgument;
            message = QStringLiteral("录音来源 \"%1\" 不能录制: %2").arg(m_address, input.errorString());
            break;
        }
        if (opening == StreamInput::Opening::Failed) {
            lastError = input.errorString();
            backOff(attempt++);
            continue;
        }
        if (!m_copier && !m_encoder && !openSink(input.stream()->codecpar)) {
            status = ExitStatus::WriteFailed;
            break;
        }
        bool flowed = false;
        bool written = true;
        while (written && input.read(packet.get())) {
            if (!flowed) {
                flowed = true;
                attempt = 0;
                m_station = input.station();
                emit stationChanged(m_station);
            }
            written = take(packet.get(), *input.stream());
            av_packet_unref(packet.get());
            if (m_station.title != input.station().title) {
                m_station = input.station();
                emit stationChanged(m_station);
            }
        }
        if (!written) {
            status = ExitStatus::WriteFailed;
            break;
        }
        if (interrupted())
            break;
        lastError = input.errorString();
        if (flowed) {
            ++m_drops;
            m_outageStart = m_lastPacket;
            emit lossChanged(m_drops, std::chrono::duration_cast<std::chrono::seconds>(m_lost).count());
            emit notice(QStringLiteral("网络中断，正在重新连接: %1").arg(lastError));
        }
        backOff(attempt++);
    }
    endOutage(std::min(Clock::now(), m_deadline));

    const bool recorded = m_copier || m_encoder;
    if (!recorded && status == ExitStatus::Recorded) {
        status = ExitStatus::NoSoundServer;
        message = QStringLiteral("网络电台 \"%1\" 没有应答: %2").arg(m_address, lastError.isEmpty() ? QStringLiteral("已停止") : lastError);
    }
    if (recorded && !finishSink() && status == ExitStatus::Recorded)
        status = ExitStatus::WriteFailed;
    if (status == ExitStatus::WriteFailed)
        message = m_sinkError;
    else if (status == ExitStatus::Recorded)
        message = summary();
    if (!recorded) {
        // Nothing came, so nothing is kept: not even an empty file.
        m_file.reset();
        QFile::remove(m_path);
    }
    emit ended(status, message);
}

void StreamThread::backOff(int attempt)
{
    const auto delay = std::min<Clock::duration>(longestRetry, firstRetry * (1 << std::min(attempt, 4)));
    const auto until = std::min(Clock::now() + delay, m_deadline);
    std::unique_lock lock(m_waitMutex);
    while (!m_stopRequested && Clock::now() < until) {
        m_wake.wait_until(lock, std::min(until, Clock::now() + progressInterval));
        tellProgress(true);
    }
}

bool StreamThread::openSink(const AVCodecParameters *parameters)
{
    if (m_kind == AudioFileKind::Mp3 && parameters->codec_id == AV_CODEC_ID_MP3 && parameters->sample_rate > 0) {
        m_copier = std::make_unique<PacketCopier>(std::move(m_file));
        if (m_copier->open(parameters))
            return true;
        m_sinkError = QStringLiteral("无法写入 \"%1\": %2").arg(m_path, m_copier->errorString());
        return false;
    }
    if (!m_decoder.open(parameters)) {
        m_sinkError = m_decoder.errorString();
        return false;
    }
    m_encoder = std::make_unique<AudioEncoder>(std::move(m_file), m_kind);
    if (m_encoder->open())
        return true;
    m_sinkError = QStringLiteral("无法写入 \"%1\": %2").arg(m_path, m_encoder->errorString());
    return false;
}

bool StreamThread::take(AVPacket *packet, const AVStream &stream)
{
    m_lastPacket = Clock::now();
    endOutage(m_lastPacket);
    const qint64 behind = clockFrames() - m_mediaFrames;
    if (behind > gapFrames && !fillSilence(behind))
        return false;
    bool written = true;
    if (m_copier) {
        const int streamRate = stream.codecpar->sample_rate;
        qint64 duration = av_rescale_q(packet->duration, stream.time_base, {1, streamRate});
        if (duration <= 0)
            duration = stream.codecpar->frame_size > 0 ? stream.codecpar->frame_size : 1152;
        written = m_copier->write(packet, m_streamPosition);
        m_streamPosition += duration;
        m_mediaFrames += av_rescale(duration, rate, streamRate);
        m_sinceCheckpoint += av_rescale(duration, rate, streamRate);
    } else {
        written = m_decoder.decode(packet, [this](const qint16 *samples, int frames) { return writeSamples(samples, frames); });
    }
    if (!written) {
        m_sinkError = m_copier ? m_copier->errorString() : m_encoder->errorString();
        if (m_sinkError.isEmpty())
            m_sinkError = m_decoder.errorString();
        return false;
    }
    if (m_sinceCheckpoint >= checkpointFrames) {
        m_sinceCheckpoint = 0;
        if (!(m_copier ? m_copier->checkpoint() : m_encoder->checkpoint())) {
            m_sinkError = m_copier ? m_copier->errorString() : m_encoder->errorString();
            return false;
        }
    }
    tellProgress(false);
    return true;
}

bool StreamThread::writeSamples(const qint16 *samples, int frames)
{
    // The planned length is all the file takes.
    const int kept = int(std::clamp<qint64>(m_totalFrames - m_mediaFrames, 0, frames));
    if (kept == 0)
        return true;
    m_peakDecibels = std::max(m_peakDecibels, SampleLevel::peakDecibels(samples, qsizetype(kept) * PulseCapture::Channels));
    m_mediaFrames += kept;
    m_sinceCheckpoint += kept;
    return m_encoder->write(samples, kept);
}

bool StreamThread::fillSilence(qint64 frames)
{
    if (m_copier) {
        // A copied file records what came; its place moves on all the same.
        m_mediaFrames += frames;
        return true;
    }
    const std::vector<qint16> silence(size_t(PulseCapture::FragmentFrames) * PulseCapture::Channels, 0);
    for (qint64 left = std::min(frames, m_totalFrames - m_mediaFrames); left > 0; left -= PulseCapture::FragmentFrames) {
        const int chunk = int(std::min<qint64>(left, PulseCapture::FragmentFrames));
        m_mediaFrames += chunk;
        m_sinceCheckpoint += chunk;
        if (!m_encoder->write(silence.data(), chunk))
            return false;
    }
    return true;
}

bool StreamThread::finishSink()
{
    if (m_copier) {
        if (m_copier->finish())
            return true;
        m_sinkError = m_copier->errorString();
        return false;
    }
    // The converted file lasts as long as the recording did by the clock.
    const bool filled = fillSilence(std::min(clockFrames(), m_totalFrames) - m_mediaFrames);
    if (m_encoder->finish() && filled)
        return true;
    m_sinkError = m_encoder->errorString();
    return false;
}

qint64 StreamThread::clockFrames() const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::min(Clock::now(), m_deadline) - m_start);
    return elapsed.count() * rate / 1000000;
}

void StreamThread::tellProgress(bool now)
{
    const Clock::time_point at = Clock::now();
    if (!now && at - m_lastProgress < progressInterval)
        return;
    m_lastProgress = at;
    emit progress(clockFrames(), m_peakDecibels);
    m_peakDecibels = -std::numeric_limits<double>::infinity();
}

void StreamThread::endOutage(Clock::time_point at)
{
    if (!m_outageStart)
        return;
    // The stream's own start-up latency is no loss.
    if (at - *m_outageStart > std::chrono::microseconds(gapFrames * 1000000 / rate)) {
        m_lost += at - *m_outageStart;
        emit lossChanged(m_drops, std::chrono::duration_cast<std::chrono::seconds>(m_lost).count());
    }
    m_outageStart.reset();
}

QString StreamThread::summary() const
{
    const qint64 lost = std::chrono::duration_cast<std::chrono::milliseconds>(m_lost).count();
    if (m_drops == 0 && lost < 500)
        return {};
    return QStringLiteral("录音完成: 网络中断 %1 次, 共丢失 %2 秒").arg(m_drops).arg((lost + 500) / 1000);
}
