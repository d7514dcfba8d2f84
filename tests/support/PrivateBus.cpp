#include "PrivateBus.h"

namespace {

const QString connectionName = QStringLiteral("test-services");

} // namespace

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(connectionName);
    m_daemon.kill();
    m_daemon.waitForFinished(5000);
}

bool PrivateBus::start()
{
    const QString address = QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("bus"));
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                   QStringLiteral("--print-address"), QStringLiteral("--address=") + address});
    if (!m_daemon.waitForReadyRead(10000))
        return false;
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
    return connection().isConnected();
}

QDBusConnection PrivateBus::connection() const
{
    return QDBusConnection::connectToBus(m_address, connectionName);
}
