#pragma once

#include <QProcess>
#include <QString>

// Another program holding the store: the sqlite3 shell inside a transaction.
class StoreLocker
{
public:
    explicit StoreLocker(const QString &storePath) : m_storePath(storePath) {}
    ~StoreLocker();

    // Exclusively, so that nobody reads or writes; or as a reader in mid-read, which lets others write but not commit.
    enum class Hold { Exclusive, Reading };

    // True once the lock is held.
    bool lock(Hold hold = Hold::Exclusive);
    // Holds the lock for this long and then lets go by itself, while the test goes on elsewhere.
    bool lockFor(int ms);
    // Ends the transaction without changing anything and lets the shell end.
    bool release();

private:
    bool hold(const QByteArray &begin, const QByteArray &afterwards);

    QString m_storePath;
    QProcess m_shell;
};
