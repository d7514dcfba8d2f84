#include "LocalRequestClients.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QTimer>

namespace {

// A client gets this long to send its request before it is dropped.
constexpr int clientTimeoutMs = 2000;

} // namespace

LocalRequestClients::LocalRequestClients(QByteArray request, QByteArray answer, int maxClients, QObject *parent)
    : QObject(parent)
    , m_request(std::move(request))
    , m_answer(std::move(answer))
    , m_maxClients(maxClients)
{
}

bool LocalRequestClients::peerIsSameUser(qintptr descriptor)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return descriptor >= 0 && ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0
           && credentials.uid == ::getuid();
}

void LocalRequestClients::take(QLocalSocket *client)
{
    client->setParent(this);
    if (!hasRoom() || !peerIsSameUser(client->socketDescriptor())) {
        drop(client);
        return;
    }
    ++m_openClients;
    connect(client, &QObject::destroyed, this, [this] { --m_openClients; });
    // Nobody needs more than the request and one byte to prove it is something else.
    client->setReadBufferSize(m_request.size() + 1);
    connect(client, &QLocalSocket::readyRead, this, [this, client] { readRequest(client); });
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    QTimer::singleShot(clientTimeoutMs, client, [client] { drop(client); });
    if (client->bytesAvailable() > 0)
        readRequest(client);
}

void LocalRequestClients::readRequest(QLocalSocket *client)
{
    if (client->state() != QLocalSocket::ConnectedState)
        return;
    const QByteArray seen = client->peek(m_request.size() + 1);
    if (seen.size() > m_request.size() || !m_request.startsWith(seen)) {
        drop(client);
        return;
    }
    if (seen.size() < m_request.size())
        return;
    client->readAll();
    // Answered first, so that the asking side can go on before this one gets busy.
    client->write(m_answer);
    client->disconnectFromServer();
    emit requested();
}

void LocalRequestClients::drop(QLocalSocket *client)
{
    client->abort();
    client->deleteLater();
}
