#pragma once

#include <QString>

// What ffprobe says of a recorded file, and what sox measures in it once FFmpeg has decoded it to
// mono (a stereo tone misreads): how much of it plays, how loud it is and its rough frequency.
struct RecordingCheck
{
    static RecordingCheck of(const QString &path);

    // The 440 Hz tone of PrivatePulseServer, clearly above silence.
    bool holdsTheTone() const { return rms > 0.1 && frequency > 430 && frequency < 450; }
    QString describe() const;

    QString format;
    QString codec;
    qint64 bitRate = 0;
    double probedSeconds = 0;
    double playableSeconds = 0;
    double rms = 0;
    double frequency = 0;
};
