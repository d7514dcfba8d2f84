// Stands in for the program around SingleInstance and prints what happens, so a test can follow it.
// Usage: probe IDENTITY_PATH [--wait]
// With --wait it accepts raise requests only once "listen" arrives on stdin, as if its main
// window took that long to appear.

#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include "SingleInstance.h"

namespace {

void say(const char *word)
{
    std::printf("%s\n", word);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: probe IDENTITY_PATH [--wait]\n");
        return 2;
    }
    const bool waitForCommand = arguments.contains(QStringLiteral("--wait"));

    SingleInstance instance(arguments.at(1));
    if (!instance.claim()) {
        say("refused");
        return 0;
    }
    say("first");
    QObject::connect(&instance, &SingleInstance::raiseRequested, [] { say("raised"); });

    // Listening may succeed only later, once another copy gives up the name, so watch for it.
    QTimer listenWatch;
    listenWatch.setInterval(50);
    QObject::connect(&listenWatch, &QTimer::timeout, [&instance, &listenWatch] {
        if (instance.isListening()) {
            listenWatch.stop();
            say("listening");
        }
    });
    const auto startListening = [&instance, &listenWatch] {
        instance.acceptRaiseRequests();
        listenWatch.start();
    };

    QFile input;
    input.open(fileno(stdin), QIODevice::ReadOnly | QIODevice::Unbuffered);
    QSocketNotifier commands(input.handle(), QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        const QByteArray line = input.readLine();
        if (line.isEmpty())
            commands.setEnabled(false);
        else if (line.trimmed() == "listen")
            startListening();
    });

    if (!waitForCommand)
        startListening();
    return app.exec();
}
