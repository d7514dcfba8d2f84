#pragma once

#include "SleepInhibitor.h"

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

// Takes a "block" sleep lock from systemd-logind over the system bus, asked for without waiting.
// logind keeps the lock for as long as the file descriptor it hands out stays open. Without a
// system bus or logind nothing happens.
class LogindSleepInhibitor : public QObject, public SleepInhibitor
{
    Q_OBJECT

public:
    explicit LogindSleepInhibitor(QString who, QObject *parent = nullptr);

    void hold(const QString &why) override;
    void release() override;

    bool isHeld() const { return m_lock.isValid(); }

signals:
    // Once logind has answered a hold, with or without a lock.
    void answered();

private:
    QString m_who;
    QDBusUnixFileDescriptor m_lock;
    bool m_wanted = false;
    bool m_pending = false;
};
