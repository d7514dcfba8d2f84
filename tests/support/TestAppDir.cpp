#include "TestAppDir.h"

#include "EmptyStore.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>
#include <QVariant>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// One short-lived connection per call, so that nothing is held open while the code under test works.
template<typename Work>
void withStore(const QString &path, Work work)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("test store cannot be opened: %s", qPrintable(db.lastError().text()));
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

TestAppDir::TestAppDir()
{
    if (m_dir.isValid())
        m_storeMade = EmptyStore::create(storePath()) == EmptyStore::Result::Created;
}

// Root writes to any file whatever its mode bits; only the immutable flag stops it.
static bool setImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

TestAppDir::~TestAppDir()
{
    if (m_storeImmutable)
        setImmutable(storePath(), false);
    if (m_folderLocked && !setImmutable(path(), false))
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool TestAppDir::damageStore(Damage damage)
{
    switch (damage) {
    case Damage::Missing:
        return QFile::remove(storePath());
    case Damage::NoTable:
        exec(QStringLiteral("DROP TABLE AddSchTab"));
        return true;
    case Damage::ReadOnly:
        if (!QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther))
            return false;
        if (::geteuid() == 0)
            m_storeImmutable = setImmutable(storePath(), true);
        return ::geteuid() != 0 || m_storeImmutable;
    case Damage::FolderReadOnly:
        // The store itself stays writable; only no journal can be made beside it.
        if (::geteuid() == 0)
            return m_folderLocked = setImmutable(path(), true);
        return m_folderLocked = QFile::setPermissions(path(), QFile::ReadOwner | QFile::ExeOwner);
    case Damage::Empty:
    case Damage::Truncated:
    case Damage::RandomBytes:
        break;
    }

    QByteArray content;
    if (damage == Damage::Truncated) {
        for (int i = 0; i < 200; ++i)
            insert({QStringLiteral("2026-12-24"), QStringLiteral("06:00:00"), QString(400, QLatin1Char('x')),
                    QStringLiteral("/rec/x.mp3"), QStringLiteral("60"), QStringLiteral("length")});
        content = storeBytes();
        content.truncate(content.size() / 3);
    } else if (damage == Damage::RandomBytes) {
        content.resize(16384);
        QRandomGenerator generator(20261207);
        for (char &byte : content)
            byte = char(generator.bounded(256));
    }
    QFile file(storePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

QByteArray TestAppDir::storeBytes() const
{
    QFile file(storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestAppDir::isValid() const
{
    return m_dir.isValid() && m_storeMade;
}

QString TestAppDir::path() const
{
    return m_dir.path();
}

QString TestAppDir::storePath() const
{
    return m_dir.filePath(QStringLiteral("AddSchedule.mdb"));
}

void TestAppDir::insert(const Row &row) const
{
    const QString values[] = {row.startDate, row.startTime, row.program, row.filename, row.parameter, row.recordLength};
    withStore(storePath(), [&values](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO AddSchTab VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QString &value : values)
            query.addBindValue(value.isNull() ? QVariant() : QVariant(value));
        if (!query.exec())
            qFatal("test row cannot be inserted: %s", qPrintable(query.lastError().text()));
    });
}

void TestAppDir::exec(const QString &sql) const
{
    withStore(storePath(), [&sql](QSqlDatabase &db) {
        QSqlQuery query(db);
        if (!query.exec(sql))
            qFatal("test statement failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    });
}

QList<QStringList> TestAppDir::rows() const
{
    QList<QStringList> result;
    withStore(storePath(), [&result](QSqlDatabase &db) {
        QSqlQuery query(QStringLiteral("SELECT * FROM AddSchTab ORDER BY StartDate, StartTime, rowid"), db);
        while (query.next()) {
            QStringList fields;
            for (int column = 0; column < 6; ++column)
                fields << (query.isNull(column) ? QStringLiteral("<null>") : query.value(column).toString());
            result << fields;
        }
    });
    return result;
}

int TestAppDir::rowCount() const
{
    return int(rows().size());
}

QString TestAppDir::queryText(const QString &sql) const
{
    QString text;
    withStore(storePath(), [&sql, &text](QSqlDatabase &db) {
        QSqlQuery query(sql, db);
        text = query.next() ? query.value(0).toString() : QString();
    });
    return text;
}

QString TestAppDir::installProgram() const
{
    const QString target = m_dir.filePath(QStringLiteral("quillscheduler"));
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(QUILL_PROGRAM_PATH), target))
        qFatal("cannot copy the program into the test directory");
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner | QFile::ExeUser);
    return target;
}

void TestAppDir::installStandInRecorder() const
{
    const QString path = m_dir.filePath(QStringLiteral("quillsnd.exe"));
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the stand-in recorder");
    // It ignores SIGTERM, so that the next task's start cannot end it before it has written its line.
    script.write("#!/bin/sh\ntrap '' TERM\n"
                 "printf '%s\\t%s\\t%s\\n' \"$(date +%s.%N)\" \"$#\" \"$1\" >> \"$(dirname \"$0\")/recorder.log\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

QList<TestAppDir::RecorderStart> TestAppDir::recorderStarts() const
{
    QList<RecorderStart> starts;
    QFile log(m_dir.filePath(QStringLiteral("recorder.log")));
    if (!log.open(QIODevice::ReadOnly))
        return starts;
    for (const QByteArray &line : log.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() == 3)
            starts.append({parts[0].toDouble(), parts[1].toInt(), QString::fromUtf8(parts[2])});
    }
    return starts;
}
