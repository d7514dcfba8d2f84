#pragma once

#include "DesktopNotices.h"
#include "SleepInhibitor.h"

#include <QStringList>

// Keeps the notices it is given and why sleep is held (empty while it is not), for the test to read.
class RecordedDesktop : public DesktopNotices, public SleepInhibitor
{
public:
    void notify(const QString &summary, const QString &body) override { notices << summary + " | " + body; }
    void hold(const QString &why) override { sleepHeldFor = why; }
    void release() override { sleepHeldFor.clear(); }

    QStringList notices;
    QString sleepHeldFor;
};
