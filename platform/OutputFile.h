#pragma once

#include <QByteArray>
#include <QString>

// The file a recording goes into, behind an interface so that tests can make its writes fail.
// Every call returns false on failure, and errorString() then says why.
class OutputFile
{
public:
    virtual ~OutputFile() = default;

    // At the current position, which moves on.
    virtual bool write(const char *data, qint64 size) = 0;
    virtual bool seek(qint64 position) = 0;
    virtual qint64 position() const = 0;
    virtual qint64 size() const = 0;
    // These two leave the current position where it is.
    virtual bool writeAt(qint64 position, const QByteArray &data) = 0;
    virtual QByteArray readAt(qint64 position, qint64 size) const = 0;
    // Returns once everything written so far is on the disk.
    virtual bool sync() = 0;
    virtual QString errorString() const = 0;
};
