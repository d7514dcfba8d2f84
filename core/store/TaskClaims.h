#pragma once

#include "StoreError.h"
#include "Task.h"

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>

class StoreConnection;

// The removals of fired tasks. A task is claimed by removing it inside one write transaction that
// is committed only after its recorder has started: a copy killed at any moment leaves the task
// either started or still stored, and of two copies only the one whose removal succeeds fires it.
// Claims made while an earlier commit waits for the store join the same transaction.
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
    };

    ~TaskClaims();
    TaskClaims(const TaskClaims &) = delete;
    TaskClaims &operator=(const TaskClaims &) = delete;

    // A connection of the claims' own on the store, which waits for a lock only while it opens:
    // each claim fails at once while another program holds the store.
    static std::unique_ptr<TaskClaims> open(const QString &storePath, StoreError *error, int openLockWaitMs);

    // Removes the task's row when it still holds the fields it was read with.
    Outcome claim(const Task &asRead, StoreError *error);
    // A claimed row's recorder has started: its removal is to last.
    void settle(qint64 rowId);
    // Puts a claimed row back as it was stored, when its recorder did not start.
    StoreError restore(qint64 rowId);
    // Makes the settled claims lasting, once none waits to be settled. Locked while other programs
    // still read the store: the transaction stays open and the commit can be tried again.
    StoreError commit();
    // A transaction with claims in it has yet to be committed.
    bool isOpen() const { return m_open; }
    bool hasUnsettled() const { return !m_unsettled.isEmpty(); }

private:
    explicit TaskClaims(std::shared_ptr<StoreConnection> connection);
    bool prepare(StoreError *error);
    Outcome failed(const QSqlQuery &query, StoreError *error) const;
    void rollBackIfEmpty();

    std::shared_ptr<StoreConnection> m_connection;
    bool m_prepared = false;
    QSqlQuery m_begin;
    QSqlQuery m_select;
    QSqlQuery m_delete;
    bool m_open = false;
    // The stored values of each claimed row whose recorder has yet to start, so that it can be put back.
    QHash<qint64, QVariantList> m_unsettled;
};
