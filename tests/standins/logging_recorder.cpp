// Stand-in for the recorder that the real program starts. Before anything else it ignores SIGTERM,
// so that the next task's start cannot end it before it has written its line: "<wall-clock
// seconds>\t<argument count>\t<first argument>" appended to recorder.log beside itself.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

int main(int argc, char *argv[])
{
    std::signal(SIGTERM, SIG_IGN);
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    char log[4096];
    const char *slash = std::strrchr(argv[0], '/');
    const int folder = slash ? int(slash - argv[0] + 1) : 0;
    std::snprintf(log, sizeof log, "%.*srecorder.log", folder, argv[0]);
    if (FILE *file = std::fopen(log, "a")) {
        std::fprintf(file, "%lld.%09ld\t%d\t%s\n", static_cast<long long>(now.tv_sec), now.tv_nsec, argc - 1,
                     argc > 1 ? argv[1] : "");
        std::fclose(file);
    }
    return 0;
}
