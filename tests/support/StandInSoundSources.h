#pragma once

#include "SoundSourceList.h"

// Stands in for the sound server: an input and the monitor of an output, listed at once; counts the askings.
class StandInSoundSources : public SoundSourceList
{
public:
    QList<SoundSource> sources{{"alsa_input.pci-0000_00_1b.0.analog-stereo", "Built-in Audio Analog Stereo", false},
                               {"testsink.monitor", "Test sink", true}};
    int fetches = 0;

    void fetch(QObject *, Answer answer) override { ++fetches, answer(sources, sources.first().name); }
};
