// Stand-in for the recorder program. Usage: recorder [--ignore-term] [--argv0=NAME] [PARAMETER]
// --ignore-term: ignores SIGTERM, as a recorder busy closing its file might.
// --argv0=NAME: runs itself again with NAME as argv[0], as Wine shows a Windows program.
// Once set up it creates "<its own folder>/received-<pid>" and waits to be ended, two minutes at
// most, so that a failed test leaves nothing running.
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    std::vector<char *> arguments(argv, argv + argc);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--ignore-term") == 0) {
            std::signal(SIGTERM, SIG_IGN);
        } else if (std::strncmp(argv[i], "--argv0=", 8) == 0) {
            arguments.erase(arguments.begin() + i);
            arguments[0] = argv[i] + 8;
            arguments.push_back(nullptr);
            execv("/proc/self/exe", arguments.data());
            return 2;
        }
    }

    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string record = length > 0 ? std::string(path, std::size_t(length)) : std::string("./recorder");
    record = record.substr(0, record.rfind('/')) + "/received-" + std::to_string(getpid());
    if (close(open(record.c_str(), O_CREAT | O_WRONLY, 0644)) != 0)
        return 3;

    alarm(120);
    for (;;)
        pause();
}
