#include "FakeNotifications.h"

bool FakeNotifications::registerOn(QDBusConnection bus)
{
    return bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportAllSlots)
           && bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

uint FakeNotifications::Notify(const QString &applicationName, uint replacesId, const QString &icon,
                               const QString &summary, const QString &body, const QStringList &actions,
                               const QVariantMap &hints, int expireTimeout)
{
    notices.append({applicationName, replacesId, icon, summary, body, actions, hints, expireTimeout});
    return uint(notices.size());
}
