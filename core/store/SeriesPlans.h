#pragma once

#include "StoreError.h"
#include "Task.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QString>

#include <memory>
#include <optional>

class StoreConnection;

// The plan of one series: its rule, the date the rule counts from, its source, and a copy of the task
// row that holds its next occurrence, to which it is linked by the row's StartDate, StartTime and Filename.
struct SeriesPlan
{
    qint64 id = -1;
    QString rule;
    // Invalid when the rule counts from the row's own date; set once the row moves on.
    QDate firstDate;
    Task row;
    // What the recorder is to record; empty for its own choice.
    QString source;

    // A plan without a rule only gives a one-shot task its source.
    bool repeats() const { return !rule.trimmed().isEmpty(); }

    QDate countsFrom() const { return firstDate.isValid() ? firstDate : row.startDate(); }
};

// The plan table beside the task table, and the version of the store that it came with.
class SeriesPlans
{
public:
    // The store's version that this program writes (PRAGMA user_version).
    static constexpr int StoreVersion = 2;
    // Plans are kept only in a store of this version: an older one has yet to be upgraded, and a
    // newer one is not written beyond AddSchTab, so its series fire as one-shot tasks.
    enum class Access { OlderStore, Writable, NewerStore };

    // Brings a store made by an earlier version up to this one, a step per version, each in its own
    // transaction. A store of this version or a newer one is left as it is, without a transaction.
    static StoreError upgrade(StoreConnection &connection);
    static StoreError access(StoreConnection &connection, Access *access);

    explicit SeriesPlans(std::shared_ptr<StoreConnection> connection);

    // The plan whose row holds the task as stored; nothing for a one-shot task.
    StoreError planOf(const Task &row, std::optional<SeriesPlan> *plan);
    // Stores the plan under its id, or as a new plan when it has none; sets its id.
    StoreError put(SeriesPlan *plan);
    StoreError remove(qint64 id);
    // The user has changed or deleted a task: a series' plan follows its row. Nothing to do for a
    // one-shot task, or in a store whose plans this program may not write. The store's version is read
    // once per object: each change of the user's makes its own, inside the change's transaction.
    StoreError followRow(const Task &before, const Task &after);
    StoreError dropRow(const Task &row);
    // The user has given the stored row a repeat: an empty rule makes it a one-shot task, another rule
    // a series counting from firstDate (when valid, else as it did under the same rule, else from the
    // row's own date). A store whose plans may not be written refuses any rule but the empty one.
    StoreError setRule(const Task &row, const QString &rule, QDate firstDate);
    // Gives the stored row this source, or the recorder's choice when it is empty; a plan left with
    // neither rule nor source goes. A store whose plans may not be written takes no source.
    StoreError setSource(const Task &row, const QString &source);
    // Every plan, or only those whose row is no longer stored.
    StoreError all(QList<SeriesPlan> *plans, bool onlyWithoutRow = false);

private:
    StoreError writable(bool *writable);

    std::shared_ptr<StoreConnection> m_connection;
    std::optional<Access> m_access;
    QSqlQuery m_find;
    QSqlQuery m_put;
};
