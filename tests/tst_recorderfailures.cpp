#include "FakeNotifications.h"
#include "PrivateBus.h"
#include "PrivatePulseServer.h"
#include "RecorderProcess.h"
#include "RecordingCheck.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

// What the real recorder does when it cannot record, or cannot go on: it says so on standard error
// and as a desktop notice, keeps what it recorded and ends with its status.
class RecorderFailuresTest : public QObject
{
    Q_OBJECT

private:
    PrivateBus m_bus;
    FakeNotifications m_notifications;
    PrivatePulseServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;

    static QString told(RecorderProcess &recorder)
    {
        const QString said = recorder.errorOutput();
        const qsizetype start = said.indexOf(QStringLiteral("quillsnd.exe: "));
        return start < 0 ? QString() : said.mid(start);
    }

    // The notice carries what standard error says.
    void verifyTold(RecorderProcess &recorder)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!told(recorder).isEmpty(), 20000);
        QTRY_COMPARE(m_notifications.notices.size(), 1);
        QCOMPARE(QStringLiteral("quillsnd.exe: ") + m_notifications.notices.first().body + QLatin1Char('\n'),
                 told(recorder));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.start());
        QVERIFY(m_notifications.registerOn(m_bus.connection()));
        QVERIFY(m_server.start());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_notifications.notices.clear();
    }

    void refusesBeforeAnyWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("serverThere");
        QTest::addColumn<int>("status");
        QTest::newRow("no argument") << QStringList() << true << 2;
        QTest::newRow("two arguments") << QStringList{QStringLiteral("/t&3&/o&DIR/a.mp3"), QStringLiteral("/t&3")}
                                       << true << 2;
        QTest::newRow("zero seconds") << QStringList{QStringLiteral("/t&0&/o&DIR/a.mp3")} << true << 2;
        QTest::newRow("relative path") << QStringList{QStringLiteral("/t&3&/o&a.mp3")} << true << 2;
        QTest::newRow("other extension") << QStringList{QStringLiteral("/t&3&/o&DIR/a.ogg")} << true << 2;
        QTest::newRow("missing folder") << QStringList{QStringLiteral("/t&3&/o&DIR/none/a.wav")} << true << 2;
        QTest::newRow("no sound server") << QStringList{QStringLiteral("/t&3&/o&DIR/a.wav")} << false << 3;
    }
    void refusesBeforeAnyWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, serverThere);
        QFETCH(int, status);

        arguments.replaceInStrings(QStringLiteral("DIR"), m_dir->path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A window would need this platform, which does not exist, and end the program otherwise.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-such"));
        if (!serverThere)
            environment.insert(QStringLiteral("PULSE_SERVER"),
                               QStringLiteral("unix:") + m_dir->filePath(QStringLiteral("no.sock")));
        RecorderProcess recorder(arguments, environment);
        QCOMPARE(recorder.waitForExit(), status);
        verifyTold(recorder);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void writeErrorFinishesTheFile_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<qint64>("sizeLimit");
        // About two seconds of each.
        QTest::newRow("wav") << QStringLiteral("wav") << qint64(400000);
        QTest::newRow("mp3") << QStringLiteral("mp3") << qint64(48000);
        QTest::newRow("wma") << QStringLiteral("wma") << qint64(32000);
    }
    void writeErrorFinishesTheFile()
    {
        QFETCH(QString, extension);
        QFETCH(qint64, sizeLimit);

        const QString path = m_dir->filePath(QStringLiteral("full.") + extension);
        RecorderProcess recorder({RecorderProcess::argument(30, path)}, QProcessEnvironment::systemEnvironment(),
                                 [sizeLimit] {
                                     const rlimit limit{rlim_t(sizeLimit), rlim_t(sizeLimit)};
                                     ::setrlimit(RLIMIT_FSIZE, &limit);
                                 });
        verifyTold(recorder);
        QCOMPARE(recorder.process().state(), QProcess::Running);
        recorder.signal(SIGTERM);
        QCOMPARE(recorder.waitForExit(), 4);
        const RecordingCheck file = RecordingCheck::of(path);
        QVERIFY2(file.holdsTheTone() && file.playableSeconds >= 1, qPrintable(file.describe()));
    }

    // Last: the server does not come back.
    void lostServerFinishesTheFile()
    {
        const QString path = m_dir->filePath(QStringLiteral("lost.mp3"));
        RecorderProcess recorder({RecorderProcess::argument(30, path)});
        QTest::qWait(2500);
        m_server.kill();
        verifyTold(recorder);
        QCOMPARE(recorder.process().state(), QProcess::Running);
        recorder.signal(SIGTERM);
        QCOMPARE(recorder.waitForExit(), 3);
        const RecordingCheck file = RecordingCheck::of(path);
        QVERIFY2(file.holdsTheTone() && file.playableSeconds >= 1.5, qPrintable(file.describe()));
    }
};

QTEST_GUILESS_MAIN(RecorderFailuresTest)
#include "tst_recorderfailures.moc"
