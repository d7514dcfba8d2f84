// Stand-in recorder: appends "<wall-clock seconds> <its argument>" to starts.log beside itself.
// When a file "linger" lies beside it, it then runs on until it is ended, as a recording does.
#include <cstdio>
#include <ctime>
#include <string>

#include <unistd.h>

int main(int argc, char *argv[])
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::string self = argv[0];
    const std::string folder = self.substr(0, self.find_last_of('/') + 1);
    const std::string log = folder + "starts.log";
    if (FILE *file = std::fopen(log.c_str(), "a")) {
        std::fprintf(file, "%lld.%09ld %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec,
                     argc > 1 ? argv[1] : "");
        std::fclose(file);
    }
    if (access((folder + "linger").c_str(), F_OK) == 0)
        pause();
    return 0;
}
