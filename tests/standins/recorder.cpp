// Stand-in for the recorder program. Usage: recorder [--ignore-term] [--argv0=NAME] [PARAMETER]
// --ignore-term: ignores SIGTERM, as a recorder busy closing its file might.
// --argv0=NAME: runs itself again with NAME as argv[0], as Wine shows a Windows program.
// Once set up it writes PARAMETER to "<its own folder>/received-<pid>" and waits to be ended,
// two minutes at most, so that a failed test leaves nothing running.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::string ownFolder()
{
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return ".";
    std::string result(path, std::size_t(length));
    return result.substr(0, result.rfind('/'));
}

} // namespace

int main(int argc, char *argv[])
{
    bool ignoreTerm = false;
    const char *argv0 = nullptr;
    std::string parameter;
    std::vector<char *> rest{nullptr};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ignore-term") == 0) {
            ignoreTerm = true;
            rest.push_back(argv[i]);
        } else if (std::strncmp(argv[i], "--argv0=", 8) == 0) {
            argv0 = argv[i] + 8;
        } else {
            parameter = argv[i];
            rest.push_back(argv[i]);
        }
    }

    if (argv0) {
        rest[0] = const_cast<char *>(argv0);
        rest.push_back(nullptr);
        execv("/proc/self/exe", rest.data());
        return 2;
    }

    if (ignoreTerm)
        std::signal(SIGTERM, SIG_IGN);

    const std::string record = ownFolder() + "/received-" + std::to_string(getpid());
    const std::string partial = record + ".part";
    FILE *file = std::fopen(partial.c_str(), "w");
    if (!file)
        return 3;
    std::fputs(parameter.c_str(), file);
    std::fclose(file);
    // Renamed into place so that a reader never sees half a record.
    std::rename(partial.c_str(), record.c_str());

    alarm(120);
    for (;;)
        pause();
}
