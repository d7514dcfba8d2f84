#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

// How a task's fields are kept in the store file: dates and times as ISO text, everything else as
// text, no value as NULL.
namespace StoredForm {

// The column list of the six fields, in their order.
QString columnList();
// A stored date or time; invalid when the text is not exactly the stored form of a real one.
QDate readDate(const QString &text);
QTime readTime(const QString &text);
// Only a value-less QVariant is stored as NULL; any text, even a null QString, is stored as text.
QVariant toStored(const QVariant &value);

} // namespace StoredForm
