#pragma once

#include <QString>

// Whether a recording can be written where it is to go: its folder exists, can be written, and has
// room for the whole recording at its format's rate.
namespace OutputFolderCheck {

// Bytes a second of the recorder's output in the file's format (by its extension).
qint64 bytesPerSecond(const QString &filename);
// What the user has to fix, in a sentence; empty when the recording fits.
QString problem(const QString &filename, qint64 seconds);

} // namespace OutputFolderCheck
