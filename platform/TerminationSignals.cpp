#include "TerminationSignals.h"

#include "SignalPipe.h"

#include <unistd.h>

#include <QSocketNotifier>

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (SignalPipe::readEnd() < 0)
        return;
    m_notifier = new QSocketNotifier(qintptr(SignalPipe::readEnd()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
}

void TerminationSignals::readSignal()
{
    char byte = 0;
    while (::read(SignalPipe::readEnd(), &byte, 1) == 1)
        emit received(int(byte));
}
