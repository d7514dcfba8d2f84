#include "StoredLength.h"

#include <algorithm>

std::optional<StoredLength> StoredLength::fromParameter(const QString &parameter)
{
    const QString digits = parameter.trimmed();
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (digits.isEmpty() || !std::all_of(digits.cbegin(), digits.cend(), isDigit))
        return std::nullopt;
    bool fits = false;
    const qint64 total = digits.toLongLong(&fits);
    if (!fits)
        return std::nullopt;
    StoredLength length;
    length.days = total / 86400;
    length.hours = int(total % 86400 / 3600);
    length.minutes = int(total % 3600 / 60);
    length.seconds = int(total % 60);
    return length;
}
