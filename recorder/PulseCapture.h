#pragma once

#include "PulseRecordStream.h"

#include <memory>

#include <QString>

// A record stream from one source of the sound server, with the server's errors told in words.
class PulseCapture
{
public:
    static constexpr int SampleRate = PulseRecordStream::SampleRate;
    static constexpr int Channels = PulseRecordStream::Channels;
    static constexpr int FragmentFrames = PulseRecordStream::FragmentFrames;

    // Starts recording from the named source at once, or from the server's default one.
    explicit PulseCapture(const QString &sourceName);
    // Takes over a stream opened earlier; null with the server's error code when that failed.
    PulseCapture(PulseRecordStream::Pointer stream, int error, bool fellBack = false);
    // From the named source, or from the default one when the server has none of that name.
    static std::unique_ptr<PulseCapture> openOrDefault(const QString &sourceName);
    // What the user is told when the source a recording asked for was gone.
    static QString fallbackNotice(const QString &sourceName);

    bool isOpen() const { return m_stream != nullptr; }
    // The source asked for was gone, so this records the default one.
    bool fellBack() const { return m_fellBack; }
    // Blocks until that many frames have come; false when the stream broke.
    bool read(qint16 *samples, int frames);
    QString errorString() const { return m_error; }

private:
    void noteFailure(int error);

    PulseRecordStream::Pointer m_stream;
    bool m_fellBack = false;
    QString m_error;
};
