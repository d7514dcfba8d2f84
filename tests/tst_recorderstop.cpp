#include "RecorderStopClient.h"
#include "RecorderStopServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The stop request that reaches a recorder where no keystroke can, in a runtime directory of the test's own.
class RecorderStopTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtimeDir;

    static bool ask()
    {
        RecorderStopClient client;
        QSignalSpy finished(&client, &RecorderStopClient::finished);
        client.requestStop();
        if (finished.isEmpty())
            finished.wait(5000);
        return finished.size() == 1 && finished.first().first().toBool();
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir.path()));
        QVERIFY(RecorderStopServer::socketPath().startsWith(m_runtimeDir.path()));
    }

    void requestIsAcknowledgedAndStopsOnce()
    {
        // Whatever a recorder that is gone left at the path.
        QFile leftover(RecorderStopServer::socketPath());
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        RecorderStopServer server;
        QVERIFY(server.listen());
        QSignalSpy stops(&server, &RecorderStopServer::stopRequested);
        QVERIFY(ask());
        QCOMPARE(stops.size(), 1);
    }

    void noRecorderAnswersFalseAtOnce()
    {
        QFile::remove(RecorderStopServer::socketPath());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!ask());
        QVERIFY(timer.elapsed() < 1000);
    }

    void strayClientIsDroppedWithoutStopping()
    {
        RecorderStopServer server;
        QVERIFY(server.listen());
        QSignalSpy stops(&server, &RecorderStopServer::stopRequested);
        QLocalSocket stray;
        stray.connectToServer(RecorderStopServer::socketPath());
        QVERIFY(stray.waitForConnected(2000));
        stray.write("quillsnd stop 2\n");
        QTRY_COMPARE(stray.state(), QLocalSocket::UnconnectedState);
        QVERIFY(stray.readAll().isEmpty());
        QCOMPARE(stops.size(), 0);
        // The server still takes a proper request afterwards.
        QVERIFY(ask());
        QCOMPARE(stops.size(), 1);
    }

    void endingRecorderLeavesTheNewerOnesSocket()
    {
        auto older = std::make_unique<RecorderStopServer>();
        QVERIFY(older->listen());
        RecorderStopServer newer;
        QVERIFY(newer.listen());
        QSignalSpy stops(&newer, &RecorderStopServer::stopRequested);
        older.reset();
        QVERIFY(ask());
        QCOMPARE(stops.size(), 1);
    }
};

QTEST_GUILESS_MAIN(RecorderStopTest)
#include "tst_recorderstop.moc"
