#include "TestAppDir.h"

#include "EmptyStore.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>
#include <QVariant>

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

QVariant textOrNull(const QString &text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

} // namespace

TestAppDir::TestAppDir()
{
    if (m_dir.isValid())
        m_storeMade = EmptyStore::create(storePath()) == EmptyStore::Result::Created;
}

TestAppDir::~TestAppDir() = default;

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
    withStore(storePath(), [&row](QSqlDatabase &db) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral(
            "INSERT INTO AddSchTab (StartDate, StartTime, Program, Filename, Parameter, RecordLength) "
            "VALUES (:date, :time, :program, :filename, :parameter, :length)"));
        query.bindValue(QStringLiteral(":date"), textOrNull(row.startDate));
        query.bindValue(QStringLiteral(":time"), textOrNull(row.startTime));
        query.bindValue(QStringLiteral(":program"), textOrNull(row.program));
        query.bindValue(QStringLiteral(":filename"), textOrNull(row.filename));
        query.bindValue(QStringLiteral(":parameter"), textOrNull(row.parameter));
        query.bindValue(QStringLiteral(":length"), textOrNull(row.recordLength));
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
        QSqlQuery query(QStringLiteral("SELECT StartDate, StartTime, Program, Filename, Parameter, RecordLength "
                                       "FROM AddSchTab ORDER BY StartDate, StartTime, rowid"),
                        db);
        while (query.next()) {
            QStringList fields;
            for (int column = 0; column < 6; ++column) {
                const QVariant value = query.value(column);
                fields << (value.isNull() ? QStringLiteral("<null>") : value.toString());
            }
            result << fields;
        }
    });
    return result;
}

int TestAppDir::rowCount() const
{
    return int(rows().size());
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
    script.write("#!/bin/sh\n"
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
