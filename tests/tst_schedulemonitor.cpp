#include "PrivateBus.h"
#include "RecordCursor.h"
#include "ScheduleFields.h"
#include "ScheduleMonitor.h"
#include "StoreConnection.h"
#include "StoreLocker.h"
#include "TaskClaims.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate Day(2026, 12, 24);

// One copy of the program's monitor: its own cursor and claims on the shared store.
class MonitoringCopy
{
public:
    MonitoringCopy(TestServices &services, const TestAppDir &dir)
        : m_dir(dir)
    {
        StoreError error;
        auto claims = TaskClaims::open(dir.storePath(), &error, 0);
        monitor = std::make_unique<ScheduleMonitor>(
            ScheduleMonitor::Context{cursor, services.clock, QTimeZone::systemTimeZone(), services.recorder,
                                     dir.path() + QStringLiteral("/quillsnd.exe"), [this] { return reread(); },
                                     services.notices, services.sleepInhibitor},
            std::move(claims));
        reread();
    }

    StoreError reread()
    {
        StoreError error;
        auto connection = StoreConnection::open(m_dir.storePath(), &error, 0);
        auto rows = connection ? connection->openRecordset(ScheduleFields::OrderedQuery, &error) : nullptr;
        if (rows) {
            cursor.attach(std::move(rows));
            error = cursor.refresh();
        }
        return error;
    }

    QString shownFile() const { return cursor.fieldOrNull(ScheduleFields::Filename).toString(); }

    RecordCursor cursor;
    std::unique_ptr<ScheduleMonitor> monitor;

private:
    const TestAppDir &m_dir;
};

} // namespace

// The monitor's rules against a clock the test sets, real stores, a real stand-in recorder and a bus
// of the test's own, on which stand-ins for the notification service and logind keep what they get.
class ScheduleMonitorTest : public QObject
{
    Q_OBJECT

private:
    PrivateBus m_bus;
    std::unique_ptr<FakeNotifications> m_notifications;
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<TestAppDir> m_dir;

    void insert(const QString &time, const QString &file, const QString &length = QStringLiteral("60"),
                const QDate &date = Day)
    {
        m_dir->insert({date.toString(Qt::ISODate), time, "news", file, length, "length"});
    }

    void tickAt(MonitoringCopy &copy, const QTime &time, const QDate &date = Day)
    {
        m_services->clock.set(QDateTime(date, time));
        copy.monitor->tick(m_services->clock.now());
    }

    QStringList started() const
    {
        QStringList arguments;
        for (const auto &start : m_dir->recorderStarts())
            arguments << start.argument;
        return arguments;
    }

    QStringList storedFiles() const
    {
        QStringList files;
        for (const QStringList &row : m_dir->rows())
            files << row.value(3);
        return files;
    }

    QStringList notices() const
    {
        QStringList texts;
        for (const FakeNotifications::Notice &notice : m_notifications->notices)
            texts << notice.summary + QStringLiteral(" | ") + notice.body;
        return texts;
    }

private slots:
    void initTestCase() { QVERIFY(m_bus.start()); }

    void init()
    {
        m_notifications = std::make_unique<FakeNotifications>();
        QVERIFY(m_notifications->registerOn(m_bus.connection()));
        m_services = std::make_unique<TestServices>();
        m_dir = std::make_unique<TestAppDir>();
        m_dir->installStandInRecorder();
    }

    void cleanup()
    {
        m_dir.reset();
        m_services.reset();
        m_bus.connection().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        m_bus.connection().unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }

