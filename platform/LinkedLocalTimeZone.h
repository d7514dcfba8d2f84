#pragma once

#include "LocalTimeZone.h"

#include <QFileSystemWatcher>

// The machine's zone as named by the link that the system's time settings replace (/etc/localtime
// pointing into the zone database), watched so that a change counts at once. While TZ is set, the
// C library and Qt read it instead of the link, and the zone stays as it was at start-up.
class LinkedLocalTimeZone : public LocalTimeZone
{
    Q_OBJECT

public:
    explicit LinkedLocalTimeZone(const QString &linkPath, QObject *parent = nullptr);

    QTimeZone current() const override { return m_zone; }

private:
    void follow();
    QTimeZone read() const;

    QString m_linkPath;
    QFileSystemWatcher m_watcher;
    QTimeZone m_zone;
};
