// Stand-in recorder: appends "<wall-clock seconds> <its argument>" to starts.log beside itself.
#include <cstdio>
#include <ctime>
#include <string>

int main(int argc, char *argv[])
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::string self = argv[0];
    const std::string log = self.substr(0, self.find_last_of('/') + 1) + "starts.log";
    if (FILE *file = std::fopen(log.c_str(), "a")) {
        std::fprintf(file, "%lld.%09ld %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec,
                     argc > 1 ? argv[1] : "");
        std::fclose(file);
    }
    return 0;
}
