#include "PulseRecordStream.h"

#include <cstdint>

#include <pulse/def.h>
#include <pulse/simple.h>

void PulseRecordStream::Free::operator()(pa_simple *stream) const
{
    pa_simple_free(stream);
}

PulseRecordStream::Pointer PulseRecordStream::open(const char *sourceName, int &error)
{
    const pa_sample_spec format{PA_SAMPLE_S16LE, SampleRate, Channels};
    pa_buffer_attr buffering{};
    buffering.maxlength = uint32_t(-1);
    buffering.tlength = uint32_t(-1);
    buffering.prebuf = uint32_t(-1);
    buffering.minreq = uint32_t(-1);
    buffering.fragsize = uint32_t(FragmentFrames * Channels * sizeof(int16_t));
    error = 0;
    return Pointer(pa_simple_new(nullptr, "Quillsound", PA_STREAM_RECORD, sourceName, "录音", &format, nullptr,
                                 &buffering, &error));
}

PulseRecordStream::Pointer PulseRecordStream::openOrDefault(const char *sourceName, int &error, bool &fellBack)
{
    Pointer stream = open(sourceName, error);
    fellBack = !stream && error == PA_ERR_NOENTITY && sourceName;
    return fellBack ? open(nullptr, error) : std::move(stream);
}
