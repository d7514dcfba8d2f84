#pragma once

#include <QString>

// Ends the recorder before a new one starts.
class ProcessTerminator
{
public:
    virtual ~ProcessTerminator() = default;

    // Ends every process whose program file name ends with name, ignoring case.
    // Returns at once; a process that outlives the polite request is forced later.
    virtual void endProcessesNamed(const QString &name) = 0;
};
