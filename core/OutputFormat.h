#pragma once

#include <cstdint>

// The file type that the editor's file dialog offers first: 1 WAV, 2 MP3, 3 WMA.
// One value for the whole process; start-up sets it to MP3.
extern std::int16_t OutputFormatIndex;
