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
    // Holds the lock for this long and then lets go by itself, while the test goes on elsewhere.
    bool lockFor(int ms);
    // Ends the transaction without changing anything and lets the shell end.
    bool release();

private:
    bool hold(const QByteArray &afterwards);

    QString m_storePath;
    QProcess m_shell;
};
