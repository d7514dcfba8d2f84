#include "ValueText.h"

#include "DateTimeText.h"

QString ValueText::of(const QVariant &value, const DateTimeText &dateTimeText)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return dateTimeText.dateText(value.toDate());
    case QMetaType::QTime:
        return dateTimeText.timeText(value.toTime());
    default:
        return value.toString();
    }
}
