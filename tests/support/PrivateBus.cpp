#include "PrivateBus.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

// At the object path its service name spells, as the real services are.
bool serve(QDBusConnection bus, QString service, QObject *object)
{
    return bus.registerObject("/" + QString(service).replace('.', '/'), object, QDBusConnection::ExportAllSlots)
           && bus.registerService(service);
}

} // namespace

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus("test-services");
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}

bool PrivateBus::start()
{
    m_daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address", "--address=unix:path=" + m_dir.filePath("bus")});
    if (!m_daemon.waitForReadyRead(10000))
        return false;
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
    return connection().isConnected();
}

QDBusConnection PrivateBus::connection() const
{
    return QDBusConnection::connectToBus(m_address, "test-services");
}

bool FakeNotifications::registerOn(QDBusConnection bus)
{
    return serve(bus, "org.freedesktop.Notifications", this);
}

uint FakeNotifications::Notify(const QString &applicationName, uint, const QString &, const QString &summary,
                               const QString &body, const QStringList &, const QVariantMap &, int)
{
    notices.append({applicationName, summary, body});
    return uint(notices.size());
}

FakeLogind::~FakeLogind()
{
    for (const int end : std::as_const(m_readEnds))
        ::close(end);
}

bool FakeLogind::registerOn(QDBusConnection bus)
{
    return serve(bus, "org.freedesktop.login1", this);
}

bool FakeLogind::lockOpen(int call) const
{
    char byte = 0;
    return call < m_readEnds.size() && ::read(m_readEnds.at(call), &byte, 1) < 0;
}

QDBusUnixFileDescriptor FakeLogind::Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode)
{
    calls.append({what, who, why, mode});
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return {};
    m_readEnds.append(ends[0]);
    const QDBusUnixFileDescriptor lock(ends[1]);
    ::close(ends[1]);
    return lock;
}
