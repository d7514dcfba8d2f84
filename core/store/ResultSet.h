#pragma once

#include "StoreError.h"

#include <QList>
#include <QObject>
#include <QVariant>
#include <QVariantList>

#include <memory>

class StoreConnection;

// The rows of one query, read into memory in one go by each requery: moves and field reads touch
// no SQL, and rows added or removed elsewhere show only after the next requery. Only Update and
// Delete write to the store; Edit looks whether its row is still there.
class ResultSet : public QObject
{
    Q_OBJECT

public:
    enum class EditMode { Browsing, Adding, Editing };

    ~ResultSet() override;

    StoreError requery();

    bool bof() const;
    bool eof() const;
    EditMode editMode() const { return m_editMode; }

    StoreError moveFirst();
    StoreError moveNext();
    // Makes the listed row at this index current, as a click in a grid does.
    StoreError moveTo(int index);

    StoreError addNew();
    StoreError edit();
    StoreError update();
    StoreError cancelUpdate();
    StoreError deleteRow();
    // The current row has left the table another way (a fired task's claim): it reads as deleted,
    // as after deleteRow().
    void markCurrentRowRemoved();

    // A field of the pending row while adding or editing, else of the current row.
    // A date or time field comes back as QDate or QTime; a field without value as a null QVariant.
    QVariant value(const QString &field, StoreError *error = nullptr) const;
    StoreError setValue(const QString &field, const QVariant &value);

    // The current row's id in the table, or -1 when there is none.
    qint64 currentRowId() const;
    // The current row's index among the listed rows, or -1 when there is none.
    int currentIndex() const;
    // The current row's six fields as read; empty when there is no current row.
    QVariantList currentFields() const;

    // The rows as listed, for a grid: each row's six fields in their stored order; a row removed
    // through this result set has no fields.
    int rowCount() const { return int(m_rows.size()); }
    QVariantList fieldsAt(int index) const;

signals:
    // The row that reads and the bound views refer to has changed (a move, a requery, AddNew, Delete).
    void currentRowChanged();
    // The listed rows were read again.
    void rowsReset();

private:
    friend class StoreConnection;
    ResultSet(std::shared_ptr<StoreConnection> connection, QString table, QString selectSql);

    struct Row
    {
        qint64 id = -1;
        QVariantList fields;
        bool removed = false;
    };

    bool hasCurrentRow() const;
    StoreError checkedFieldIndex(const QString &field, int *index) const;
    void dropPending();

    std::shared_ptr<StoreConnection> m_connection;
    QString m_table;
    QString m_selectSql;
    QList<Row> m_rows;
    int m_position = 0; // index into m_rows; equal to its size at EOF
    EditMode m_editMode = EditMode::Browsing;
    QVariantList m_pending;
};
