#include "StoreError.h"

StoreError StoreError::noPendingEdit()
{
    return {NoPendingEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit.")};
}

StoreError StoreError::noCurrentRecord()
{
    return {NoCurrentRecord, QStringLiteral("No current record.")};
}

StoreError StoreError::recordDeleted()
{
    return {RecordDeleted, QStringLiteral("Record is deleted.")};
}

StoreError StoreError::readOnly()
{
    return {ReadOnly, QStringLiteral("Cannot update. Database or object is read-only.")};
}

StoreError StoreError::zeroLengthText(const QString &qualifiedField)
{
    return {ZeroLengthText, QStringLiteral("Field '%1' cannot be a zero-length string.").arg(qualifiedField)};
}

StoreError StoreError::fieldNotFound(const QString &field)
{
    return {FieldNotFound, QStringLiteral("Item '%1' not found in this collection.").arg(field)};
}
