#include "DBusDesktopNotices.h"

#include <utility>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QTimer>
#include <QVariantMap>

namespace {

// A service that does not answer within this long is not going to show the notice in time to matter.
constexpr int callTimeoutMs = 5000;

} // namespace

DBusDesktopNotices::DBusDesktopNotices(QString applicationName, QObject *parent)
    : QObject(parent)
    , m_applicationName(std::move(applicationName))
{
}

void DBusDesktopNotices::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << m_applicationName << uint(0) << QString() << summary << body << QStringList() << QVariantMap()
         << int(-1);
    ++m_pending;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        --m_pending;
        emit delivered();
    });
}

bool DBusDesktopNotices::waitForDelivery(int timeoutMs)
{
    if (m_pending == 0)
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    connect(this, &DBusDesktopNotices::delivered, &loop, [this, &loop] {
        if (m_pending == 0)
            loop.quit();
    });
    loop.exec();
    return m_pending == 0;
}