    void firesOnceInItsSecondAndOnlyOnItsDay()
    {
        const QString awkwardFile = QStringLiteral("/rec/a b&c;$(touch pwned)'\"`x`.mp3");
        insert("06:00:00", awkwardFile);
        insert("06:00:00", "/rec/next-day.mp3", "60", Day.addDays(1));
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(5, 59, 59, 990));
        QCOMPARE(m_dir->rowCount(), 2);
        tickAt(copy, QTime(6, 0, 0, 3));
        QTRY_COMPARE(started().size(), 1);
        tickAt(copy, QTime(6, 0, 0, 103));
        QCOMPARE(storedFiles(), QStringList({"/rec/next-day.mp3"}));
        QCOMPARE(copy.shownFile(), QStringLiteral("/rec/next-day.mp3"));
        // The same second a day later fires the next task; a double start of the first would show before it.
        tickAt(copy, QTime(6, 0, 0, 5), Day.addDays(1));
        QTRY_COMPARE(started(), QStringList({"/t&60&/o&" + awkwardFile, "/t&60&/o&/rec/next-day.mp3"}));
        QCOMPARE(m_dir->recorderStarts().first().argumentCount, 1);
        QCOMPARE(m_dir->rowCount(), 0);
        QCOMPARE(copy.shownFile(), QString());
        // No notification service was asked about a task that went as planned.
        QVERIFY(m_notifications->notices.isEmpty());
    }

    void lateTasksFireWithTheSecondsLeftAndMissedOnesStay()
    {
        insert("05:00:00", "/rec/missed.mp3");
        insert("05:30:00", "/rec/late.mp3", "3600");
        insert("06:00:00", "/rec/on-time.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(5, 59, 0, 500));
        QTRY_COMPARE(started(), QStringList({"/t&1860&/o&/rec/late.mp3"}));
        QCOMPARE(copy.shownFile(), QStringLiteral("/rec/on-time.mp3"));
        tickAt(copy, QTime(6, 0, 0));
        QTRY_COMPARE(started().size(), 2);
        QCOMPARE(storedFiles(), QStringList({"/rec/missed.mp3"}));
        // Each told of once: the late one with how late and how long it records, and the missed one.
        QTRY_COMPARE(m_notifications->notices.size(), 2);
        copy.reread();
        tickAt(copy, QTime(6, 0, 1));
        QTest::qWait(200);
        QCOMPARE(m_notifications->notices.size(), 2);
        QCOMPARE(notices().filter(QStringLiteral("«news» | 已错过")).size(), 1);
        QCOMPARE(notices().filter(QStringLiteral("晚了 29 分 0 秒")).filter(QStringLiteral("只录 1860 秒")).size(), 1);
        QCOMPARE(m_notifications->notices.first().applicationName, QStringLiteral("QuillScheduler"));
    }

    void missedTasksAtStartAreToldOfInOneNotice()
    {
        for (const char *time : {"03:00:00", "04:00:00", "05:00:00"})
            insert(time, "/rec/missed.mp3");
        insert("07:00:00", "/rec/later.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(6, 0, 0));
        QTRY_COMPARE(m_notifications->notices.size(), 1);
        QCOMPARE(m_notifications->notices.first().summary, QStringLiteral("已错过 3 个录音计划"));
        QCOMPARE(copy.shownFile(), QStringLiteral("/rec/later.mp3"));
    }

    void sleepIsHeldOffFromFiveMinutesBeforeAStartUntilItHasStarted()
    {
        FakeLogind logind;
        QVERIFY(logind.registerOn(m_bus.connection()));
        insert("06:00:00", "/rec/news.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(5, 54, 59));
        QTest::qWait(200);
        QVERIFY(logind.calls.isEmpty());
        tickAt(copy, QTime(5, 55, 0));
        QTRY_COMPARE(logind.calls, QList<QStringList>({{"sleep", "QuillScheduler", "录音计划即将开始", "block"}}));
        QTRY_VERIFY(logind.lockOpen(0));
        tickAt(copy, QTime(6, 0, 0));
        QTRY_COMPARE(started().size(), 1);
        tickAt(copy, QTime(6, 0, 0, 100));
        QTRY_VERIFY(!logind.lockOpen(0));
        m_bus.connection().unregisterService(QStringLiteral("org.freedesktop.login1"));
        m_bus.connection().unregisterObject(QStringLiteral("/org/freedesktop/login1"));
    }

    void twoCopiesStartATaskOnce()
    {
        insert("06:00:00", "/rec/first.mp3");
        insert("06:00:05", "/rec/second.mp3");
        MonitoringCopy one(*m_services, *m_dir);
        MonitoringCopy other(*m_services, *m_dir);
        tickAt(one, QTime(6, 0, 0, 1));
        QTRY_COMPARE(started(), QStringList({"/t&60&/o&/rec/first.mp3"}));
        tickAt(other, QTime(6, 0, 0, 2));
        tickAt(other, QTime(6, 0, 0, 102));
        // The copy that lost has read the store again and goes on with the next task.
        QCOMPARE(other.shownFile(), QStringLiteral("/rec/second.mp3"));
        tickAt(other, QTime(6, 0, 5));
        tickAt(one, QTime(6, 0, 5, 1));
        QTRY_COMPARE(started().size(), 2);
        QCOMPARE(started().last(), QStringLiteral("/t&60&/o&/rec/second.mp3"));
        QCOMPARE(m_dir->rowCount(), 0);
    }

    void heldStore_data()
    {
        QTest::addColumn<StoreLocker::Hold>("hold");
        QTest::addColumn<QStringList>("startedWhileHeld");
        QTest::addColumn<QStringList>("startedOnceFree");
        QTest::addColumn<QString>("noticeAfterTenSeconds");
        const QString held = QStringLiteral("/t&%1&/o&/rec/held.mp3");
        const QString after = QStringLiteral("/t&%1&/o&/rec/after.mp3");
        // Nothing can be claimed: each task starts once the store is free, to stop when planned.
        QTest::newRow("held exclusively") << StoreLocker::Hold::Exclusive << QStringList()
                                          << QStringList({held.arg(588), after.arg(589)}) << "录音无法开始";
        // Claimed, but the removals cannot be committed while the reader holds on: both start on time.
        QTest::newRow("held by a reader") << StoreLocker::Hold::Reading << QStringList({held.arg(600), after.arg(600)})
                                          << QStringList() << "暂时无法删除";
    }

    void heldStore()
    {
        QFETCH(StoreLocker::Hold, hold);
        QFETCH(QStringList, startedWhileHeld);
        QFETCH(QStringList, startedOnceFree);
        QFETCH(QString, noticeAfterTenSeconds);
        insert("06:00:00", "/rec/held.mp3", "600");
        insert("06:00:01", "/rec/after.mp3", "600");
        MonitoringCopy copy(*m_services, *m_dir);
        StoreLocker locker(m_dir->storePath());
        QVERIFY(locker.lock(hold));
        // Each start ends the recorder before it, so each is let get going before the next tick.
        tickAt(copy, QTime(6, 0, 0));
        QTRY_COMPARE(started(), startedWhileHeld.mid(0, 1));
        tickAt(copy, QTime(6, 0, 1, 500));
        QTRY_COMPARE(started(), startedWhileHeld);
        tickAt(copy, QTime(6, 0, 9));
        QTest::qWait(200);
        QVERIFY(m_notifications->notices.isEmpty());
        tickAt(copy, QTime(6, 0, 11));
        QTRY_COMPARE(m_notifications->notices.size(), 1);
        QVERIFY(m_notifications->notices.first().body.contains(noticeAfterTenSeconds));
        QVERIFY(locker.release());

        tickAt(copy, QTime(6, 0, 12, 100));
        QTRY_COMPARE(started(), startedWhileHeld + startedOnceFree.mid(0, 1));
        tickAt(copy, QTime(6, 0, 12, 200));
        QTRY_COMPARE(started(), startedWhileHeld + startedOnceFree);
        tickAt(copy, QTime(6, 0, 12, 300));
        QCOMPARE(m_dir->rowCount(), 0);
    }

    void aClockStepMakesItJudgeTheStoreAgain_data()
    {
        QTest::addColumn<QTime>("stepTo");
        QTest::addColumn<bool>("stepped");
        QTest::newRow("stepped back before a passed-over task") << QTime(10, 29, 57) << true;
        QTest::newRow("time passing") << QTime(11, 30, 1) << false;
    }

    void aClockStepMakesItJudgeTheStoreAgain()
    {
        QFETCH(QTime, stepTo);
        QFETCH(bool, stepped);
        insert("10:30:00", "/rec/passed-over.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(11, 30, 0));
        // Added by another program: only a reading of the store shows it.
        insert("11:30:05", "/rec/added.mp3");
        stepped ? m_services->clock.step(QDateTime(Day, stepTo)) : m_services->clock.set(QDateTime(Day, stepTo));
        copy.monitor->tick(m_services->clock.now());
        QCOMPARE(copy.shownFile(), stepped ? QStringLiteral("/rec/passed-over.mp3") : QString());
        if (stepped) {
            tickAt(copy, QTime(10, 30, 0));
            QTRY_COMPARE(started(), QStringList({"/t&60&/o&/rec/passed-over.mp3"}));
        }
    }

    void aRecorderThatIgnoresTheEndIsGoneBeforeTheNextStarts()
    {
        QTemporaryDir elsewhere;
        const QString running = elsewhere.filePath(QStringLiteral("quillsnd.exe"));
        QVERIFY(QFile::copy(QStringLiteral(STANDIN_RECORDER_PATH), running));
        qint64 runningPid = 0;
        QVERIFY(QProcess::startDetached(running, {QStringLiteral("--ignore-term")}, {}, &runningPid));
        QTRY_VERIFY(QFile::exists(elsewhere.filePath(QStringLiteral("received-%1").arg(runningPid))));

        insert("06:00:00", "/rec/next.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(6, 0, 0));
        QCOMPARE(m_dir->rowCount(), 1);
        // The user-interface thread goes on meanwhile; the start comes after SIGKILL, with the seconds left.
        m_services->clock.set(QDateTime(Day, QTime(6, 0, 2, 500)));
        QTest::qWait(1000);
        QVERIFY(started().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(started(), QStringList({"/t&58&/o&/rec/next.mp3"}), 5000);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(runningPid));
        QVERIFY(!stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z"));
        QTRY_COMPARE(m_dir->rowCount(), 0);
    }

    void aMissingRecorderKeepsTheTaskAndIsTriedEachSecond()
    {
        const QString recorder = m_dir->path() + QStringLiteral("/quillsnd.exe");
        QVERIFY(QFile::rename(recorder, recorder + QStringLiteral(".away")));
        insert("06:00:00", "/rec/kept.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(6, 0, 0));
        tickAt(copy, QTime(6, 0, 0, 100));
        QCOMPARE(m_dir->rowCount(), 1);
        QVERIFY(QFile::rename(recorder + QStringLiteral(".away"), recorder));
        tickAt(copy, QTime(6, 0, 0, 200));
        QTest::qWait(100);
        QVERIFY(started().isEmpty());
        tickAt(copy, QTime(6, 0, 1));
        QTRY_COMPARE(started(), QStringList({"/t&59&/o&/rec/kept.mp3"}));
        QCOMPARE(m_dir->rowCount(), 0);
        // Told once what to mend, though it was tried more than once, and then that it started late.
        QTRY_COMPARE(m_notifications->notices.size(), 2);
        QCOMPARE(notices().filter(recorder).size(), 1);
        QCOMPARE(notices().filter(QStringLiteral("晚了 1 秒")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(ScheduleMonitorTest)
#include "tst_schedulemonitor.moc"
