// Stands in for the program around SingleInstance and prints what happens, so a test can follow it.
// Usage: probe IDENTITY_PATH [--wait], which never accepts raise requests, as if its window were still to come.

#include <cstdio>

#include <QCoreApplication>
#include <QTimer>

#include "SingleInstance.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const auto say = [](const char *word) {
        std::printf("%s\n", word);
        std::fflush(stdout);
    };
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    SingleInstance instance(arguments.at(1));
    if (!instance.claim()) {
        say("refused");
        return 0;
    }
    say("first");
    QObject::connect(&instance, &SingleInstance::raiseRequested, [&say] { say("raised"); });
    if (arguments.contains(QStringLiteral("--wait")))
        return app.exec();

    instance.acceptRaiseRequests();
    // Listening may succeed only later, once another copy gives up the name, so watch for it.
    QTimer listenWatch;
    QObject::connect(&listenWatch, &QTimer::timeout, [&] {
        if (instance.isListening()) {
            listenWatch.stop();
            say("listening");
        }
    });
    listenWatch.start(50);
    return app.exec();
}
