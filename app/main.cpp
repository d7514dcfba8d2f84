#include "AddSchedule.h"
#include "DBusDesktopNotices.h"
#include "DateTimeText.h"
#include "DetachedProgramLauncher.h"
#include "LinkedLocalTimeZone.h"
#include "LinuxProcessTerminator.h"
#include "LogindSleepInhibitor.h"
#include "PulseSoundSourceList.h"
#include "QtFileDialog.h"
#include "QtMessageBoxes.h"
#include "RecorderLaunch.h"
#include "RecorderStopClient.h"
#include "Scheduler.h"
#include "SingleInstance.h"
#include "Startup.h"
#include "SystemClock.h"
#include "X11WindowKeystrokes.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(Scheduler::ApplicationTitle));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quillscheduler.png")));

    SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.claim())
        return 0;

    QtMessageBoxes messageBoxes;
    QtFileDialog fileDialog;
    const DateTimeText dateTimeText;
    const SystemClock clock;
    const LinkedLocalTimeZone timeZone(QStringLiteral("/etc/localtime"));
    LinuxProcessTerminator terminator;
    DetachedProgramLauncher launcher;
    X11WindowKeystrokes keystrokes;
    RecorderStopClient stopClient;
    RecorderLaunch recorder(terminator, launcher, keystrokes, stopClient);
    DBusDesktopNotices notices(QString::fromUtf8(Scheduler::ApplicationTitle));
    LogindSleepInhibitor sleepInhibitor(QString::fromUtf8(Scheduler::ApplicationTitle));
    PulseSoundSourceList soundSources;
    const WindowServices windowServices{QCoreApplication::applicationDirPath(),
                                        messageBoxes,
                                        fileDialog,
                                        dateTimeText,
                                        clock,
                                        timeZone,
                                        soundSources};
    const Scheduler::Services services{windowServices, recorder, notices, sleepInhibitor,
                                       [windowServices](MainWindowLink &mainWindow) {
                                           return AddSchedule::load(mainWindow, windowServices);
                                       }};

    const std::unique_ptr<Scheduler> scheduler = Startup::showMainWindow(services);
    if (!scheduler)
        return 1;

    QObject::connect(&instance, &SingleInstance::raiseRequested, scheduler.get(), [window = scheduler.get()] {
        window->showNormal();
        window->raise();
        window->activateWindow();
    });
    instance.acceptRaiseRequests();
    return app.exec();
}
