#include "OutputFormat.h"
#include "RecorderStopServer.h"
#include "Scheduler.h"
#include "Startup.h"
#include "StoreLocker.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class SchedulerTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtimeDir;
    std::unique_ptr<TestServices> m_services;

    Scheduler::Services services(const TestAppDir &dir) { return m_services->forDir(dir); }
    const ScriptedMessageBoxes &boxes() const { return m_services->boxes; }

    static QString text(const QWidget &window, const char *name)
    {
        const auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<no label %1>").arg(QString::fromLatin1(name));
    }

    static TestAppDir::Row task(const QString &date, const QString &time, const QString &program)
    {
        return {date, time, program, QStringLiteral("/rec/%1.mp3").arg(program), QStringLiteral("5400"),
                QStringLiteral("0 天 1 小时 30 分钟 0 秒 之后")};
    }

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir.path())); }
    void init() { m_services = std::make_unique<TestServices>(); }

    // Our own recorder is reached through its socket, which works where no keystroke can.
    void command1StopsOurRecorderThroughItsSocket()
    {
        TestAppDir dir;
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        RecorderStopServer recorder;
        QVERIFY(recorder.listen());
        QSignalSpy stops(&recorder, &RecorderStopServer::stopRequested);
        window.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QTRY_COMPARE(stops.size(), 1);
    }

    void windowHasItsFormAndClockTexts()
    {
        TestAppDir dir;
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        QCOMPARE(window.windowTitle(), QStringLiteral("Quillsound 计划"));
        QCOMPARE(window.size(), QSize(352, 252));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(text(window, "lblCurrentTime"), QStringLiteral("当前时间"));
        QCOMPARE(text(window, "lblCurrentDate"), QStringLiteral("当前日期 :"));
        QCOMPARE(window.findChild<QPushButton *>(QStringLiteral("CmdViewRec"))->text(), QStringLiteral("编辑录音计划"));
        QCOMPARE(window.findChild<QPushButton *>(QStringLiteral("CmdViewRec"))->geometry(), QRect(128, 216, 121, 25));

        // Command1 lies below the visible area, yet exists for the keyboard.
        const auto *command1 = window.findChild<QPushButton *>(QStringLiteral("Command1"));
        QVERIFY(command1);
        QVERIFY(command1->geometry().top() >= window.height());

        const QRect screen = window.screen()->geometry();
        QCOMPARE(window.pos().y(), screen.top() + 33);
        QCOMPARE(window.pos().x(), screen.left() + (screen.width() - window.width()) / 2);
    }

    void emptyStoreShowsNoTask()
    {
        TestAppDir dir;
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        for (const char *name : {"LblDateRec", "LblStartTimeRec", "LblEndTimeRec", "LblProgramRec", "LblFilenameRec",
                                 "LblParamarRec"})
            QCOMPARE(text(window, name), QString());
    }

    void earliestTaskIsShown()
    {
        TestAppDir dir;
        dir.insert(task("2026-12-10", "09:00:00", "tenth"));
        dir.insert(task("2026-12-02", "10:00:00", "second-ten"));
        dir.insert(task("2026-12-02", "09:00:00", "second-nine"));
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        QCOMPARE(text(window, "LblProgramRec"), QStringLiteral("second-nine"));
        QCOMPARE(text(window, "LblDateRec"), m_services->texts.dateText(QDate(2026, 12, 2)));
        QCOMPARE(text(window, "LblStartTimeRec"), m_services->texts.timeText(QTime(9, 0, 0)));
        QCOMPARE(text(window, "LblFilenameRec"), QStringLiteral("/rec/second-nine.mp3"));
        QCOMPARE(text(window, "LblParamarRec"), QStringLiteral("5400"));
        QCOMPARE(text(window, "LblEndTimeRec"), QStringLiteral("0 天 1 小时 30 分钟 0 秒 之后"));
        QCOMPARE(dir.rowCount(), 3);
    }

    void firstTaskWithoutDateIsRemovedOnePerReading()
    {
        TestAppDir dir;
        dir.insert(task(QString(), "08:00:00", "undated-a"));
        dir.insert(task("", "08:30:00", "undated-b"));
        dir.insert(task("2026-12-02", "09:00:00", "dated"));
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        QCOMPARE(dir.rowCount(), 2);
        QCOMPARE(text(window, "LblProgramRec"), QStringLiteral("undated-b"));

        QVERIFY(!window.read_recorder());
        QCOMPARE(dir.rowCount(), 1);
        QCOMPARE(text(window, "LblProgramRec"), QStringLiteral("dated"));
        QVERIFY(boxes().boxes().isEmpty());
    }

    void aReadingThatFailsRemovesNothing()
    {
        TestAppDir dir;
        dir.insert(task("2026-12-02", "09:00:00", "first"));
        dir.insert(task("2026-12-03", "09:00:00", "second"));
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());

        StoreLocker locker(dir.storePath());
        QVERIFY(locker.lock());
        QCOMPARE(window.read_recorder().number, int(StoreError::Locked));
        QCOMPARE(window.read_recorder().number, int(StoreError::Locked));
        QVERIFY(locker.release());
        QCOMPARE(dir.rowCount(), 2);
        QCOMPARE(text(window, "LblProgramRec"), QStringLiteral("first"));
    }

    void aStoreHeldForAMomentAtStartIsWaitedFor()
    {
        TestAppDir dir;
        dir.insert(task("2026-12-02", "09:00:00", "first"));
        StoreLocker locker(dir.storePath());
        QVERIFY(locker.lockFor(1500));
        const auto window = Startup::showMainWindow(services(dir));
        QVERIFY(window);
        QVERIFY(boxes().boxes().isEmpty());
        QCOMPARE(text(*window, "LblProgramRec"), QStringLiteral("first"));
    }

    void countdownToTheNextTask_data()
    {
        QTest::addColumn<QString>("startDate");
        QTest::addColumn<QString>("startTime");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("countdown");
        const QDate day(2026, 12, 24);
        QTest::newRow("no task") << QString() << QString() << QDateTime(day, QTime(6, 0)) << QString();
        QTest::newRow("part of a second left") << "2026-12-24" << "06:00:00" << QDateTime(day, QTime(5, 59, 59, 500))
                                               << QStringLiteral("还有 00:00:01");
        QTest::newRow("across midnight") << "2026-12-25" << "00:00:05" << QDateTime(day, QTime(23, 59, 58))
                                         << QStringLiteral("还有 00:00:07");
        QTest::newRow("days ahead") << "2026-12-25" << "08:35:10" << QDateTime(day, QTime(6, 0))
                                    << QStringLiteral("还有 1 天 02:35:10");
        QTest::newRow("missed") << "2026-12-23" << "06:00:00" << QDateTime(day, QTime(6, 0))
                                << QStringLiteral("已错过");
    }

    void countdownToTheNextTask()
    {
        QFETCH(QString, startDate);
        QFETCH(QString, startTime);
        QFETCH(QDateTime, now);
        QFETCH(QString, countdown);
        TestAppDir dir;
        if (!startDate.isEmpty())
            dir.insert(task(startDate, startTime, "news"));
        m_services->clock.set(now);
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        window.Timer2_Timer();
        QCOMPARE(text(window, "LblCountdown"), countdown);
    }

    void closeQuestionTellsOfATaskDueWithinADay_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("informativeText");
        QTest::newRow("due in 23 hours") << QTime(7, 0) << QStringLiteral("«早间新闻» 将于 12-25 06:00:00 开始, 退出后不会录音.");
        QTest::newRow("due in 25 hours") << QTime(5, 0) << QString();
    }

    void closeQuestionTellsOfATaskDueWithinADay()
    {
        QFETCH(QTime, now);
        QFETCH(QString, informativeText);
        TestAppDir dir;
        dir.insert(task("2026-12-25", "06:00:00", "早间新闻"));
        m_services->clock.set(QDateTime(QDate(2026, 12, 24), now));
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        window.Timer2_Timer();
        QVERIFY(!window.close());
        QCOMPARE(boxes().boxes().value(0).text, QStringLiteral("退出录音计划吗?"));
        QCOMPARE(boxes().boxes().value(0).informativeText, informativeText);
    }

    void closeAsksFirst_data()
    {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("no keeps the window") << MessageAnswer::No << false;
        QTest::newRow("yes closes it") << MessageAnswer::Yes << true;
    }

    void closeAsksFirst()
    {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, closes);
        TestAppDir dir;
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        m_services->boxes.queueAnswer(answer);
        QCOMPARE(window.close(), closes);
        QCOMPARE(boxes().boxes().size(), 1);
        const ScriptedMessageBoxes::Box box = boxes().boxes().first();
        QCOMPARE(box.text, QStringLiteral("退出录音计划吗?"));
        QCOMPARE(box.title, QStringLiteral("QuillScheduler"));
        QCOMPARE(box.buttons, MessageButtons::YesNo);
        QCOMPARE(box.icon, MessageIcon::Question);
        QCOMPARE(window.isVisible(), !closes);
    }

    void exitButtonAsksToo()
    {
        TestAppDir dir;
        Scheduler window(services(dir));
        QVERIFY(!window.Form_Load());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        m_services->boxes.queueAnswer(MessageAnswer::Yes);
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("CmdExit")), Qt::LeftButton);
        QCOMPARE(boxes().boxes().size(), 1);
        QVERIFY(!window.isVisible());
    }

    void startupSetsTheOutputFormat()
    {
        TestAppDir dir;
        OutputFormatIndex = 3;
        const auto window = Startup::showMainWindow(services(dir));
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(OutputFormatIndex, std::int16_t(2));
    }

    void storeThatCannotBeUsedStopsStartWithAMessage_data()
    {
        using Damage = TestAppDir::Damage;
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing") << Damage::Missing << QStringLiteral("Could not find file");
        QTest::newRow("empty") << Damage::Empty << QStringLiteral("table 'AddSchTab' is missing");
        QTest::newRow("truncated") << Damage::Truncated << QStringLiteral("damaged");
        QTest::newRow("random bytes") << Damage::RandomBytes << QStringLiteral("not a store");
        QTest::newRow("table missing") << Damage::NoTable << QStringLiteral("table 'AddSchTab' is missing");
        QTest::newRow("read-only") << Damage::ReadOnly << QStringLiteral("read-only");
        QTest::newRow("folder read-only") << Damage::FolderReadOnly << QStringLiteral("cannot be written");
    }

    void storeThatCannotBeUsedStopsStartWithAMessage()
    {
        QFETCH(TestAppDir::Damage, damage);
        QFETCH(QString, problem);
        TestAppDir dir;
        if (!dir.damageStore(damage))
            QSKIP("this machine cannot damage the store that way");
        const QByteArray before = dir.storeBytes();

        QVERIFY(!Startup::showMainWindow(services(dir)));
        QCOMPARE(boxes().boxes().size(), 1);
        const ScriptedMessageBoxes::Box box = boxes().boxes().first();
        // The store's path, or its folder's when the folder is at fault.
        QVERIFY2(box.text.contains(dir.path()), qPrintable(box.text));
        QVERIFY2(box.text.contains(problem), qPrintable(box.text));
        QCOMPARE(box.title, QStringLiteral("QuillScheduler"));
        QCOMPARE(box.icon, MessageIcon::Critical);
        QCOMPARE(dir.storeBytes(), before);
        QCOMPARE(QFile::exists(dir.storePath()), damage != TestAppDir::Damage::Missing);
    }
};

QTEST_MAIN(SchedulerTest)
#include "tst_scheduler.moc"
