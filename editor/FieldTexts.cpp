#include "FieldTexts.h"

#include "ResultSet.h"
#include "ValueText.h"

namespace {

// Reading a field that has no value as text fails, as it does for the main window's copy.
StoreError invalidUseOfNull()
{
    return {94, QStringLiteral("Invalid use of Null")};
}

} // namespace

StoreError FieldTexts::copy(const ResultSet *rows, std::initializer_list<Target> targets, Missing missing,
                            const DateTimeText &texts)
{
    for (const auto &[field, show] : targets) {
        StoreError error = rows ? StoreError() : StoreError::noCurrentRecord();
        const QVariant value = rows ? rows->value(field, &error) : QVariant();
        if (!error && value.isNull())
            error = invalidUseOfNull();
        if (error && missing == Missing::Stops)
            return error;
        show(error ? QString() : ValueText::of(value, texts));
    }
    return {};
}
