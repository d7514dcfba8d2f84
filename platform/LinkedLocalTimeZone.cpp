#include "LinkedLocalTimeZone.h"

#include <QFileInfo>

#include <ctime>

namespace {

constexpr QLatin1StringView ZoneDatabaseFolder("/zoneinfo/");

} // namespace

LinkedLocalTimeZone::LinkedLocalTimeZone(const QString &linkPath, QObject *parent)
    : LocalTimeZone(parent)
    , m_linkPath(linkPath)
    , m_zone(read())
{
    // The time settings replace the link rather than rewrite it: its folder is what changes.
    m_watcher.addPath(QFileInfo(linkPath).absolutePath());
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &LinkedLocalTimeZone::follow);
}

void LinkedLocalTimeZone::follow()
{
    // The C library reads the zone again only when asked to: the clock's own texts follow with it.
    tzset();
    const QTimeZone zone = read();
    if (zone == m_zone)
        return;
    m_zone = zone;
    emit changed();
}

QTimeZone LinkedLocalTimeZone::read() const
{
    const QString target = QFileInfo(m_linkPath).symLinkTarget();
    const qsizetype name = target.lastIndexOf(ZoneDatabaseFolder);
    if (qEnvironmentVariableIsSet("TZ") || name < 0)
        return QTimeZone::systemTimeZone();
    const QTimeZone zone(target.mid(name + ZoneDatabaseFolder.size()).toUtf8());
    return zone.isValid() ? zone : QTimeZone::systemTimeZone();
}
