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

    // Opens an existing store; a missing file is an error, never a new empty store.
    static std::shared_ptr<StoreConnection> open(const QString &path, StoreError *error);

    // Opens the rows of a table by name (table order) or of a "SELECT * ..." query.
    std::unique_ptr<ResultSet> openRecordset(const QString &source, StoreError *error);

    // An error when the store can be read but not written (a read-only file, say).
    StoreError checkWritable() const;

    QSqlDatabase database() const;

    // Turns a failed statement into the store's numbered error.
    StoreError errorFrom(const class QSqlError &sqlError) const;

private:
    StoreConnection(QString path, QString connectionName);

    QString m_path;
    QString m_connectionName;
};
