#pragma once

#include <QString>

#include <functional>

// Ends the recorder before a new one starts.
class ProcessTerminator
{
public:
    virtual ~ProcessTerminator() = default;

    // Ends every process whose program file name ends with name, ignoring case, and calls allEnded
    // once all of them have exited: at once when there are none, else from the event loop. A
    // process that outlives the polite request is forced; the call itself never waits.
    virtual void endProcessesNamed(const QString &name, std::function<void()> allEnded) = 0;
};
