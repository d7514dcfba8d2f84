#include "SyncedFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

SyncedFile::~SyncedFile()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

SyncedFile::Creation SyncedFile::create(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    m_descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_descriptor >= 0)
        return Creation::Created;
    const int error = errno;
    fail();
    return error == EEXIST ? Creation::AlreadyThere : Creation::Failed;
}

bool SyncedFile::write(const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_descriptor, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = ENOSPC; // nothing written and no reason given: the disk is full
        if (written <= 0)
            return fail();
        data += written;
        size -= written;
    }
    return true;
}

bool SyncedFile::seek(qint64 position)
{
    return ::lseek(m_descriptor, off_t(position), SEEK_SET) == off_t(position) || fail();
}

qint64 SyncedFile::position() const
{
    return qint64(::lseek(m_descriptor, 0, SEEK_CUR));
}

qint64 SyncedFile::size() const
{
    struct stat status {};
    return ::fstat(m_descriptor, &status) == 0 ? qint64(status.st_size) : -1;
}

bool SyncedFile::writeAt(qint64 position, const QByteArray &data)
{
    return ::pwrite(m_descriptor, data.constData(), size_t(data.size()), off_t(position)) == data.size() || fail();
}

QByteArray SyncedFile::readAt(qint64 position, qint64 size) const
{
    QByteArray data(size, Qt::Uninitialized);
    const ssize_t count = ::pread(m_descriptor, data.data(), size_t(size), off_t(position));
    data.resize(count > 0 ? qsizetype(count) : 0);
    return data;
}

bool SyncedFile::sync()
{
    return ::fsync(m_descriptor) == 0 || fail();
}

QString SyncedFile::errorString() const
{
    return m_error;
}

bool SyncedFile::fail()
{
    m_error = qt_error_string(errno);
    return false;
}
