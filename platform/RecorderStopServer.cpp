#include "RecorderStopServer.h"

#include "LocalRequestClients.h"

#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QStandardPaths>

namespace {

constexpr int maxOpenClients = 8;

} // namespace

QString RecorderStopServer::socketPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/quillsnd-control");
}

RecorderStopServer::RecorderStopServer(QObject *parent)
    : QObject(parent)
    , m_clients(new LocalRequestClients(Request, Answer, maxOpenClients, this))
{
    connect(m_clients, &LocalRequestClients::requested, this, &RecorderStopServer::stopRequested);
}

RecorderStopServer::~RecorderStopServer()
{
    if (m_listener < 0)
        return;
    ::close(m_listener);
    const QByteArray path = QFile::encodeName(socketPath());
    struct stat status {};
    if (::stat(path.constData(), &status) == 0 && status.st_dev == m_device && status.st_ino == m_inode)
        ::unlink(path.constData());
}

bool RecorderStopServer::listen()
{
    if (m_listener >= 0)
        return true;
    const QByteArray path = QFile::encodeName(socketPath());
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));

    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0)
        return false;
    // A socket left here belongs to a recorder that ended or is ending; the newest one is the one to stop.
    ::unlink(path.constData());
    struct stat status {};
    if (::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, maxOpenClients) != 0 || ::stat(path.constData(), &status) != 0) {
        ::close(listener);
        return false;
    }
    m_listener = listener;
    m_device = status.st_dev;
    m_inode = status.st_ino;
    m_notifier = new QSocketNotifier(qintptr(listener), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &RecorderStopServer::acceptConnection);
    return true;
}

void RecorderStopServer::acceptConnection()
{
    const int descriptor = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (descriptor < 0)
        return;
    if (!m_clients->hasRoom()) {
        ::close(descriptor);
        return;
    }
    auto *client = new QLocalSocket;
    if (!client->setSocketDescriptor(descriptor)) {
        ::close(descriptor);
        delete client;
        return;
    }
    m_clients->take(client);
}
