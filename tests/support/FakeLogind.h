#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QList>
#include <QObject>
#include <QStringList>

// A stand-in for logind: each lock is the write end of a pipe, so the test sees when every copy is closed.
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
    QList<int> readEnds;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode);
};
