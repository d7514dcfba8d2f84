#pragma once

#include "StoreError.h"

#include <QLatin1StringView>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>

class DateTimeText;
class ResultSet;

// Copies fields of a cursor's current row, as the windows show them, into controls, in the order given.
class FieldTexts
{
public:
    using Target = std::pair<QLatin1StringView, std::function<void(const QString &)>>;

    // A field that cannot be read, or has no value, either ends the copy with its error, as a copy by
    // code does, or is shown as empty text, as a bound view does.
    enum class Missing { Stops, ShowsEmpty };

    static StoreError copy(const ResultSet *rows, std::initializer_list<Target> targets, Missing missing,
                           const DateTimeText &texts);
};
