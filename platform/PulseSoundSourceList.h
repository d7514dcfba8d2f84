#pragma once

#include "SoundSourceList.h"

// Asks PulseAudio (or PipeWire's server for it) on a worker thread, so that no window waits for the server.
class PulseSoundSourceList : public SoundSourceList
{
public:
    void fetch(QObject *receiver, Answer answer) override;

private:
    struct Listing
    {
        QList<SoundSource> sources;
        QString defaultSource;
        // The server's own details and the list of sources.
        int repliesDue = 2;
    };
    static Listing ask();
};
