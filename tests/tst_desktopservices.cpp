#include "DBusDesktopNotices.h"
#include "LogindSleepInhibitor.h"
#include "PrivateBus.h"
#include "RecorderStopClient.h"
#include "RecorderStopServer.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

// The services a recorder talks to beside its sound: the notices and logind over a bus of the test's
// own, with stand-ins for both, and the stop request in a runtime directory of the test's own.
class DesktopServicesTest : public QObject
{
    Q_OBJECT

private:
    PrivateBus m_bus;
    QTemporaryDir m_runtimeDir;

    // 1 when a recorder acknowledged the stop request, 0 when none is there, -1 without an answer.
    static int askToStop()
    {
        RecorderStopClient client;
        QSignalSpy finished(&client, &RecorderStopClient::finished);
        client.requestStop();
        if (finished.isEmpty() && !finished.wait(5000))
            return -1;
        return finished.first().first().toBool() ? 1 : 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir.path()));
    }

    void noticeReachesTheServiceAsSent()
    {
        FakeNotifications service;
        QVERIFY(service.registerOn(m_bus.connection()));
        DBusDesktopNotices notices(QStringLiteral("Quillsound"));
        notices.notify(QStringLiteral("summary"), QStringLiteral("body & more"));
        QVERIFY(notices.waitForDelivery(5000));
        QCOMPARE(service.notices.size(), 1);
        const FakeNotifications::Notice notice = service.notices.first();
        QCOMPARE(notice.applicationName + notice.summary + notice.body, QStringLiteral("Quillsoundsummarybody & more"));
        m_bus.connection().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        // Without the service the notice is given up, not waited for.
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

    void stopRequestReachesTheNewestRecorderOnly()
    {
        QVERIFY(RecorderStopServer::socketPath().startsWith(m_runtimeDir.path()));
        QCOMPARE(askToStop(), 0);
        // Whatever a recorder that is gone left at the path.
        QFile leftover(RecorderStopServer::socketPath());
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        auto older = std::make_unique<RecorderStopServer>();
        QVERIFY(older->listen());
        RecorderStopServer newer;
        QVERIFY(newer.listen());
        QSignalSpy stops(&newer, &RecorderStopServer::stopRequested);
        // The older one ending leaves the newer one's socket.
        older.reset();

        QLocalSocket stray;
        stray.connectToServer(RecorderStopServer::socketPath());
        QVERIFY(stray.waitForConnected(2000));
        stray.write("quillsnd stop 2\n");
        QTRY_COMPARE(stray.state(), QLocalSocket::UnconnectedState);
        QVERIFY(stray.readAll().isEmpty());
        QCOMPARE(stops.size(), 0);

        QCOMPARE(askToStop(), 1);
        QCOMPARE(stops.size(), 1);
    }
};

QTEST_GUILESS_MAIN(DesktopServicesTest)
#include "tst_desktopservices.moc"
