#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

class LocalRequestClients;
class QLocalServer;

// Keeps one copy of the program per user and executable.
// A lock file in the user's runtime directory says who came first; once a copy has its
// main window it listens on a local socket in that directory, which only the user can reach,
// and later starts ask it to come to the front instead of opening a second window. A start that finds no copy able to
// answer goes ahead, so a copy that hangs, crashed or is still starting never blocks it.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &executablePath, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this copy should go ahead; false when a running copy was asked to come
    // to the front and acknowledged it, so this copy should end.
    bool claim();
    // Called once the main window exists: from now on raise requests are accepted.
    // If another full copy still serves the name, this one takes it over once that copy ends.
    void acceptRaiseRequests();

    // The path of the socket this executable's copies meet on.
    QString serverName() const;
    // True once raise requests actually reach this copy.
    bool isListening() const;

signals:
    void raiseRequested();

private:
    bool askRunningCopyToRaise();
    bool someoneListens() const;
    void listen();
    void acceptConnections();

    QString m_serverName;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    QTimer m_listenRetry;
    LocalRequestClients *m_clients;
};
