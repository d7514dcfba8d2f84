#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>

// A D-Bus daemon of the test's own. start() makes it this process's session and system bus, so
// QtDBus and every program started afterwards talk to it; connection() is a separate connection
// to it, for the test's stand-in services.
class PrivateBus
{
public:
    PrivateBus() = default;
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool start();
    QDBusConnection connection() const;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};
