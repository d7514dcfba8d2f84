#pragma once

#include <QString>

// Whether a file of the given path is already there, before a recording would overwrite it.
class FileExistence
{
public:
    // Ordinary files only: a directory does not count, and any failure of the test means absent.
    // The path is taken as it is, not as a name pattern; a hidden file counts like any other.
    static bool FileExists(const QString &fileName);
};
