#include "RecorderStopClient.h"

#include "RecorderStopServer.h"

#include <QLocalSocket>

namespace {

constexpr int answerTimeoutMs = 1000;
const QByteArray answer(RecorderStopServer::Answer);

} // namespace

RecorderStopClient::RecorderStopClient(QObject *parent)
    : QObject(parent)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(answerTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] { finish(false); });
}

void RecorderStopClient::requestStop()
{
    if (m_socket)
        return;
    m_answer.clear();
    m_socket = new QLocalSocket(this);
    connect(m_socket, &QLocalSocket::connected, m_socket,
            [socket = m_socket] { socket->write(RecorderStopServer::Request); });
    connect(m_socket, &QLocalSocket::readyRead, this, &RecorderStopClient::readAnswer);
    // The answer and the server's hang-up may come together; what was read still counts.
    connect(m_socket, &QLocalSocket::errorOccurred, this, [this] {
        if (m_socket->bytesAvailable() > 0)
            readAnswer();
        finish(false);
    });
    m_timeout.start();
    m_socket->connectToServer(RecorderStopServer::socketPath());
}

void RecorderStopClient::readAnswer()
{
    m_answer += m_socket->read(answer.size() - m_answer.size());
    if (!answer.startsWith(m_answer))
        finish(false);
    else if (m_answer.size() == answer.size())
        finish(true);
}

void RecorderStopClient::finish(bool acknowledged)
{
    if (!m_socket)
        return;
    m_timeout.stop();
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
    m_socket = nullptr;
    emit finished(acknowledged);
}
