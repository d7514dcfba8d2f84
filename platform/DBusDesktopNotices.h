#pragma once

#include "DesktopNotices.h"

#include <QObject>
#include <QString>

// Sends notices to the desktop's notification service over the session bus, without waiting
// for it. Without a bus or a service a notice is dropped quietly: it is never the only word.
class DBusDesktopNotices : public QObject, public DesktopNotices
{
    Q_OBJECT

public:
    explicit DBusDesktopNotices(QString applicationName, QObject *parent = nullptr);

    void notify(const QString &summary, const QString &body) override;
    // Waits until every notice sent so far has been answered or failed, at most timeoutMs.
    // For a program that is about to exit; true when nothing is outstanding any more.
    bool waitForDelivery(int timeoutMs);

signals:
    void delivered();

private:
    QString m_applicationName;
    int m_pending = 0;
};
