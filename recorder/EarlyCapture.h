#pragma once

#include "PulseRecordStream.h"

#include <string>

// The sound server's stream, opened before Qt and the recorder's other libraries are loaded, so that
// a recording begins in the second it was due. Plain C++ and libpulse only: the rest of the recorder
// checks the source against its arguments and settings, and takes the stream over or opens another.
struct EarlyCapture
{
    // Opens the stream for the task's own source, or else for the remembered pick; nothing for a
    // stream's address, or for a pick that only Qt's settings reader can read.
    static EarlyCapture open(int argc, char *argv[]);

    bool attempted = false;
    // The source asked for, empty for the server's default.
    std::string requested;
    // The server has no source of that name, so the stream records from the default one.
    bool requestedMissing = false;
    PulseRecordStream::Pointer stream;
    int error = 0;
};
