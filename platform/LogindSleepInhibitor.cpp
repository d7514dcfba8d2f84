#include "LogindSleepInhibitor.h"

#include <utility>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

LogindSleepInhibitor::LogindSleepInhibitor(QString who, QObject *parent)
    : QObject(parent)
    , m_who(std::move(who))
{
}

void LogindSleepInhibitor::hold(const QString &why)
{
    m_wanted = true;
    if (m_pending || m_lock.isValid())
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << m_who << why << QStringLiteral("block");
    m_pending = true;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        m_pending = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
        // A lock that comes after release is dropped with the reply that carries it.
        if (m_wanted && reply.isValid())
            m_lock = reply.value();
        finished->deleteLater();
        emit answered();
    });
}

void LogindSleepInhibitor::release()
{
    m_wanted = false;
    m_lock = QDBusUnixFileDescriptor();
}
