#include "OutputFormat.h"
#include "QtMessageBoxes.h"
#include "RecorderStopServer.h"
#include "Scheduler.h"
#include "Startup.h"
#include "StoreLocker.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

// The answer, whether the exit button closes, the time on 24 December, and the warning told.
using Closing = std::tuple<MessageAnswer, bool, QTime, QString>;
// The next task's start, if any, the time, and the countdown shown.
using Countdown = std::tuple<QString, QDateTime, QString>;

// The main window in-process over a fresh store, with a clock and message boxes the test controls.
class SchedulerTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtimeDir;
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<TestAppDir> m_dir;

    std::unique_ptr<Scheduler> load()
    {
        auto window = std::make_unique<Scheduler>(m_services->forDir(*m_dir));
        if (const StoreError error = window->Form_Load())
            qWarning() << error.number << error.description;
        return window;
    }

    static QStringList labels(const QWidget &window, const QStringList &names = {"LblDateRec", "LblStartTimeRec",
                              "LblEndTimeRec", "LblProgramRec", "LblFilenameRec", "LblParamarRec"})
    {
        QStringList texts;
        for (const QString &name : names)
            texts << window.findChild<QLabel *>(name)->text();
        return texts;
    }

    QList<ScriptedMessageBoxes::Box> boxes() const { return m_services->boxes.boxes(); }

