#include "RecordCursor.h"

RecordCursor::RecordCursor(QObject *parent)
    : QObject(parent)
{
}

RecordCursor::~RecordCursor() = default;

void RecordCursor::attach(std::unique_ptr<ResultSet> resultSet)
{
    m_resultSet = std::move(resultSet);
    if (m_resultSet) {
        connect(m_resultSet.get(), &ResultSet::currentRowChanged, this, &RecordCursor::currentRowChanged);
        connect(m_resultSet.get(), &ResultSet::rowsReset, this, &RecordCursor::rowsReset);
    }
    emit rowsReset();
    emit currentRowChanged();
}

StoreError RecordCursor::refresh()
{
    if (!m_resultSet)
        return StoreError::noCurrentRecord();
    return m_resultSet->requery();
}

QVariant RecordCursor::fieldOrNull(const QString &field) const
{
    if (!m_resultSet)
        return {};
    StoreError error;
    const QVariant value = m_resultSet->value(field, &error);
    return error ? QVariant() : value;
}
