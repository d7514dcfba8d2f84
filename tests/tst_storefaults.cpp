#include "TestAppDir.h"
#include "X11WindowKeystrokes.h"

#include <QProcess>
#include <QTest>

#include <X11/keysym.h>

// The real program on a store it cannot use: it tells the user, then ends with an error status.
class StoreFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs the X server that run-tests.sh starts");
    }

    void unusableStoreEndsTheProgramAfterAMessage_data()
    {
        using Damage = TestAppDir::Damage;
        QTest::addColumn<Damage>("damage");
        QTest::newRow("missing") << Damage::Missing;
        QTest::newRow("empty") << Damage::Empty;
        QTest::newRow("truncated") << Damage::Truncated;
        QTest::newRow("random bytes") << Damage::RandomBytes;
        QTest::newRow("table missing") << Damage::NoTable;
        QTest::newRow("read-only") << Damage::ReadOnly;
        QTest::newRow("folder read-only") << Damage::FolderReadOnly;
    }

    void unusableStoreEndsTheProgramAfterAMessage()
    {
        QFETCH(TestAppDir::Damage, damage);
        TestAppDir dir;
        const QString program = dir.installProgram();
        if (!dir.damageStore(damage))
            QSKIP("this machine cannot damage the store that way");
        const QByteArray before = dir.storeBytes();

        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, {});
        QVERIFY(process.waitForStarted());

        // The message box waits for the user: press Return in it, again until it has taken the key.
        X11WindowKeystrokes keys;
        QTRY_VERIFY_WITH_TIMEOUT((keys.activateAndSendKey(QStringLiteral("QuillScheduler"), XK_Return),
                                  process.state() == QProcess::NotRunning),
                                 20000);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(dir.storeBytes(), before);
        QCOMPARE(QFile::exists(dir.storePath()), damage != TestAppDir::Damage::Missing);
    }
};

QTEST_GUILESS_MAIN(StoreFaultsTest)
#include "tst_storefaults.moc"
