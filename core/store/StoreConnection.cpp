#include "StoreConnection.h"

#include "ResultSet.h"
#include "ScheduleFields.h"
#include "StoredForm.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

namespace {

// SQLite's primary result codes that the store tells apart.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteIoError = 10;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteConstraint = 19;
constexpr int SqliteNotADatabase = 26;

} // namespace

StoreConnection::StoreConnection(QString path, QString connectionName)
    : m_path(std::move(path))
    , m_connectionName(std::move(connectionName))
{
}

StoreConnection::~StoreConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::shared_ptr<StoreConnection> StoreConnection::open(const QString &path, StoreError *error, int lockWaitMs)
{
    const QFileInfo file(path);
    if (!file.exists() || !file.isFile()) {
        *error = {StoreError::FileNotFound, QStringLiteral("Could not find file '%1'.").arg(path)};
        return nullptr;
    }
    if (!file.isReadable()) {
        *error = {StoreError::CannotOpenFile,
                  QStringLiteral("Cannot open the file '%1': permission denied.").arg(path)};
        return nullptr;
    }

    std::shared_ptr<StoreConnection> connection(
        new StoreConnection(path, QStringLiteral("store-") + QUuid::createUuid().toString(QUuid::WithoutBraces)));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->m_connectionName);
    // mode=rw: SQLite would otherwise make a new empty file where the store is missing.
    db.setDatabaseName(QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded)
                       + QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(lockWaitMs));
    if (!db.open()) {
        *error = connection->errorFrom(db.lastError());
        return nullptr;
    }

    // SQLite reads the file lazily; read its catalogue now so a damaged file is found at open.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        *error = connection->errorFrom(probe.lastError());
        return nullptr;
    }
    *error = {};
    return connection;
}

std::unique_ptr<ResultSet> StoreConnection::openRecordset(const QString &source, StoreError *error)
{
    if (source != ScheduleFields::OrderedQuery) {
        *error = {StoreError::General, QStringLiteral("The query '%1' cannot be opened as a result set.").arg(source)};
        return nullptr;
    }
    // Compiled now, so that a missing table or field is found at open; the rows are read by requery.
    QSqlQuery check(database());
    if (!check.prepare(QStringLiteral("SELECT rowid, %1 FROM %2").arg(StoredForm::columnList(), ScheduleFields::Table))) {
        *error = errorFrom(check.lastError());
        return nullptr;
    }
    *error = {};
    return std::unique_ptr<ResultSet>(new ResultSet(shared_from_this()));
}

qint64 StoreConnection::version() const
{
    QSqlQuery query(database());
    return query.exec(QStringLiteral("PRAGMA data_version")) && query.next() ? query.value(0).toLongLong() : -1;
}

void StoreConnection::setLockWait(int lockWaitMs)
{
    QSqlQuery(database()).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(lockWaitMs));
}

StoreError StoreConnection::checkWritable() const
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QFileInfo(folder).isWritable()) {
        return {StoreError::CannotOpenFile, QStringLiteral("The folder '%1' of the store cannot be written, so tasks "
                                                           "that fire could not be removed from the store.")
                                                .arg(folder)};
    }

    // A real change, undone at once: only a write to a page makes SQLite create its journal beside
    // the store, and a read-only store is refused only at the write itself.
    QSqlQuery probe(database());
    StoreError error;
    // Nothing of the probe is kept: it need not wait for the disk.
    probe.exec(QStringLiteral("PRAGMA synchronous = OFF"));
    if (!probe.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        error = errorFrom(probe.lastError());
    } else if (!probe.exec(QStringLiteral("INSERT INTO %1 (Program, Filename) VALUES ('probe', 'probe')")
                               .arg(ScheduleFields::Table))) {
        error = errorFrom(probe.lastError());
    }
    probe.exec(QStringLiteral("ROLLBACK"));
    probe.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    return error;
}

QSqlDatabase StoreConnection::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

StoreError StoreConnection::errorFrom(const QSqlError &sqlError) const
{
    const int code = sqlError.nativeErrorCode().toInt() & 0xff;
    const QString message = sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();

    static const QRegularExpression missingTable(QStringLiteral("no such table: (\\S+)"));
    static const QRegularExpression missingColumn(QStringLiteral("no such column: (\\S+)"));
    static const QRegularExpression emptyText(QStringLiteral("CHECK constraint failed: (\\w+)NotEmpty"));

    if (const auto match = missingTable.match(message); match.hasMatch()) {
        return {StoreError::TableNotFound,
                QStringLiteral("The table '%1' is missing from the store '%2'.").arg(match.captured(1), m_path)};
    }
    if (const auto match = missingColumn.match(message); match.hasMatch()) {
        return {StoreError::FieldNotFound,
                QStringLiteral("The field '%1' is missing from the store '%2'.").arg(match.captured(1), m_path)};
    }
    if (const auto match = emptyText.match(message); code == SqliteConstraint && match.hasMatch())
        return StoreError::zeroLengthText(QStringLiteral("%1.%2").arg(ScheduleFields::Table, match.captured(1)));

    switch (code) {
    case SqliteBusy:
    case SqliteLocked:
        return {StoreError::Locked,
                QStringLiteral("The store '%1' is locked by another program; try again later.").arg(m_path)};
    case SqliteReadOnly:
        return {StoreError::CannotOpenFile,
                QStringLiteral("The store '%1' cannot be written: it is read-only.").arg(m_path)};
    case SqliteCantOpen:
        return {StoreError::CannotOpenFile, QStringLiteral("Cannot open the file '%1': %2").arg(m_path, message)};
    case SqliteCorrupt:
    case SqliteNotADatabase:
        return {StoreError::NotADatabase,
                QStringLiteral("The file '%1' is not a store or is damaged (%2).").arg(m_path, message)};
    case SqliteIoError:
        return {StoreError::CannotOpenFile,
                QStringLiteral("The file '%1' cannot be read or written (%2).").arg(m_path, message)};
    default:
        break;
    }
    return {StoreError::General, QStringLiteral("%1 (store '%2')").arg(message, m_path)};
}
