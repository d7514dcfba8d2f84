#include "SignalPipe.h"

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};

void writeSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
    errno = savedErrno;
}

bool setHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

} // namespace

bool SignalPipe::install()
{
    if (pipeEnds[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0)
        return false;
    bool installed = setHandler(SIGXFSZ, SIG_IGN) && setHandler(SIGPIPE, SIG_IGN);
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        installed = setHandler(signalNumber, writeSignal) && installed;
    return installed;
}

int SignalPipe::readEnd()
{
    return pipeEnds[1];
}
