// Plays silence into the default sink, and a 440 Hz tone for two seconds from each wall-clock time
// given (seconds since 1970, fractions allowed), placed by the stream's own latency so that the
// tone's first sample is heard at that time within a few milliseconds. Ends after the last tone.
// Usage: tone_at TIME...
#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int rate = 48000;
constexpr int chunkFrames = rate / 200;
constexpr double toneSeconds = 2.0;

double wallClock()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<double> starts;
    for (int i = 1; i < argc; ++i)
        starts.push_back(std::strtod(argv[i], nullptr));
    if (starts.empty())
        return 2;
    const pa_sample_spec format{PA_SAMPLE_S16LE, rate, 2};
    pa_buffer_attr buffering{};
    buffering.maxlength = uint32_t(-1);
    buffering.tlength = uint32_t(rate / 50 * 4);
    buffering.prebuf = uint32_t(-1);
    buffering.minreq = uint32_t(-1);
    buffering.fragsize = uint32_t(-1);
    int error = 0;
    pa_simple *stream = pa_simple_new(nullptr, "tone_at", PA_STREAM_PLAYBACK, nullptr, "tone", &format, nullptr,
                                      &buffering, &error);
    if (!stream) {
        std::fprintf(stderr, "tone_at: %s\n", pa_strerror(error));
        return 1;
    }
    const double end = *std::max_element(starts.begin(), starts.end()) + toneSeconds + 0.5;
    std::vector<short> chunk(size_t(chunkFrames) * 2);
    for (;;) {
        const pa_usec_t latency = pa_simple_get_latency(stream, &error);
        const double heardAt = wallClock() + double(latency) / 1e6;
        if (heardAt > end)
            break;
        for (int frame = 0; frame < chunkFrames; ++frame) {
            const double at = heardAt + double(frame) / rate;
            short sample = 0;
            for (const double start : starts) {
                if (at >= start && at < start + toneSeconds)
                    sample = short(16000 * std::sin(2 * M_PI * 440 * (at - start)));
            }
            chunk[size_t(frame) * 2] = chunk[size_t(frame) * 2 + 1] = sample;
        }
        if (pa_simple_write(stream, chunk.data(), chunk.size() * sizeof(short), &error) < 0)
            break;
    }
    pa_simple_drain(stream, &error);
    pa_simple_free(stream);
    return 0;
}
