#pragma once

#include <QObject>

class QSocketNotifier;

// The signals that SignalPipe catches, as an ordinary Qt signal: a QSocketNotifier watches the pipe.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Watches for the signals once SignalPipe::install() has run; needs the application's event loop.
    explicit TerminationSignals(QObject *parent = nullptr);

signals:
    void received(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
