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
{
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
    connection->setLockWait(0);
    return std::unique_ptr<TaskClaims>(new TaskClaims(std::move(connection)));
}

TaskClaims::Outcome TaskClaims::claim(const Task &asRead, StoreError *error)
{
    const qint64 rowId = asRead.rowId();
    const auto failed = [this, error](const QSqlQuery &query) {
        *error = m_connection->errorFrom(query.lastError());
        return error->number == StoreError::Locked ? Outcome::Locked : Outcome::Failed;
    };
    QSqlQuery query(m_connection->database());
    *error = {};
    if (!m_open) {
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return failed(query);
        m_open = true;
    }
    const auto endIfEmpty = [this, &query] {
        if (m_unsettled.isEmpty() && query.exec(QStringLiteral("ROLLBACK")))
            m_open = false;
    };

    query.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = :id")
                      .arg(StoredForm::columnList(), ScheduleFields::Table));
    query.bindValue(QStringLiteral(":id"), rowId);
    if (!query.exec()) {
        const Outcome outcome = failed(query);
        endIfEmpty();
        return outcome;
    }
    if (!query.next()) {
        query.finish();
        endIfEmpty();
        return Outcome::Gone;
    }
    QVariantList stored;
    Task now(rowId);
    for (int i = 0; i < ScheduleFields::Count; ++i) {
        stored << query.value(i);
        now.setStored(ScheduleFields::Field(i), query.value(i));
    }
    query.finish();
    if (now != asRead) {
        endIfEmpty();
        return Outcome::Changed;
    }

    query.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = :id").arg(ScheduleFields::Table));
    query.bindValue(QStringLiteral(":id"), rowId);
    if (!query.exec()) {
        const Outcome outcome = failed(query);
        endIfEmpty();
        return outcome;
    }
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
