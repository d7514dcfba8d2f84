#pragma once

#include <QString>

class DesktopNotices;

// A problem the user must learn about, said on standard error and as a desktop notice, so that it
// reaches someone whether the recorder was started by hand or by the scheduler.
namespace ProblemReport {

void tell(DesktopNotices &notices, const QString &message);

} // namespace ProblemReport
