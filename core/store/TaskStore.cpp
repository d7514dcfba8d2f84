#include "TaskStore.h"

#include "ScheduleFields.h"
#include "StoreConnection.h"
#include "StoredForm.h"

#include <QSqlError>

namespace {

// Ties in start order fall to the older row, as the start-order index lists them.
const QString StartOrder = QStringLiteral("ORDER BY StartDate, StartTime, rowid");

Task taskFrom(const QSqlQuery &query)
{
    Task task(query.value(0).toLongLong());
    for (int i = 0; i < ScheduleFields::Count; ++i)
        task.setStored(ScheduleFields::Field(i), query.value(i + 1));
    return task;
}

} // namespace

TaskStore::TaskStore(std::shared_ptr<StoreConnection> connection)
    : m_connection(std::move(connection))
    , m_byRow(m_connection->database())
{
    m_byRow.setForwardOnly(true);
}

StoreError TaskStore::startOrder(QList<qint64> *rowIds, QList<Task> *first, int whole)
{
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    // One transaction, so that both reads see the same rows.
    if (!query.exec(QStringLiteral("BEGIN")))
        return m_connection->errorFrom(query.lastError());
    StoreError error;
    QList<qint64> ids;
    QList<Task> tasks;
    // The ids alone come from the start-order index without touching the rows.
    if (!query.exec(QStringLiteral("SELECT rowid FROM %1 %2").arg(ScheduleFields::Table, StartOrder))) {
        error = m_connection->errorFrom(query.lastError());
    } else {
        while (query.next())
            ids.append(query.value(0).toLongLong());
        // A read that fails part way must not pass for a shorter list.
        if (query.lastError().isValid())
            error = m_connection->errorFrom(query.lastError());
    }
    if (!error && whole > 0) {
        if (!query.exec(QStringLiteral("SELECT rowid, %1 FROM %2 %3 LIMIT %4")
                            .arg(StoredForm::columnList(), ScheduleFields::Table, StartOrder)
                            .arg(whole))) {
            error = m_connection->errorFrom(query.lastError());
        } else {
            while (query.next())
                tasks.append(taskFrom(query));
            if (query.lastError().isValid())
                error = m_connection->errorFrom(query.lastError());
        }
    }
    query.finish();
    query.exec(QStringLiteral("COMMIT"));
    if (error)
        return error;
    *rowIds = std::move(ids);
    *first = std::move(tasks);
    return {};
}

StoreError TaskStore::hasTasks(bool *any)
{
    QSqlQuery query(m_connection->database());
    if (!query.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(ScheduleFields::Table)) || !query.next())
        return m_connection->errorFrom(query.lastError());
    *any = query.value(0).toBool();
    return {};
}

StoreError TaskStore::read(qint64 rowId, std::optional<Task> *task)
{
    if (m_byRow.lastQuery().isEmpty()
        && !m_byRow.prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid = ?")
                                .arg(StoredForm::columnList(), ScheduleFields::Table)))
        return m_connection->errorFrom(m_byRow.lastError());
    m_byRow.addBindValue(rowId);
    if (!m_byRow.exec())
        return m_connection->errorFrom(m_byRow.lastError());
    *task = m_byRow.next() ? std::optional(taskFrom(m_byRow)) : std::nullopt;
    m_byRow.finish();
    return {};
}
