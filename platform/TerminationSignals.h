#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an ordinary Qt signal by the self-pipe pattern: the handler
// only writes the signal's number into a socket pair whose other end a QSocketNotifier watches.
// SIGXFSZ and SIGPIPE are ignored, so that a file size limit or a client that hung up make a write
// fail instead of ending the program.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Sets the handlers up for the whole process, first thing, before any other thread exists.
    // A signal that comes before an object watches waits for it. False when that is not possible.
    static bool install();

    // Watches for the signals; needs the application's event loop.
    explicit TerminationSignals(QObject *parent = nullptr);

signals:
    void received(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
