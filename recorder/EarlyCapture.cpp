#include "EarlyCapture.h"

#include "UserConfigFolder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <optional>


namespace {

bool isPlainNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("._-:", c);
}

// The source picked last, as the recorder's settings hold it (none: the default). Only a name as plain
// as the sound server's own; anything else is left to Qt's settings reader.
std::optional<std::string> rememberedSource()
{
    const std::string folder = userConfigFolder();
    if (folder.empty())
        return std::nullopt;
    std::ifstream settings(folder + "/QuillScheduler/Quillsound.conf");
    const std::string key = "source=";
    bool inCapture = false;
    std::string line;
    while (std::getline(settings, line)) {
        if (line.starts_with('[')) {
            inCapture = line == "[capture]";
            continue;
        }
        if (!inCapture || !line.starts_with(key))
            continue;
        const std::string value = line.substr(key.size());
        if (!std::all_of(value.begin(), value.end(), isPlainNameCharacter))
            return std::nullopt;
        return value;
    }
    return std::string();
}

} // namespace

EarlyCapture EarlyCapture::open(int argc, char *argv[])
{
    EarlyCapture capture;
    const char *sourceMark = "/s&";
    if (argc == 3 && std::strncmp(argv[2], sourceMark, std::strlen(sourceMark)) == 0) {
        // A stream's address, a path or another protocol is not a sound server's source.
        capture.requested = argv[2] + std::strlen(sourceMark);
        if (capture.requested.find('/') != std::string::npos)
            return capture;
    } else if (argc == 2) {
        const std::optional<std::string> remembered = rememberedSource();
        if (!remembered)
            return capture;
        capture.requested = *remembered;
    } else {
        return capture;
    }
    capture.attempted = true;
    capture.stream = PulseRecordStream::openOrDefault(capture.requested.empty() ? nullptr : capture.requested.c_str(),
                                                      capture.error, capture.requestedMissing);
    return capture;
}
