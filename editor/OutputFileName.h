#pragma once

#include <QString>

// The extension rule of the format buttons: only the file-name part, after the last '/' or '\',
// is looked at, so a dotted directory name is never taken for an extension.
class OutputFileName
{
public:
    // The path with its extension replaced, or with "." and the extension appended when the
    // file name has none. An empty text, or a path that ends in a separator, comes back unchanged.
    static QString withExtension(const QString &path, const QString &extension);
};
