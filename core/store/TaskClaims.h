#pragma once

#include "SeriesPlans.h"
#include "StoreError.h"
#include "Task.h"

#include <QDate>
#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

class StoreConnection;

// The removals of fired tasks. A task is claimed by removing it inside one write transaction that
// is committed only after its recorder has started: a copy killed at any moment leaves the task
// either started or still stored, and of two copies only the one whose removal succeeds fires it.
// Claims made while an earlier commit waits for the store join the same transaction.
// A claimed occurrence of a series leaves the series' next occurrence in its place, in the same
// transaction: the recorder has started and the next one is stored, or neither.
class TaskClaims
{
public:
    enum class Outcome {
        Claimed, // removed in the open transaction; start its recorder, then settle it
        Gone,    // no longer stored: removed elsewhere, or fired by another copy
        Changed, // stored, but no longer as it was read
        Locked,  // another program holds the store; try again later
        // Stored as read, but the store would not remove it (a full disk, say): start its recorder
        // anyway, and keep it from starting again for as long as the program runs.
        NotRemoved,
        Failed,
        NotASeries, // a passed-over task that does not repeat
    };
    // Whether the occurrence of a series' row on the date is wholly past.
    using DateTest = std::function<bool(const Task &row, QDate date)>;

    ~TaskClaims();
    TaskClaims(const TaskClaims &) = delete;
    TaskClaims &operator=(const TaskClaims &) = delete;

    // A connection of the claims' own on the store, which waits for a lock only while it opens:
    // each claim fails at once while another program holds the store.
    static std::unique_ptr<TaskClaims> open(const QString &storePath, StoreError *error, int openLockWaitMs);

    enum class Repeat {
        None,
        Occurrence,     // of a series, whose next occurrence now takes its place
        UnreadableRule, // planned as a series by a rule no one can read: fires as a one-shot task
    };
    // What the plan of a claimed task said.
    struct Planned
    {
        Repeat repeat = Repeat::None;
        // What its recorder is to record; empty for the recorder's own choice.
        QString source;
    };
    // Removes the task's row when it still holds the fields it was read with; for an occurrence of a
    // series, stores the next one.
    Outcome claim(const Task &asRead, StoreError *error, Planned *planned = nullptr);
    // Moves a series whose occurrence has passed unseen on to its first occurrence that is not wholly
    // past, and gives the dates passed over; a series without one ends. Nothing waits to be settled:
    // commit when no claim does.
    Outcome passOver(const Task &asRead, const DateTest &isPast, QList<QDate> *passed, StoreError *error);
    // Stores the first occurrence not wholly past of each series whose row has gone (fired by a program
    // that keeps no plans, or deleted by another tool), and tells whether there was any; commit as above.
    StoreError resumeSeries(const DateTest &isPast, bool *resumed);
    // A claimed row's recorder has started: its removal is to last.
    void settle(qint64 rowId);
    // Puts a claimed row back as it was stored, when its recorder did not start. When it cannot be
    // put back alone, the whole transaction is undone: every claimed row is back, settled or not.
    StoreError restore(qint64 rowId);
    // Makes the settled claims lasting, once none waits to be settled. Locked while other programs
    // still read the store: the transaction stays open and the commit can be tried again.
    StoreError commit();
    // A transaction with claims in it has yet to be committed.
    bool isOpen() const { return m_open; }
    bool hasUnsettled() const { return !m_unsettled.isEmpty(); }

private:
    // What undoes a claim whose recorder did not start.
    struct Undo
    {
        QVariantList stored;
        qint64 nextRowId = -1;
        std::optional<SeriesPlan> planBefore;
    };

    explicit TaskClaims(std::shared_ptr<StoreConnection> connection);
    bool prepare(StoreError *error);
    Outcome failed(const QSqlQuery &query, StoreError *error) const;
    Outcome failed(const StoreError &storeError, StoreError *error) const;
    void rollBackIfEmpty();
    bool beginIfNeeded(StoreError *error);
    // The row as stored now, or nothing when it is gone.
    StoreError readRow(qint64 rowId, std::optional<Task> *task, QVariantList *stored);
    StoreError insertRow(const Task &task, qint64 *rowId);
    StoreError deleteRow(qint64 rowId);
    // Stores the series' occurrence on the date in the row of the id given (a new one when negative);
    // without a date the series ends.
    StoreError moveSeries(SeriesPlan plan, const Task &row, std::optional<QDate> date, qint64 *rowId);
    // A savepoint around one change, so that a change that fails half way undoes only itself.
    bool within(const std::function<StoreError()> &change, StoreError *error);

    std::shared_ptr<StoreConnection> m_connection;
    bool m_prepared = false;
    QSqlQuery m_begin;
    QSqlQuery m_select;
    QSqlQuery m_delete;
    QSqlQuery m_insert;
    // Only in a store of this program's version.
    std::unique_ptr<SeriesPlans> m_plans;
    bool m_open = false;
    // Each claimed row whose recorder has yet to start, with what puts it back.
    QHash<qint64, Undo> m_unsettled;
};
