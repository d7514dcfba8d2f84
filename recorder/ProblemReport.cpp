#include "ProblemReport.h"

#include "DesktopNotices.h"

#include <cstdio>

namespace ProblemReport {

void tell(DesktopNotices &notices, const QString &message)
{
    std::fprintf(stderr, "quillsnd.exe: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    notices.notify(QStringLiteral("Quillsound"), message);
}

} // namespace ProblemReport
