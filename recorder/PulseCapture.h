#pragma once

#include <memory>

#include <QString>

struct pa_simple;

// A record stream from one source of the sound server (PulseAudio, or PipeWire's pulse server)
// through its simple, blocking interface: 48 kHz stereo 16-bit, handed over in fragments of 50 ms.
class PulseCapture
{
public:
    static constexpr int SampleRate = 48000;
    static constexpr int Channels = 2;
    static constexpr int FragmentFrames = SampleRate / 20;

    // Starts recording from the named source at once, or from the server's default one.
    explicit PulseCapture(const QString &sourceName);
    ~PulseCapture();

    bool isOpen() const { return m_stream != nullptr; }
    // The open failed only because the server has no source of that name.
    bool sourceMissing() const { return m_sourceMissing; }
    // Blocks until that many frames have come; false when the stream broke.
    bool read(qint16 *samples, int frames);
    QString errorString() const { return m_error; }

private:
    struct FreeStream
    {
        void operator()(pa_simple *stream) const;
    };

    std::unique_ptr<pa_simple, FreeStream> m_stream;
    bool m_sourceMissing = false;
    QString m_error;
};
