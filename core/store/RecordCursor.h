#pragma once

#include "ResultSet.h"
#include "StoreError.h"

#include <QObject>

#include <memory>

// A window's data control: the result set attached to it, re-read on Refresh, and the
// signals its bound views and grid follow.
class RecordCursor : public QObject
{
    Q_OBJECT

public:
    explicit RecordCursor(QObject *parent = nullptr);
    ~RecordCursor() override;

    // The cursor now works on this result set; the one it had is released.
    void attach(std::unique_ptr<ResultSet> resultSet);
    // Reads the attached rows again; the first becomes current.
    StoreError refresh();

    bool isAttached() const { return m_resultSet != nullptr; }
    // Only valid while attached.
    ResultSet &recordset() const { return *m_resultSet; }

    // Empty text when there is no row or the field has no value; never an error.
    QVariant fieldOrNull(const QString &field) const;

signals:
    void currentRowChanged();
    void rowsReset();

private:
    std::unique_ptr<ResultSet> m_resultSet;
};
