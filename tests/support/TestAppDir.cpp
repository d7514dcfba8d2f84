#include "TestAppDir.h"

#include "EmptyStore.h"

#include <QtCore>
#include <QtSql>

#include <fcntl.h>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// One short-lived connection per statement, so that nothing is held open while the code under test works.
void run(const QString &path, const QString &sql, const QVariantList &values = {}, const std::function<void(QSqlQuery &)> &read = {})
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("test store cannot be opened: %s", qPrintable(db.lastError().text()));
        QSqlQuery query(db);
        query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        // A read of a held store finds nothing; a write that fails stops the test.
        if (!query.exec() && !read)
            qFatal("test statement failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        if (read)
            read(query);
    }
    QSqlDatabase::removeDatabase(name);
}

// Root writes to any file whatever its mode bits; only the immutable flag stops it.
bool setImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

} // namespace

TestAppDir::TestAppDir()
{
    m_storeMade = m_dir.isValid() && EmptyStore::create(storePath()) == EmptyStore::Result::Created;
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
    const bool root = ::geteuid() == 0;
    QByteArray content;
    switch (damage) {
    case Damage::Missing:
        return QFile::remove(storePath());
    case Damage::ReadOnly:
        if (!QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther))
            return false;
        return !root || (m_storeImmutable = setImmutable(storePath(), true));
    case Damage::FolderReadOnly:
        // The store itself stays writable; only no journal can be made beside it.
        return m_folderLocked = root ? setImmutable(path(), true) : QFile::setPermissions(path(), QFile::ReadOwner | QFile::ExeOwner);
    case Damage::Truncated:
        // Enough pages that a cut removes some the schema points to.
        exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                            "INSERT INTO AddSchTab SELECT '2026-12-24', '06:00:00', printf('%.400c', 'x'), "
                            "'/tmp/x.mp3', '60', 'length' FROM n"));
        content = storeBytes();
        content.truncate(content.size() / 3);
        break;
    case Damage::NotAStore:
        content = QByteArray("not a store ").repeated(1400);
        break;
    }
    QFile file(storePath());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QByteArray TestAppDir::storeBytes() const
{
    QFile file(storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestAppDir::insert(const QStringList &row) const
{
    QVariantList values;
    for (const QString &value : row)
        values << (value.isNull() ? QVariant() : QVariant(value));
    run(storePath(), QStringLiteral("INSERT INTO AddSchTab VALUES (?, ?, ?, ?, ?, ?)"), values);
}

void TestAppDir::insertSeries(const QStringList &row, const QString &rule, const QString &source) const
{
    insert(row);
    run(storePath(), QStringLiteral("INSERT INTO AddSchPlan (StartDate, StartTime, Program, Filename, Parameter, "
                                    "RecordLength, Rule, Source) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {row[0], row[1], row[2], row[3], row[4], row[5], rule, source});
}

QStringList TestAppDir::plans(bool withSource) const
{
    QStringList result;
    const QString source = withSource ? QStringLiteral(" || '|' || IFNULL(Source, '<null>')") : QString();
    run(storePath(), QStringLiteral("SELECT StartDate || ' ' || StartTime || ' ' || Rule%1 FROM AddSchPlan ORDER BY Id").arg(source), {},
        [&result](QSqlQuery &query) {
            while (query.next())
                result << query.value(0).toString();
        });
    return result;
}

void TestAppDir::insertTasks(const QStringList &tasks) const
{
    for (const QString &task : tasks)
        insert(taskFields(task));
}

QStringList TestAppDir::taskFields(const QString &task)
{
    const QString day = task.section(u' ', 0, 0), title = task.section(u' ', 2);
    return {day == QLatin1String("-") ? QString() : day, task.section(u' ', 1, 1), title, QStringLiteral("/tmp/%1.mp3").arg(title),
            QStringLiteral("5400"), QStringLiteral("0 天 1 小时 30 分钟 0 秒 之后")};
}

QDateTime TestAppDir::insertDueIn(int seconds, const QString &file, const QString &length) const
{
    const QDateTime at = QDateTime::currentDateTime().addSecs(seconds);
    insert({at.date().toString(Qt::ISODate), at.time().toString(QStringLiteral("HH:mm:ss")), QStringLiteral("news"), file, length,
            QStringLiteral("length")});
    return at;
}

void TestAppDir::exec(const QString &sql) const
{
    run(storePath(), sql);
}

QList<QStringList> TestAppDir::rows() const
{
    QList<QStringList> result;
    run(storePath(), QStringLiteral("SELECT * FROM AddSchTab ORDER BY StartDate, StartTime, rowid"), {}, [&result](QSqlQuery &query) {
        while (query.next()) {
            result.append(QStringList());
            for (int column = 0; column < 6; ++column)
                result.last() << (query.isNull(column) ? QStringLiteral("<null>") : query.value(column).toString());
        }
    });
    return result;
}

QString TestAppDir::installProgram(const QString &recorder) const
{
    const QString target = m_dir.filePath(QStringLiteral("quillscheduler"));
    QList<std::pair<QString, QString>> copies{{QStringLiteral(QUILL_PROGRAM_PATH), target}, {recorder, m_dir.filePath("quillsnd.exe")}};
    // The real recorder loads the library beside it; a stand-in has none.
    const QString library = QFileInfo(recorder).dir().filePath(QStringLiteral("libquillsnd.so"));
    if (QFile::exists(library))
        copies.append({library, m_dir.filePath(QStringLiteral("libquillsnd.so"))});
    for (const auto &[from, to] : copies) {
        QFile::remove(to);
        if (!QFile::copy(from, to))
            qFatal("cannot copy %s into the test directory", qPrintable(from));
    }
    return target;
}

QStringList TestAppDir::recorderArguments() const
{
    QFile log(m_dir.filePath(QStringLiteral("recorder.log")));
    QStringList lines = log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts) : QStringList();
    for (QString &line : lines)
        line = line.section(u'\t', 2);
    return lines;
}
