#include "EarlyCapture.h"
#include "LibraryBesideProgram.h"
#include "RecorderProgram.h"
#include "SignalPipe.h"

#include <cstdio>
#include <cstdlib>

// Plain C++ and libpulse only until the capture is open: every library loaded before it delays the first sample.
int main(int argc, char *argv[])
{
    // First of all: the sound server's client grows a shared memory file, which a file size limit must not end.
    SignalPipe::install();
    EarlyCapture early = EarlyCapture::open(argc, argv);

    // Qt, the window and the encoders come from a library of their own.
    LibraryBesideProgram rest("libquillsnd.so");
    const auto record = reinterpret_cast<decltype(&quillsndRecord)>(rest.resolve("quillsndRecord"));
    if (!record) {
        std::fprintf(stderr, "quillsnd.exe: %s\n", rest.errorString().c_str());
        return EXIT_FAILURE;
    }
    return record(argc, argv, early);
}
