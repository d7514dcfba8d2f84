#pragma once

#include <memory>

#include <QString>

class OutputFile;

// Creates the recording's file without ever touching one that is already there: when the path is
// taken, "NAME (2).EXT" beside it, then "(3)" and so on.
class NewOutputFile
{
public:
    explicit NewOutputFile(const QString &requestedPath);

    // Null when no file could be created; errorString() then says why.
    std::unique_ptr<OutputFile> take() { return std::move(m_file); }
    QString path() const { return m_path; }
    QString errorString() const { return m_error; }

    static QString numberedPath(const QString &path, int number);

private:
    std::unique_ptr<OutputFile> m_file;
    QString m_path;
    QString m_error;
};
