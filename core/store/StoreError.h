#pragma once

#include <QString>

// A failure of the store, told apart by its number. Number 0 means success.
struct StoreError
{
    enum Number : int {
        None = 0,
        General = 3000,
        NoPendingEdit = 3020,
        NoCurrentRecord = 3021,
        FileNotFound = 3024,
        ReadOnly = 3027,
        CannotOpenFile = 3051,
        TableNotFound = 3078,
        RecordDeleted = 3167,
        Locked = 3260,
        FieldNotFound = 3265,
        ZeroLengthText = 3315,
        NotADatabase = 3343,
    };

    int number = None;
    QString description;

    bool failed() const { return number != None; }
    explicit operator bool() const { return failed(); }

    static StoreError noPendingEdit();
    static StoreError noCurrentRecord();
    static StoreError recordDeleted();
    static StoreError readOnly();
    static StoreError zeroLengthText(const QString &qualifiedField);
    static StoreError fieldNotFound(const QString &field);
};
