#pragma once

#include "StoreError.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

class ResultSet;

// One open connection to the store file. Result sets share it; it closes when the last one lets go.
class StoreConnection : public std::enable_shared_from_this<StoreConnection>
{
public:
    ~StoreConnection();
    StoreConnection(const StoreConnection &) = delete;
    StoreConnection &operator=(const StoreConnection &) = delete;

    // How long a statement waits for another program's lock before it fails as locked: short for
    // what the user does, so that a held store fails a step instead of freezing the window.
    static constexpr int UserActionLockWaitMs = 250;

    // Opens an existing store; a missing file is an error, never a new empty store.
    static std::shared_ptr<StoreConnection> open(const QString &path, StoreError *error,
                                                 int lockWaitMs = UserActionLockWaitMs);
    void setLockWait(int lockWaitMs);

    // Opens the tasks of the ordered query (ScheduleFields::OrderedQuery), the one the windows read.
    // They are read by the result set's requery, which a cursor's Refresh runs; until then there are none.
    std::unique_ptr<ResultSet> openRecordset(const QString &source, StoreError *error);

    // An error when the store can be read but not written: a read-only file, or a folder in which
    // the journal that every removal needs cannot be made.
    StoreError checkWritable() const;

    // A number that changes whenever another connection changes the store; -1 when it cannot be read.
    qint64 version() const;
    bool changedSince(qint64 listed) const { return listed < 0 || version() != listed; }

    QSqlDatabase database() const;
    const QString &path() const { return m_path; }

    // Turns a failed statement into the store's numbered error.
    StoreError errorFrom(const class QSqlError &sqlError) const;

private:
    StoreConnection(QString path, QString connectionName);

    QString m_path;
    QString m_connectionName;
};
