#include "DateTimeText.h"
#include "QtMessageBoxes.h"
#include "Scheduler.h"
#include "SingleInstance.h"
#include "Startup.h"

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
    const DateTimeText dateTimeText;
    const Scheduler::Services services{QCoreApplication::applicationDirPath(), messageBoxes, dateTimeText};

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
