#pragma once

#include "ProgramLauncher.h"

#include <QObject>

// Starts the program without a shell, so the argument reaches it unchanged, and lets it run on its
// own: in a session of its own, its streams on /dev/null, reaped when it exits so that none is
// left a zombie. A Windows program is handed to wine when wine is installed.
class DetachedProgramLauncher : public QObject, public ProgramLauncher
{
    Q_OBJECT

public:
    explicit DetachedProgramLauncher(QObject *parent = nullptr);

    bool canLaunch(const QString &executable) const override;
    bool launch(const QString &executable, const QStringList &arguments) override;

private:
    bool spawn(const QString &program, const QStringList &arguments);
    void reapWhenExited(int pid);
};
