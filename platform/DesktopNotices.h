#pragma once

#include <QString>

// Short notices on the desktop, for what a user should learn even when no window of ours is open.
class DesktopNotices
{
public:
    virtual ~DesktopNotices() = default;
    virtual void notify(const QString &summary, const QString &body) = 0;
};
