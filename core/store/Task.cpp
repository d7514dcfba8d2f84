#include "Task.h"

#include "StoredForm.h"

Task::Task(qint64 rowId)
    : m_rowId(rowId)
{
}

void Task::setStored(Field field, const QVariant &stored)
{
    const int index = int(field);
    m_texts[index] = QString();
    if (field == Field::StartDate)
        m_startDate = QDate();
    else if (field == Field::StartTime)
        m_startTime = QTime();
    if (stored.isNull()) {
        m_nulls |= bit(field);
        return;
    }
    m_nulls &= quint8(~bit(field));
    const QString text = stored.toString();
    bool typed = false;
    if (field == Field::StartDate) {
        m_startDate = StoredForm::readDate(text);
        typed = m_startDate.isValid();
    } else if (field == Field::StartTime) {
        m_startTime = StoredForm::readTime(text);
        typed = m_startTime.isValid();
    }
    if (!typed)
        m_texts[index] = text;
}

void Task::setValue(Field field, const QVariant &value)
{
    setStored(field, StoredForm::toStored(value));
}

QVariant Task::value(Field field) const
{
    if (isNull(field))
        return {};
    if (field == Field::StartDate && m_startDate.isValid())
        return m_startDate;
    if (field == Field::StartTime && m_startTime.isValid())
        return m_startTime;
    return m_texts[int(field)];
}

QVariant Task::stored(Field field) const
{
    return StoredForm::toStored(value(field));
}
