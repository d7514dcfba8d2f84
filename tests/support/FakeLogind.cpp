#include "FakeLogind.h"

#include <fcntl.h>
#include <unistd.h>

FakeLogind::~FakeLogind()
{
    for (const int end : std::as_const(readEnds))
        ::close(end);
}

bool FakeLogind::registerOn(QDBusConnection bus)
{
    return bus.registerObject(QStringLiteral("/org/freedesktop/login1"), this, QDBusConnection::ExportAllSlots)
           && bus.registerService(QStringLiteral("org.freedesktop.login1"));
}

bool FakeLogind::lockOpen(int call) const
{
    char byte = 0;
    return ::read(readEnds.at(call), &byte, 1) < 0;
}

QDBusUnixFileDescriptor FakeLogind::Inhibit(const QString &what, const QString &who, const QString &why,
                                            const QString &mode)
{
    calls.append({what, who, why, mode});
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return {};
    readEnds.append(ends[0]);
    const QDBusUnixFileDescriptor lock(ends[1]);
    ::close(ends[1]);
    return lock;
}
