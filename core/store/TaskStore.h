#pragma once

#include "StoreError.h"
#include "Task.h"

#include <QList>
#include <QSqlQuery>

#include <memory>
#include <optional>

class StoreConnection;

// Every reading of the task table: the tasks in start order, whether there are any, one task by its row.
class TaskStore
{
public:
    explicit TaskStore(std::shared_ptr<StoreConnection> connection);

    // The rows in start order (by date, then time; rows without a date first) and, read in the same
    // go, the first `whole` of them with their fields.
    StoreError startOrder(QList<qint64> *rowIds, QList<Task> *first, int whole);
    StoreError hasTasks(bool *any);
    // Nothing when the row is no longer stored.
    StoreError read(qint64 rowId, std::optional<Task> *task);

    StoreConnection &connection() const { return *m_connection; }

private:
    std::shared_ptr<StoreConnection> m_connection;
    QSqlQuery m_byRow;
};
