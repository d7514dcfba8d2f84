#pragma once

#include "OutputFile.h"

// A new file on the disk, written without a buffer of its own so that sync() covers every write.
class SyncedFile : public OutputFile
{
public:
    enum class Creation { Created, AlreadyThere, Failed };

    SyncedFile() = default;
    ~SyncedFile() override;
    SyncedFile(const SyncedFile &) = delete;
    SyncedFile &operator=(const SyncedFile &) = delete;

    // Creates the file for reading and writing; never opens one that is already there.
    Creation create(const QString &path);

    bool write(const char *data, qint64 size) override;
    bool seek(qint64 position) override;
    qint64 position() const override;
    qint64 size() const override;
    bool writeAt(qint64 position, const QByteArray &data) override;
    QByteArray readAt(qint64 position, qint64 size) const override;
    bool sync() override;
    QString errorString() const override;

private:
    bool fail();

    int m_descriptor = -1;
    QString m_error;
};