private slots:
    void initTestCase() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir.path())); }

    void init()
    {
        m_services = std::make_unique<TestServices>();
        m_dir = std::make_unique<TestAppDir>();
    }

    // A first task without a date is removed, one per reading that succeeds; then the earliest task shows.
    void showsTheEarliestTaskAndRemovesUndatedOnes()
    {
        QCOMPARE(labels(*load()), QStringList(6, QString()));
        m_dir->insertTasks({"- 08:00:00 undated-a", "2026-12-10 09:00:00 tenth", "2026-12-02 10:00:00 second-ten",
                            "2026-12-02 09:00:00 second-nine"});
        m_dir->insert(QStringList{""} + TestAppDir::taskFields("- 08:30:00 undated-b").mid(1));
        const auto window = load();
        QCOMPARE(QString::number(m_dir->rowCount()) + ' ' + labels(*window).value(3), QStringLiteral("4 undated-b"));
        StoreLocker locker(m_dir->storePath());
        QVERIFY(locker.lock());
        QCOMPARE(window->read_recorder().number, int(StoreError::Locked));
        QVERIFY(locker.release() && !window->read_recorder());
        QCOMPARE(m_dir->rowCount(), 3);
        const DateTimeText &texts = m_services->texts;
        QCOMPARE(labels(*window), QStringList({texts.dateText(QDate(2026, 12, 2)), texts.timeText(QTime(9, 0, 0)),
                                                 "0 天 1 小时 30 分钟 0 秒 之后", "second-nine", "/tmp/second-nine.mp3", "5400"}));
        QVERIFY(boxes().isEmpty());
    }

    // The next task says whether it repeats; a plan that only gives it a source is no repeat.
    void theNextTaskSaysWhetherItRepeats()
    {
        m_dir->insertSeries(TestAppDir::taskFields("2026-12-07 06:00:00 news"), "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR");
        m_dir->insertSeries(TestAppDir::taskFields("2026-12-08 06:00:00 news"), "", "testsink.monitor");
        m_services->clock.set(QDateTime(QDate(2026, 12, 1), QTime(6, 0)));
        const auto window = load();
        const auto *label = window->findChild<QLabel *>("LblRepeatRec");
        QTRY_COMPARE(label->text(), QStringLiteral("重复: 周一至周五"));
        m_dir->exec("DELETE FROM AddSchTab WHERE StartDate = '2026-12-07'");
        QVERIFY(!window->read_recorder());
        QTRY_COMPARE(label->text(), QString());
    }

    void aStoreHeldForAMomentAtStartIsWaitedFor()
    {
        m_dir->insertTasks({"2026-12-02 09:00:00 first"});
        OutputFormatIndex = 3;
        StoreLocker locker(m_dir->storePath());
        QVERIFY(locker.lockFor(1500));
        const auto window = Startup::showMainWindow(m_services->forDir(*m_dir));
        QVERIFY(window && window->isVisible() && boxes().isEmpty());
        QCOMPARE(labels(*window).value(3), QStringLiteral("first"));
        QCOMPARE(OutputFormatIndex, std::int16_t(2));
    }

    void storeThatCannotBeUsedStopsStartWithAMessage_data()
    {
        using Damage = TestAppDir::Damage;
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing") << Damage::Missing << QStringLiteral("Could not find file");
        QTest::newRow("truncated") << Damage::Truncated << QStringLiteral("damaged");
        QTest::newRow("not a store") << Damage::NotAStore << QStringLiteral("not a store");
        QTest::newRow("read-only") << Damage::ReadOnly << QStringLiteral("read-only");
        QTest::newRow("folder read-only") << Damage::FolderReadOnly << QStringLiteral("cannot be written");
    }

    void storeThatCannotBeUsedStopsStartWithAMessage()
    {
        QFETCH(TestAppDir::Damage, damage);
        QFETCH(QString, problem);
        if (!m_dir->damageStore(damage))
            QSKIP("this machine cannot damage the store that way");
        const QByteArray before = m_dir->storeBytes();
        QVERIFY(!Startup::showMainWindow(m_services->forDir(*m_dir)));
        QCOMPARE(boxes().size(), 1);
        const ScriptedMessageBoxes::Box box = boxes().first();
        // The store's path, or its folder's when the folder is at fault.
        QVERIFY2(box.text.startsWith(QStringLiteral("计划数据库无法打开, 程序将退出.")) && box.text.contains(m_dir->path())
                     && box.text.contains(problem) && box.icon == MessageIcon::Critical, qPrintable(box.text));
        QCOMPARE(m_dir->storeBytes(), before);
    }

    void countdownToTheNextTask_data()
    {
        QTest::addColumn<Countdown>("shown");
        const QDate day(2026, 12, 24);
        QTest::newRow("no task") << Countdown{QString(), QDateTime(day, QTime(6, 0)), QString()};
        QTest::newRow("part of a second left") << Countdown{"2026-12-24 06:00:00", QDateTime(day, QTime(5, 59, 59, 500)), "还有 00:00:01"};
        QTest::newRow("across midnight") << Countdown{"2026-12-25 00:00:05", QDateTime(day, QTime(23, 59, 58)), "还有 00:00:07"};
        QTest::newRow("an hour less a second") << Countdown{"2026-12-24 06:59:59", QDateTime(day, QTime(6, 0)), "还有 00:59:59"};
        QTest::newRow("days ahead") << Countdown{"2026-12-25 08:35:10", QDateTime(day, QTime(6, 0)), "还有 1 天 02:35:10"};
        QTest::newRow("missed") << Countdown{"2026-12-23 06:00:00", QDateTime(day, QTime(6, 0)), "已错过"};
    }

    void countdownToTheNextTask()
    {
        QFETCH(Countdown, shown);
        const auto &[start, now, countdown] = shown;
        if (!start.isEmpty())
            m_dir->insertTasks({start + " news"});
        m_services->clock.set(now);
        const auto window = load();
        window->Timer2_Timer();
        QCOMPARE(labels(*window, {"LblCountdown", "lblCurrentTime", "lblCurrentDate"}),
                 QStringList({countdown, m_services->texts.timeText(now.time()), m_services->texts.dateText(now.date())}));
    }

    void closingAsksFirstAndTellsOfATaskDueWithinADay_data()
    {
        QTest::addColumn<Closing>("closing");
        const QString warning = QStringLiteral("«早间新闻» 将于 12-25 06:00:00 开始, 退出后不会录音.");
        QTest::newRow("no keeps it, a task due in 23 hours") << Closing{MessageAnswer::No, false, QTime(7, 0), warning};
        QTest::newRow("yes closes it, a task due in 25 hours") << Closing{MessageAnswer::Yes, false, QTime(5, 0), QString()};
        QTest::newRow("exit button, no") << Closing{MessageAnswer::No, true, QTime(7, 0), warning};
    }

    void closingAsksFirstAndTellsOfATaskDueWithinADay()
    {
        QFETCH(Closing, closing);
        const auto &[answer, byExitButton, now, informativeText] = closing;
        m_dir->insertTasks({"2026-12-25 06:00:00 早间新闻"});
        m_services->clock.set(QDateTime(QDate(2026, 12, 24), now));
        const auto window = load();
        window->show();
        window->Timer2_Timer();
        m_services->boxes.queueAnswer(answer);
        byExitButton ? window->findChild<QPushButton *>(QStringLiteral("CmdExit"))->click() : void(window->close());
        QCOMPARE(boxes().size(), 1);
        QCOMPARE(QStringList({boxes()[0].text, boxes()[0].informativeText}), QStringList({"退出录音计划吗?", informativeText}));
        QVERIFY(boxes()[0].buttons == MessageButtons::YesNo && boxes()[0].icon == MessageIcon::Question);
        QCOMPARE(window->isVisible(), answer == MessageAnswer::No);
    }

    // The real box shows the informative text and answers Yes to the key that takes its default.
    void messageBoxShowsAllItIsGivenAndDefaultsToYes()
    {
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            shown = box->informativeText();
            box->defaultButton() ? box->defaultButton()->click() : box->reject();
        });
        QCOMPARE(QtMessageBoxes().show(nullptr, "?", "QuillScheduler", MessageButtons::YesNo, MessageIcon::Question, "«x»"),
                 MessageAnswer::Yes);
        QCOMPARE(shown, QStringLiteral("«x»"));
    }

    // The timer wakes just before a task's second and fires it once the second has begun, once the recorder before ends.
    void theTimerMeetsATasksSecondAndAWriteWaitsOutItsClaim()
    {
        m_services->recorders.linger = true;
        m_services->recorders.running = 1;
        m_dir->insertTasks({"2026-12-24 06:00:00 news"});
        m_services->clock.set(QDateTime(QDate(2026, 12, 24), QTime(5, 59, 59, 950)));
        const auto window = load();
        auto *timer = window->findChild<QTimer *>(QStringLiteral("Timer2"));
        // Fifty milliseconds ahead: woken one early, as the clock's milliseconds are cut.
        QCOMPARE(timer->interval(), 50 - 1);
        QSignalSpy ticks(timer, &QTimer::timeout);
        QVERIFY(ticks.wait() && ticks.wait() && m_services->recorders.namesEnded.isEmpty());
        m_services->clock.set(QDateTime(QDate(2026, 12, 24), QTime(6, 0)));
        QTRY_COMPARE(m_services->recorders.namesEnded, QStringList("quillsnd.exe"));
        QTimer::singleShot(0, this, [this] { m_services->recorders.endAll(); });
        window->waitForOwnClaims();
        QCOMPARE(m_services->recorders.arguments, QStringList({"/t&5400&/o&/tmp/news.mp3"}));
    }

    // Our own recorder is reached through its socket, which works where no keystroke can.
    void command1StopsOurRecorderThroughItsSocket()
    {
        const auto window = load();
        RecorderStopServer recorder;
        QVERIFY(recorder.listen());
        QSignalSpy stops(&recorder, &RecorderStopServer::stopRequested);
        window->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QTRY_COMPARE(stops.size(), 1);
    }
};

QTEST_MAIN(SchedulerTest)
#include "tst_scheduler.moc"
