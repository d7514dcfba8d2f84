#pragma once

#include "ScheduleFields.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

#include <array>

// One stored task as read, with its row in the table. A field without value (NULL) and a field that
// holds text, even empty text, are told apart. A start date or time is typed when its stored text can
// be read; one that cannot keeps that text, so that it shows as it was stored.
class Task
{
public:
    using Field = ScheduleFields::Field;

    explicit Task(qint64 rowId = -1);

    qint64 rowId() const { return m_rowId; }
    void setRowId(qint64 rowId) { m_rowId = rowId; }

    // A value as the store holds it: NULL or text.
    void setStored(Field field, const QVariant &stored);
    // A value as the program uses it: a date or time as QDate or QTime, any other value as text, and
    // a value-less QVariant as NULL; what the store would not keep as typed stays as text.
    void setValue(Field field, const QVariant &value);

    bool isNull(Field field) const { return m_nulls & bit(field); }
    // Null, a readable start as QDate or QTime, or the text.
    QVariant value(Field field) const;
    // As it is to be stored: NULL or text.
    QVariant stored(Field field) const;
    // The text as stored; empty for NULL.
    QString text(Field field) const { return stored(field).toString(); }

    // Valid only when stored and readable.
    QDate startDate() const { return m_startDate; }
    QTime startTime() const { return m_startTime; }
    QString program() const { return text(Field::Program); }
    QString filename() const { return text(Field::Filename); }
    // The stop length in seconds, as text.
    QString parameter() const { return text(Field::Parameter); }

    bool operator==(const Task &other) const = default;

private:
    static quint8 bit(Field field) { return quint8(1u << int(field)); }

    qint64 m_rowId;
    QDate m_startDate;
    QTime m_startTime;
    // The stored texts; for a start date or time only when it cannot be read.
    std::array<QString, ScheduleFields::Count> m_texts;
    quint8 m_nulls = (1u << ScheduleFields::Count) - 1;
};
