#include "ResultSet.h"

#include "ScheduleFields.h"
#include "StoreConnection.h"
#include "StoredForm.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

QVariantList emptyRow()
{
    QVariantList row;
    for (int i = 0; i < ScheduleFields::Count; ++i)
        row << QVariant();
    return row;
}

} // namespace

ResultSet::ResultSet(std::shared_ptr<StoreConnection> connection, QString table, QString selectSql)
    : m_connection(std::move(connection))
    , m_table(std::move(table))
    , m_selectSql(std::move(selectSql))
{
}

ResultSet::~ResultSet() = default;

StoreError ResultSet::requery()
{
    QSqlQuery select(m_connection->database());
    select.setForwardOnly(true);
    if (!select.exec(m_selectSql))
        return m_connection->errorFrom(select.lastError());

    QList<Row> rows;
    while (select.next()) {
        Row row;
        row.id = select.value(0).toLongLong();
        row.fields.reserve(ScheduleFields::Count);
        for (int i = 0; i < ScheduleFields::Count; ++i)
            row.fields.append(StoredForm::fromStored(i, select.value(i + 1)));
        rows.append(std::move(row));
    }
    // A read that fails part way must not pass for a shorter list.
    if (select.lastError().isValid())
        return m_connection->errorFrom(select.lastError());

    m_rows = std::move(rows);
    m_position = 0;
    dropPending();
    emit rowsReset();
    emit currentRowChanged();
    return {};
}

bool ResultSet::bof() const
{
    return m_rows.isEmpty();
}

bool ResultSet::eof() const
{
    return m_position >= m_rows.size();
}

bool ResultSet::hasCurrentRow() const
{
    return !eof() && !m_rows.at(m_position).removed;
}

StoreError ResultSet::moveFirst()
{
    dropPending();
    if (m_rows.isEmpty())
        return StoreError::noCurrentRecord();
    m_position = 0;
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::moveNext()
{
    dropPending();
    if (eof())
        return StoreError::noCurrentRecord();
    ++m_position;
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::moveTo(int index)
{
    dropPending();
    if (index < 0 || index >= m_rows.size())
        return StoreError::noCurrentRecord();
    m_position = index;
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::addNew()
{
    m_pending = emptyRow();
    m_editMode = EditMode::Adding;
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::edit()
{
    if (!hasCurrentRow())
        return StoreError::noCurrentRecord();
    // A task fired or removed elsewhere since the list was read is not there to be edited.
    QSqlQuery stored(m_connection->database());
    stored.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE rowid = :id").arg(m_table));
    stored.bindValue(QStringLiteral(":id"), m_rows.at(m_position).id);
    if (!stored.exec())
        return m_connection->errorFrom(stored.lastError());
    if (!stored.next())
        return StoreError::recordDeleted();
    m_pending = m_rows.at(m_position).fields;
    m_editMode = EditMode::Editing;
    return {};
}

StoreError ResultSet::update()
{
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();

    QSqlQuery write(m_connection->database());
    if (m_editMode == EditMode::Adding) {
        QStringList placeholders;
        for (const auto field : ScheduleFields::All)
            placeholders << QLatin1Char(':') + field;
        write.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(m_table, StoredForm::columnList(), placeholders.join(QStringLiteral(", "))));
    } else {
        QStringList assignments;
        for (const auto field : ScheduleFields::All)
            assignments << QStringLiteral("%1 = :%1").arg(field);
        write.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = :id")
                          .arg(m_table, assignments.join(QStringLiteral(", "))));
        write.bindValue(QStringLiteral(":id"), m_rows.at(m_position).id);
    }
    for (int i = 0; i < ScheduleFields::Count; ++i)
        write.bindValue(QLatin1Char(':') + ScheduleFields::All[i], StoredForm::toStored(m_pending.at(i)));

    if (!write.exec())
        return m_connection->errorFrom(write.lastError());
    if (m_editMode == EditMode::Editing && write.numRowsAffected() == 0)
        return StoreError::recordDeleted();

    // A new row joins the end of the listed rows, as it would in a live result set.
    if (m_editMode == EditMode::Adding)
        m_rows.append({write.lastInsertId().toLongLong(), m_pending, false});
    else
        m_rows[m_position].fields = m_pending;
    dropPending();
    return {};
}

StoreError ResultSet::cancelUpdate()
{
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();
    dropPending();
    return {};
}

StoreError ResultSet::deleteRow()
{
    if (!hasCurrentRow())
        return StoreError::noCurrentRecord();
    dropPending();
    QSqlQuery removal(m_connection->database());
    removal.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = :id").arg(m_table));
    removal.bindValue(QStringLiteral(":id"), m_rows.at(m_position).id);
    if (!removal.exec())
        return m_connection->errorFrom(removal.lastError());
    if (removal.numRowsAffected() == 0)
        return StoreError::recordDeleted();
    markCurrentRowRemoved();
    return {};
}

void ResultSet::markCurrentRowRemoved()
{
    if (!hasCurrentRow())
        return;
    Row &row = m_rows[m_position];
    row.removed = true;
    row.fields.clear();
    emit currentRowChanged();
}

QVariant ResultSet::value(const QString &field, StoreError *error) const
{
    StoreError ignored;
    StoreError &failure = error ? *error : ignored;
    failure = {};

    int index = 0;
    if ((failure = checkedFieldIndex(field, &index)))
        return {};
    if (m_editMode != EditMode::Browsing)
        return m_pending.at(index);
    if (!hasCurrentRow()) {
        failure = StoreError::noCurrentRecord();
        return {};
    }
    return m_rows.at(m_position).fields.at(index);
}

StoreError ResultSet::setValue(const QString &field, const QVariant &value)
{
    int index = 0;
    if (const StoreError error = checkedFieldIndex(field, &index))
        return error;
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();
    m_pending[index] = StoredForm::fromStored(index, StoredForm::toStored(value));
    return {};
}

qint64 ResultSet::currentRowId() const
{
    return hasCurrentRow() ? m_rows.at(m_position).id : -1;
}

int ResultSet::currentIndex() const
{
    return hasCurrentRow() ? m_position : -1;
}

QVariantList ResultSet::currentFields() const
{
    return hasCurrentRow() ? m_rows.at(m_position).fields : QVariantList();
}

QVariantList ResultSet::fieldsAt(int index) const
{
    return index >= 0 && index < m_rows.size() ? m_rows.at(index).fields : QVariantList();
}

StoreError ResultSet::checkedFieldIndex(const QString &field, int *index) const
{
    for (int i = 0; i < ScheduleFields::Count; ++i) {
        if (field.compare(ScheduleFields::All[i], Qt::CaseInsensitive) == 0) {
            *index = i;
            return {};
        }
    }
    return StoreError::fieldNotFound(field);
}

void ResultSet::dropPending()
{
    m_editMode = EditMode::Browsing;
    m_pending.clear();
}
