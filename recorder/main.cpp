#include "CaptureStart.h"
#include "LibraryBesideProgram.h"
#include "RecorderProgram.h"
#include "TerminationSignals.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    // First of all: the sound server's client grows a shared memory file, which a file size limit must not end.
    TerminationSignals::install();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CaptureStart start(arguments);

    // The window and the encoders come from a library of their own, loaded once the stream above is open.
    LibraryBesideProgram rest(QStringLiteral("libquillsnd.so"));
    const auto record = reinterpret_cast<decltype(&quillsndRecord)>(rest.resolve("quillsndRecord"));
    if (!record) {
        std::fprintf(stderr, "quillsnd.exe: %s\n", qPrintable(rest.errorString()));
        return EXIT_FAILURE;
    }
    return record(argc, argv, start);
}
