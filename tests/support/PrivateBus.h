#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantMap>

// A D-Bus daemon, the session and system bus of this process and all it starts; connection() serves the stand-ins below.
class PrivateBus
{
public:
    ~PrivateBus();
    bool start();
    QDBusConnection connection() const;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// The desktop's notification service, which CI lacks: keeps every notice it is sent.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notice
    {
        QString applicationName, summary, body;
    };
    bool registerOn(QDBusConnection bus);
    QList<Notice> notices;

public slots:
    uint Notify(const QString &applicationName, uint replacesId, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);
};

// logind, which CI lacks: each lock is the write end of a pipe, so the test sees when every copy is closed.
class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLogind() override;
    bool registerOn(QDBusConnection bus);
    // True while some copy of the lock handed out by that call is still open.
    bool lockOpen(int call) const;
    QList<QStringList> calls;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode);

private:
    QList<int> m_readEnds;
};
