#pragma once

#include "EarlyCapture.h"
#include "PulseCapture.h"
#include "RecorderArgument.h"
#include "SourceMemory.h"

#include <memory>

#include <QString>
#include <QStringList>

// The recorder's arguments and the capture they ask for: the stream opened early when it is from the
// right source, or else one opened now.
class CaptureStart
{
public:
    // The program's arguments without the program's own name. A stream's recording opens nothing here.
    CaptureStart(const QStringList &arguments, EarlyCapture &early);

    const RecorderArgument &argument() const { return m_argument; }
    SourceMemory &sourceMemory() { return m_sourceMemory; }
    // The source the capture records, empty for the server's default.
    QString source() const { return m_source; }
    // Set when the task's own source was gone and the default one is recorded instead.
    QString sourceNotice() const { return m_sourceNotice; }
    // Null for a stream or invalid arguments; may be one that failed to open.
    std::unique_ptr<PulseCapture> takeCapture() { return std::move(m_capture); }

private:
    RecorderArgument m_argument;
    SourceMemory m_sourceMemory;
    QString m_source;
    QString m_sourceNotice;
    std::unique_ptr<PulseCapture> m_capture;
};
