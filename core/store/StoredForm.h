#pragma once

#include <QString>
#include <QVariant>

// How a task's fields are kept in the store file: dates and times as ISO text, everything else as
// text, no value as NULL.
namespace StoredForm {

// The column list of the six fields, in their order.
QString columnList();
// A stored value as the program uses it: a date or time field as QDate or QTime; a text that is no
// stored date or time is handed back as it is.
QVariant fromStored(int fieldIndex, const QVariant &stored);
// Only a value-less QVariant is stored as NULL; any text, even a null QString, is stored as text.
QVariant toStored(const QVariant &value);

} // namespace StoredForm
