#include "DBusDesktopNotices.h"
#include "FakeNotifications.h"
#include "LogindSleepInhibitor.h"
#include "PrivateBus.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A stand-in for logind: each lock is the write end of a pipe, so the test sees when every copy is closed.
class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLogind() override
    {
        for (const int end : std::as_const(readEnds))
            ::close(end);
    }

    QList<QStringList> calls;
    QList<int> readEnds;

    // True while some copy of the lock handed out by that call is still open.
    bool lockOpen(int call) const
    {
        char byte = 0;
        return ::read(readEnds.at(call), &byte, 1) < 0;
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode)
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
};

} // namespace

// The desktop services over a bus of the test's own, with stand-ins for the notification service and logind.
class DesktopServicesTest : public QObject
{
    Q_OBJECT

private:
    PrivateBus m_bus;

private slots:
    void initTestCase() { QVERIFY(m_bus.start()); }

    void noticeReachesTheServiceAsSent()
    {
        FakeNotifications service;
        QVERIFY(service.registerOn(m_bus.connection()));
        DBusDesktopNotices notices(QStringLiteral("Quillsound"));
        notices.notify(QStringLiteral("summary"), QStringLiteral("body & more"));
        QVERIFY(notices.waitForDelivery(5000));
        QCOMPARE(service.notices.size(), 1);
        const FakeNotifications::Notice notice = service.notices.first();
        QCOMPARE(notice.applicationName, QStringLiteral("Quillsound"));
        QCOMPARE(notice.replacesId, 0u);
        QCOMPARE(notice.icon, QString());
        QCOMPARE(notice.summary, QStringLiteral("summary"));
        QCOMPARE(notice.body, QStringLiteral("body & more"));
        QVERIFY(notice.actions.isEmpty() && notice.hints.isEmpty());
        QCOMPARE(notice.expireTimeout, -1);
        m_bus.connection().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    }

    void noticeWithoutServiceIsDropped()
    {
        DBusDesktopNotices notices(QStringLiteral("Quillsound"));
        notices.notify(QStringLiteral("summary"), QStringLiteral("body"));
        QVERIFY(notices.waitForDelivery(5000));
    }

    void sleepLockIsHeldOnceAndClosedOnRelease()
    {
        FakeLogind logind;
        QVERIFY(m_bus.connection().registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                                  QDBusConnection::ExportAllSlots));
        QVERIFY(m_bus.connection().registerService(QStringLiteral("org.freedesktop.login1")));
        LogindSleepInhibitor inhibitor(QStringLiteral("Quillsound"));
        QSignalSpy answered(&inhibitor, &LogindSleepInhibitor::answered);

        inhibitor.hold(QStringLiteral("recording"));
        inhibitor.hold(QStringLiteral("recording again"));
        QVERIFY(answered.wait(5000));
        QCOMPARE(logind.calls, QList<QStringList>({{QStringLiteral("sleep"), QStringLiteral("Quillsound"),
                                                    QStringLiteral("recording"), QStringLiteral("block")}}));
        QVERIFY(inhibitor.isHeld());
        QTRY_VERIFY(logind.lockOpen(0));
        inhibitor.hold(QStringLiteral("held already"));
        inhibitor.release();
        QTRY_VERIFY(!logind.lockOpen(0));

        // A lock that arrives after its release is not kept.
        inhibitor.hold(QStringLiteral("short"));
        inhibitor.release();
        QVERIFY(answered.wait(5000));
        QCOMPARE(logind.calls.size(), 2);
        QVERIFY(!inhibitor.isHeld());
        QTRY_VERIFY(!logind.lockOpen(1));
    }
};

QTEST_GUILESS_MAIN(DesktopServicesTest)
#include "tst_desktopservices.moc"
