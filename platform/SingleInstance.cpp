#include "SingleInstance.h"

#include "LocalRequestClients.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

const QByteArray raiseRequest = QByteArrayLiteral("quillscheduler raise 1\n");
const QByteArray raiseAnswer = QByteArrayLiteral("quillscheduler raised 1\n");

constexpr int connectTimeoutMs = 1000;
constexpr int answerTimeoutMs = 3000;
constexpr int maxOpenClients = 16;
constexpr int listenRetryMs = 2000;

// The user id and a short hash of where the executable really lies: copies elsewhere are separate programs.
QString identityKey(const QString &executablePath)
{
    const QFileInfo info(executablePath);
    QString path = info.canonicalFilePath();
    if (path.isEmpty())
        path = info.absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("quillscheduler-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

// The runtime directory belongs to the user alone (mode 0700), so nobody else can take the names in it.
QString runtimePath(const QString &fileName)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + fileName;
}

} // namespace

SingleInstance::SingleInstance(const QString &executablePath, QObject *parent)
    : QObject(parent)
    , m_serverName(runtimePath(identityKey(executablePath) + QStringLiteral(".socket")))
    , m_lock(runtimePath(identityKey(executablePath) + QStringLiteral(".lock")))
    , m_clients(new LocalRequestClients(raiseRequest, raiseAnswer, maxOpenClients, this))
{
    connect(m_clients, &LocalRequestClients::requested, this, &SingleInstance::raiseRequested);
    // The lock is held for the whole run; only a dead holder may lose it.
    m_lock.setStaleLockTime(0);
    m_listenRetry.setInterval(listenRetryMs);
    connect(&m_listenRetry, &QTimer::timeout, this, &SingleInstance::listen);
}

SingleInstance::~SingleInstance()
{
    // Stop answering before the lock goes, so no new start is told this copy is still there.
    delete m_server;
    m_lock.unlock();
}

bool SingleInstance::claim()
{
    // A dead holder's lock is reclaimed here at once: QLockFile sees that its PID is gone.
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return true;
    // The holder may still be starting or already ending; then it cannot answer and we go ahead.
    return !askRunningCopyToRaise();
}

void SingleInstance::acceptRaiseRequests()
{
    if (m_server)
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    listen();
}

QString SingleInstance::serverName() const
{
    return m_serverName;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

bool SingleInstance::askRunningCopyToRaise()
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(connectTimeoutMs) || !LocalRequestClients::peerIsSameUser(socket.socketDescriptor()))
        return false;
    socket.write(raiseRequest);
    socket.flush();

    const QDeadlineTimer deadline(answerTimeoutMs);
    QByteArray answer;
    while (answer.size() < raiseAnswer.size()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
        answer += socket.read(raiseAnswer.size() - answer.size());
        if (!raiseAnswer.startsWith(answer))
            return false;
    }
    return true;
}

bool SingleInstance::someoneListens() const
{
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    const bool connected = probe.waitForConnected(connectTimeoutMs);
    probe.abort();
    return connected;
}

void SingleInstance::listen()
{
    // The name may still be served by another full copy of ours; take it over once that one ends.
    // A socket file that nobody answers on is what a killed copy left behind; only the lock's
    // holder clears it, so that two copies going ahead together cannot clear each other's.
    if (m_lock.isLocked() && !someoneListens())
        QLocalServer::removeServer(m_serverName);
    if (m_server->listen(m_serverName))
        m_listenRetry.stop();
    else if (!m_listenRetry.isActive())
        m_listenRetry.start();
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *client = m_server->nextPendingConnection())
        m_clients->take(client);
}
