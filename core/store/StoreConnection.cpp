#include "StoreConnection.h"

#include "ResultSet.h"
#include "ScheduleFields.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

namespace {

// Short, so that a store held by another program fails a step instead of freezing the window.
constexpr int BusyTimeoutMs = 250;

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

std::shared_ptr<StoreConnection> StoreConnection::open(const QString &path, StoreError *error)
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
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
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
    static const QRegularExpression tableName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    static const QRegularExpression selectAll(QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+([A-Za-z_][A-Za-z0-9_]*)\\b(.*)$"),
                                              QRegularExpression::CaseInsensitiveOption
                                                  | QRegularExpression::DotMatchesEverythingOption);

    QString table;
    QString keysetSql;
    if (tableName.match(source).hasMatch()) {
        table = source;
        keysetSql = QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(table);
    } else if (const QRegularExpressionMatch match = selectAll.match(source); match.hasMatch()) {
        // The rows are held as a keyset of row ids; their values are read when asked for.
        table = match.captured(1);
        keysetSql = QStringLiteral("SELECT %1.rowid FROM %1%2").arg(table, match.captured(2));
    } else {
        *error = {StoreError::General, QStringLiteral("The query '%1' cannot be opened as a result set.").arg(source)};
        return nullptr;
    }

    auto resultSet = std::unique_ptr<ResultSet>(new ResultSet(shared_from_this(), table, keysetSql));
    *error = resultSet->requery();
    if (error->failed())
        return nullptr;
    return resultSet;
}

StoreError StoreConnection::checkWritable() const
{
    // A write that changes nothing, undone at once: SQLite lets a read-only store begin a
    // transaction and refuses only the write itself.
    QSqlQuery probe(database());
    StoreError error;
    if (!probe.exec(QStringLiteral("BEGIN IMMEDIATE")))
        error = errorFrom(probe.lastError());
    else if (!probe.exec(QStringLiteral("DELETE FROM %1 WHERE 0").arg(ScheduleFields::Table)))
        error = errorFrom(probe.lastError());
    probe.exec(QStringLiteral("ROLLBACK"));
    // Another program writing just now still means the store can be written.
    return error.number == StoreError::Locked ? StoreError{} : error;
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
