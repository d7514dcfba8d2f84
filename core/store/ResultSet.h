#pragma once

#include "StoreError.h"

#include <QList>
#include <QObject>
#include <QSqlQuery>
#include <QVariant>
#include <QVariantList>

#include <memory>

class StoreConnection;

// The rows of one query, held as a keyset of row ids whose values are read when asked for:
// rows added or removed elsewhere show only after requery(), and a row removed elsewhere
// reads as "Record is deleted." rather than as no current record.
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

    // A field of the pending row while adding or editing, else of the current row.
    // A date or time field comes back as QDate or QTime; a field without value as a null QVariant.
    QVariant value(const QString &field, StoreError *error = nullptr) const;
    StoreError setValue(const QString &field, const QVariant &value);

    // The current row's id in the table, or -1 when there is none.
    qint64 currentRowId() const;
    // The current row's index among the listed rows, or -1 when there is none.
    int currentIndex() const;
    // The current row's six fields as stored now, read afresh.
    StoreError readCurrentRow(QVariantList *fields) const;

    // The rows as listed, for a grid: each row's six fields in their stored order.
    int rowCount() const { return int(m_rowIds.size()); }
    StoreError readRow(int index, QVariantList *fields) const;

signals:
    // The row that reads and the bound views refer to has changed (a move, a requery, AddNew, Delete).
    void currentRowChanged();
    // The listed rows were read again.
    void rowsReset();

private:
    friend class StoreConnection;
    ResultSet(std::shared_ptr<StoreConnection> connection, QString table, QString keysetSql);

    bool hasCurrentRow() const;
    StoreError fetch(qint64 rowId, QVariantList *fields) const;
    StoreError checkedFieldIndex(const QString &field, int *index) const;
    void dropPending();

    std::shared_ptr<StoreConnection> m_connection;
    QString m_table;
    QString m_keysetSql;
    QList<qint64> m_rowIds;
    int m_position = 0; // index into m_rowIds; equal to its size at EOF
    bool m_currentDeleted = false;
    EditMode m_editMode = EditMode::Browsing;
    QVariantList m_pending;
    mutable QSqlQuery m_fetchQuery;
};
