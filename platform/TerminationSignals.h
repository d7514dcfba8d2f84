#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an ordinary Qt signal by the self-pipe pattern: the handler
// only writes the signal's number into a socket pair whose other end a QSocketNotifier watches.
// SIGXFSZ and SIGPIPE are ignored, so that a file size limit or a client that hung up make a write
// fail instead of ending the program. One object per process.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the socket pair or a handler cannot be set up.
    bool install();

signals:
    void received(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
