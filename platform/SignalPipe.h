#pragma once

// Turns SIGTERM, SIGINT and SIGHUP into bytes on a socket pair (the self-pipe pattern), and ignores
// SIGXFSZ and SIGPIPE, so that a file size limit or a client that hung up make a write fail instead
// of ending the program. Plain C++, so that a program can set it up before Qt is loaded.
namespace SignalPipe {

// Sets the handlers up for the whole process, first thing, before any other thread exists.
// A signal that comes before anyone reads waits in the pipe. False when that is not possible.
bool install();

// The end to read the signals' numbers from, one byte each (non-blocking); -1 before install().
int readEnd();

} // namespace SignalPipe
