#include "ResultSet.h"

#include "ScheduleFields.h"
#include "StoreConnection.h"

#include <QDate>
#include <QSqlError>
#include <QTime>

namespace {

const QString IsoDateFormat = QStringLiteral("yyyy-MM-dd");
const QString IsoTimeFormat = QStringLiteral("HH:mm:ss");

enum FieldIndex { StartDateIndex = 0, StartTimeIndex = 1 };

QString columnList()
{
    QStringList names;
    for (const auto field : ScheduleFields::All)
        names << field;
    return names.join(QStringLiteral(", "));
}

// Stored texts become values; a text that is not a stored date or time is handed back as it is.
QVariant fromStored(int index, const QVariant &stored)
{
    if (stored.isNull())
        return {};
    const QString text = stored.toString();
    if (index == StartDateIndex) {
        const QDate date = QDate::fromString(text, IsoDateFormat);
        return date.isValid() ? QVariant(date) : QVariant(text);
    }
    if (index == StartTimeIndex) {
        const QTime time = QTime::fromString(text, IsoTimeFormat);
        return time.isValid() ? QVariant(time) : QVariant(text);
    }
    return text;
}

// Only a value-less QVariant is stored as NULL; any text, even a null QString, is stored as text.
QVariant toStored(const QVariant &value)
{
    if (!value.isValid())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(IsoDateFormat);
    case QMetaType::QTime:
        return value.toTime().toString(IsoTimeFormat);
    default:
        break;
    }
    const QString text = value.toString();
    return text.isNull() ? QStringLiteral("") : text;
}

QVariantList emptyRow()
{
    QVariantList row;
    for (int i = 0; i < ScheduleFields::Count; ++i)
        row << QVariant();
    return row;
}

} // namespace

ResultSet::ResultSet(std::shared_ptr<StoreConnection> connection, QString table, QString keysetSql)
    : m_connection(std::move(connection))
    , m_table(std::move(table))
    , m_keysetSql(std::move(keysetSql))
    , m_fetchQuery(m_connection->database())
{
}

ResultSet::~ResultSet() = default;

StoreError ResultSet::requery()
{
    QSqlQuery keyset(m_connection->database());
    keyset.setForwardOnly(true);
    if (!keyset.exec(m_keysetSql))
        return m_connection->errorFrom(keyset.lastError());

    QList<qint64> rowIds;
    while (keyset.next())
        rowIds << keyset.value(0).toLongLong();
    if (keyset.lastError().isValid())
        return m_connection->errorFrom(keyset.lastError());

    if (!m_fetchQuery.isActive() && m_fetchQuery.lastQuery().isEmpty()) {
        if (!m_fetchQuery.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = :id").arg(columnList(), m_table)))
            return m_connection->errorFrom(m_fetchQuery.lastError());
    }

    m_rowIds = std::move(rowIds);
    m_position = 0;
    m_currentDeleted = false;
    dropPending();
    emit rowsReset();
    emit currentRowChanged();
    return {};
}

bool ResultSet::bof() const
{
    return m_rowIds.isEmpty();
}

bool ResultSet::eof() const
{
    return m_position >= m_rowIds.size();
}

bool ResultSet::hasCurrentRow() const
{
    return !eof() && !m_currentDeleted;
}

StoreError ResultSet::moveFirst()
{
    dropPending();
    if (m_rowIds.isEmpty())
        return StoreError::noCurrentRecord();
    m_position = 0;
    m_currentDeleted = false;
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::moveNext()
{
    dropPending();
    if (eof())
        return StoreError::noCurrentRecord();
    ++m_position;
    m_currentDeleted = false;
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::moveTo(int index)
{
    dropPending();
    if (index < 0 || index >= m_rowIds.size())
        return StoreError::noCurrentRecord();
    m_position = index;
    m_currentDeleted = false;
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
    QVariantList fields;
    if (const StoreError error = fetch(m_rowIds.at(m_position), &fields))
        return error;
    m_pending = fields;
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
                          .arg(m_table, columnList(), placeholders.join(QStringLiteral(", "))));
    } else {
        QStringList assignments;
        for (const auto field : ScheduleFields::All)
            assignments << QStringLiteral("%1 = :%1").arg(field);
        write.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = :id")
                          .arg(m_table, assignments.join(QStringLiteral(", "))));
        write.bindValue(QStringLiteral(":id"), m_rowIds.at(m_position));
    }
    for (int i = 0; i < ScheduleFields::Count; ++i)
        write.bindValue(QLatin1Char(':') + ScheduleFields::All[i], toStored(m_pending.at(i)));

    if (!write.exec())
        return m_connection->errorFrom(write.lastError());
    if (m_editMode == EditMode::Editing && write.numRowsAffected() == 0)
        return StoreError::recordDeleted();

    // A new row joins the end of the listed rows, as it would in a live result set.
    if (m_editMode == EditMode::Adding)
        m_rowIds << write.lastInsertId().toLongLong();
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
    removal.bindValue(QStringLiteral(":id"), m_rowIds.at(m_position));
    if (!removal.exec())
        return m_connection->errorFrom(removal.lastError());
    if (removal.numRowsAffected() == 0)
        return StoreError::recordDeleted();
    m_currentDeleted = true;
    emit currentRowChanged();
    return {};
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
    QVariantList fields;
    if ((failure = fetch(m_rowIds.at(m_position), &fields)))
        return {};
    return fields.at(index);
}

StoreError ResultSet::setValue(const QString &field, const QVariant &value)
{
    int index = 0;
    if (const StoreError error = checkedFieldIndex(field, &index))
        return error;
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();
    m_pending[index] = fromStored(index, toStored(value));
    return {};
}

qint64 ResultSet::currentRowId() const
{
    return hasCurrentRow() ? m_rowIds.at(m_position) : -1;
}

int ResultSet::currentIndex() const
{
    return hasCurrentRow() ? m_position : -1;
}

StoreError ResultSet::readCurrentRow(QVariantList *fields) const
{
    if (!hasCurrentRow())
        return StoreError::noCurrentRecord();
    return fetch(m_rowIds.at(m_position), fields);
}

StoreError ResultSet::readRow(int index, QVariantList *fields) const
{
    if (index < 0 || index >= m_rowIds.size())
        return StoreError::noCurrentRecord();
    return fetch(m_rowIds.at(index), fields);
}

StoreError ResultSet::fetch(qint64 rowId, QVariantList *fields) const
{
    m_fetchQuery.bindValue(QStringLiteral(":id"), rowId);
    if (!m_fetchQuery.exec())
        return m_connection->errorFrom(m_fetchQuery.lastError());
    if (!m_fetchQuery.next()) {
        const QSqlError sqlError = m_fetchQuery.lastError();
        m_fetchQuery.finish();
        return sqlError.isValid() ? m_connection->errorFrom(sqlError) : StoreError::recordDeleted();
    }
    fields->clear();
    for (int i = 0; i < ScheduleFields::Count; ++i)
        fields->append(fromStored(i, m_fetchQuery.value(i)));
    m_fetchQuery.finish();
    return {};
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
