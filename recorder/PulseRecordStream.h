#pragma once

#include <memory>

struct pa_simple;

// A record stream from one source of the sound server (PulseAudio, or PipeWire's pulse server) through
// its simple, blocking interface: 48 kHz stereo 16-bit, handed over in fragments of 50 ms. Plain C++,
// so that the recorder can open it before Qt is loaded.
namespace PulseRecordStream {

constexpr int SampleRate = 48000;
constexpr int Channels = 2;
constexpr int FragmentFrames = SampleRate / 20;

struct Free
{
    void operator()(pa_simple *stream) const;
};
using Pointer = std::unique_ptr<pa_simple, Free>;

// Starts recording from the named source at once, or from the server's default one for null;
// null, with the server's error code in error, when that fails.
Pointer open(const char *sourceName, int &error);
// The same, but from the default source when the server has none of that name; fellBack tells which.
Pointer openOrDefault(const char *sourceName, int &error, bool &fellBack);

} // namespace PulseRecordStream
