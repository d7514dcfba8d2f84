#pragma once

#include <QString>
#include <QVariant>

class DateTimeText;

// A field value as the windows show it: dates and times by the one text rule, no value as empty text.
class ValueText
{
public:
    static QString of(const QVariant &value, const DateTimeText &dateTimeText);
};
