#include "Startup.h"

#include "MessageBoxes.h"
#include "OutputFormat.h"

std::unique_ptr<Scheduler> Startup::showMainWindow(const Scheduler::Services &services)
{
    OutputFormatIndex = 2;

    auto scheduler = std::make_unique<Scheduler>(services);
    if (const StoreError error = scheduler->Form_Load()) {
        services.messageBoxes.show(nullptr,
                                   QStringLiteral("计划数据库无法打开, 程序将退出.\n\n错误 %1: %2")
                                       .arg(error.number)
                                       .arg(error.description),
                                   QString::fromUtf8(Scheduler::ApplicationTitle), MessageButtons::Ok,
                                   MessageIcon::Critical);
        return nullptr;
    }
    scheduler->show();
    return scheduler;
}
