#pragma once

#include <QString>

#include <optional>

// The automatic-stop length as an edit reads it back from a task's stored seconds, split into
// the parts of the four length lists.
class StoredLength
{
public:
    qint64 days = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;

    // Nothing when the text is not a whole number of seconds, zero or more, in plain decimal digits.
    static std::optional<StoredLength> fromParameter(const QString &parameter);
};
