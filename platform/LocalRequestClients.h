#pragma once

#include <QByteArray>
#include <QObject>

class QLocalSocket;

// The clients of a local socket that may send one exact, short request. A client of another user,
// one over the limit, one that sends anything else and one that is too slow are dropped; the request
// is answered and reported.
class LocalRequestClients : public QObject
{
    Q_OBJECT

public:
    LocalRequestClients(QByteArray request, QByteArray answer, int maxClients, QObject *parent = nullptr);

    bool hasRoom() const { return m_openClients < m_maxClients; }
    // Takes the connected client over.
    void take(QLocalSocket *client);

    // Whether the process at the other end of the socket runs as this user.
    static bool peerIsSameUser(qintptr descriptor);

signals:
    void requested();

private:
    void readRequest(QLocalSocket *client);
    static void drop(QLocalSocket *client);

    QByteArray m_request;
    QByteArray m_answer;
    int m_maxClients;
    int m_openClients = 0;
};
