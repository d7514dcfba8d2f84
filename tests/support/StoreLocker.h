#pragma once

#include <QProcess>
#include <QString>

// Another program holding the store locked: the sqlite3 shell inside BEGIN EXCLUSIVE.
class StoreLocker
{
public:
    explicit StoreLocker(const QString &storePath);
    ~StoreLocker();

    // True once the lock is held.
    bool lock();
    // Ends the transaction without changing anything and lets the shell end.
    bool release();

private:
    QString m_storePath;
    QProcess m_shell;
};
