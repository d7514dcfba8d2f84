#pragma once

// What the recorder's exit status tells whoever started it.
enum class ExitStatus {
    Recorded = 0,
    BadArgument = 2,
    NoSoundServer = 3,
    WriteFailed = 4,
};
