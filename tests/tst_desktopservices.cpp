#include "DBusDesktopNotices.h"
#include "FakeLogind.h"
#include "FakeNotifications.h"
#include "LogindSleepInhibitor.h"
#include "PrivateBus.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QSignalSpy>
#include <QTest>



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
        QVERIFY(logind.registerOn(m_bus.connection()));
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
