#include "TaskClaims.h"

#include "ScheduleFields.h"
#include "StoreConnection.h"
#include "StoredForm.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// On the way out a pending commit may wait this long for readers to let go.
constexpr int FinalCommitWaitMs = 2000;

} // namespace

TaskClaims::TaskClaims(std::shared_ptr<StoreConnection> connection)
    : m_connection(std::move(connection))
    , m_begin(m_connection->database())
    , m_select(m_connection->database())
    , m_delete(m_connection->database())
{
}

bool TaskClaims::prepare(StoreError *error)
{
    if (m_prepared)
        return true;
    // Reading the table's layout needs the store: another program's lock may keep it from that.
    const bool prepared = m_begin.prepare(QStringLiteral("BEGIN IMMEDIATE"))
                          && m_select.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = :id")
                                                  .arg(StoredForm::columnList(), ScheduleFields::Table))
                          && m_delete.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = :id").arg(ScheduleFields::Table));
    if (!prepared) {
        for (const QSqlQuery *query : {&m_begin, &m_select, &m_delete}) {
            if (query->lastError().isValid())
                *error = m_connection->errorFrom(query->lastError());
        }
        return false;
    }
    m_prepared = true;
    return true;
}

TaskClaims::~TaskClaims()
{
    if (!m_open)
        return;
    // A task whose recorder never started stays stored; the started ones leave if the store lets them.
    for (const qint64 rowId : m_unsettled.keys())
        restore(rowId);
    m_connection->setLockWait(FinalCommitWaitMs);
    commit();
}

std::unique_ptr<TaskClaims> TaskClaims::open(const QString &storePath, StoreError *error, int openLockWaitMs)
{
    auto connection = StoreConnection::open(storePath, error, openLockWaitMs);
    if (!connection)
        return nullptr;
    std::unique_ptr<TaskClaims> claims(new TaskClaims(connection));
    // Prepared now, so that a claim in a task's second does not parse them; tried again at the claim.
    StoreError notYet;
    claims->prepare(&notYet);
    connection->setLockWait(0);
    return claims;
}

TaskClaims::Outcome TaskClaims::failed(const QSqlQuery &query, StoreError *error) const
{
    *error = m_connection->errorFrom(query.lastError());
    return error->number == StoreError::Locked ? Outcome::Locked : Outcome::Failed;
}

void TaskClaims::rollBackIfEmpty()
{
    QSqlQuery query(m_connection->database());
    if (m_unsettled.isEmpty() && query.exec(QStringLiteral("ROLLBACK")))
        m_open = false;
}

TaskClaims::Outcome TaskClaims::claim(const Task &asRead, StoreError *error)
{
    const qint64 rowId = asRead.rowId();
    *error = {};
    if (!prepare(error))
        return error->number == StoreError::Locked ? Outcome::Locked : Outcome::Failed;
    if (!m_open) {
        if (!m_begin.exec())
            return failed(m_begin, error);
        m_begin.finish();
        m_open = true;
    }
    m_select.bindValue(QStringLiteral(":id"), rowId);
    if (!m_select.exec()) {
        const Outcome outcome = failed(m_select, error);
        rollBackIfEmpty();
        return outcome;
    }
    if (!m_select.next()) {
        m_select.finish();
        rollBackIfEmpty();
        return Outcome::Gone;
    }
    QVariantList stored;
    Task now(rowId);
    for (int i = 0; i < ScheduleFields::Count; ++i) {
        stored << m_select.value(i);
        now.setStored(ScheduleFields::Field(i), m_select.value(i));
    }
    m_select.finish();
    if (now != asRead) {
        rollBackIfEmpty();
        return Outcome::Changed;
    }

    m_delete.bindValue(QStringLiteral(":id"), rowId);
    if (!m_delete.exec()) {
        const Outcome outcome = failed(m_delete, error);
        rollBackIfEmpty();
        return outcome == Outcome::Locked ? outcome : Outcome::NotRemoved;
    }
    m_delete.finish();
    m_unsettled.insert(rowId, stored);
    return Outcome::Claimed;
}

StoreError TaskClaims::restore(qint64 rowId)
{
    const auto claimed = m_unsettled.constFind(rowId);
    if (claimed == m_unsettled.constEnd())
        return StoreError::noCurrentRecord();
    QStringList placeholders;
    for (const auto field : ScheduleFields::All)
        placeholders << QLatin1Char(':') + field;
    QSqlQuery insert(m_connection->database());
    insert.prepare(QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (:rowid, %3)")
                       .arg(ScheduleFields::Table, StoredForm::columnList(), placeholders.join(QStringLiteral(", "))));
    insert.bindValue(QStringLiteral(":rowid"), rowId);
    for (int i = 0; i < ScheduleFields::Count; ++i)
        insert.bindValue(QLatin1Char(':') + ScheduleFields::All[i], claimed->at(i));
    if (!insert.exec())
        return m_connection->errorFrom(insert.lastError());
    m_unsettled.erase(claimed);
    return {};
}

void TaskClaims::settle(qint64 rowId)
{
    m_unsettled.remove(rowId);
}

StoreError TaskClaims::commit()
{
    if (!m_open || !m_unsettled.isEmpty())
        return {};
    QSqlQuery query(m_connection->database());
    if (query.exec(QStringLiteral("COMMIT"))) {
        m_open = false;
        return {};
    }
    const StoreError error = m_connection->errorFrom(query.lastError());
    // Anything but readers in the way has undone the transaction or will not let it end.
    if (error.number != StoreError::Locked) {
        query.exec(QStringLiteral("ROLLBACK"));
        m_open = false;
    }
    return error;
}
