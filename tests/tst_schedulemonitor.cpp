#include "RecordCursor.h"
#include "ScheduleFields.h"
#include "ScheduleMonitor.h"
#include "StoreConnection.h"
#include "StoreLocker.h"
#include "TaskClaims.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QTest>

namespace {

const QDate Day(2026, 12, 24);
const QString Stopping60 = QStringLiteral("/t&60&/o&");
// How the store is held, the starts while it is and once it is free, and the notice ten seconds on.
using Holding = std::tuple<StoreLocker::Hold, QStringList, QStringList, QString>;

// One copy of the program's monitor: its own cursor and claims on the shared store.
struct MonitoringCopy
{
    MonitoringCopy(TestServices &services, const TestAppDir &dir) : dir(dir)
    {
        StoreError error;
        monitor = std::make_unique<ScheduleMonitor>(
            ScheduleMonitor::Context{cursor, services.clock, services.zone, services.recorder,
                                     dir.path() + QStringLiteral("/quillsnd.exe"), [this] { return reread(); },
                                     services.desktop, services.desktop},
            TaskClaims::open(dir.storePath(), &error, 0));
        reread();
    }

    StoreError reread()
    {
        StoreError error;
        auto connection = StoreConnection::open(dir.storePath(), &error, 0);
        if (auto rows = connection ? connection->openRecordset(ScheduleFields::OrderedQuery, &error) : nullptr)
            error = (cursor.attach(std::move(rows)), cursor.refresh());
        return error;
    }

    QString shownFile() const { return cursor.fieldOrNull(ScheduleFields::Filename).toString(); }

    const TestAppDir &dir;
    RecordCursor cursor;
    std::unique_ptr<ScheduleMonitor> monitor;
};

} // namespace

// The monitor against a clock the test sets, real stores, and stand-ins for the recorder and the desktop.
class ScheduleMonitorTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<TestAppDir> m_dir;

    void insert(const QString &time, const QString &file, const QString &length = "60", const QDate &date = Day)
    {
        m_dir->insert({date.toString(Qt::ISODate), time, "news", file, length, "length"});
    }

    void tickAt(MonitoringCopy &copy, const QDateTime &at)
    {
        m_services->clock.set(at);
        copy.monitor->tick(m_services->clock.now());
    }
    void tickAt(MonitoringCopy &copy, const QTime &time, const QDate &date = Day) { tickAt(copy, QDateTime(date, time)); }

    const QStringList &started() const { return m_services->recorders.arguments; }
    const QStringList &notices() const { return m_services->desktop.notices; }

private slots:
    void init()
    {
        m_services = std::make_unique<TestServices>();
        m_dir = std::make_unique<TestAppDir>();
    }

    // Two copies on one store: each task starts once, in its second, on its day; the machine stays awake for it.
    void firesOnceInItsSecondAndOnlyOnItsDay()
    {
        const QString awkwardFile = QStringLiteral("/tmp/a b&c;$(touch pwned)'\"`x`.mp3");
        insert("06:00:00", awkwardFile);
        insert("06:00:05", "/tmp/second.mp3");
        insert("06:00:00", "/tmp/next-day.mp3", "60", Day.addDays(1));
        MonitoringCopy one(*m_services, *m_dir);
        MonitoringCopy other(*m_services, *m_dir);
        tickAt(one, QTime(5, 54, 59));
        QCOMPARE(m_services->desktop.sleepHeldFor, QString());
        tickAt(one, QTime(5, 55, 0));
        QCOMPARE(m_services->desktop.sleepHeldFor, QStringLiteral("录音计划即将开始"));
        tickAt(one, QTime(5, 59, 59, 990));
        QCOMPARE(m_dir->rowCount(), 3);
        tickAt(one, QTime(6, 0, 0, 3));
        QCOMPARE(started(), QStringList({Stopping60 + awkwardFile}));
        tickAt(other, QTime(6, 0, 0, 4));
        tickAt(other, QTime(6, 0, 0, 104));
        // The copy that lost has read the store again and goes on with the next task.
        QCOMPARE(other.shownFile(), QStringLiteral("/tmp/second.mp3"));
        tickAt(other, QTime(6, 0, 5));
        tickAt(one, QTime(6, 0, 5, 1));
        QCOMPARE(started().size(), 2);
        tickAt(one, QTime(6, 0, 5, 101));
        QCOMPARE(m_dir->rowCount(), 1);
        QCOMPARE(one.shownFile(), QStringLiteral("/tmp/next-day.mp3"));
        QCOMPARE(m_services->desktop.sleepHeldFor, QString());
        // The same second a day later fires the next task; a double start of one before would show before it.
        tickAt(one, QTime(6, 0, 0, 5), Day.addDays(1));
        QCOMPARE(started(), QStringList({Stopping60 + awkwardFile, Stopping60 + "/tmp/second.mp3", Stopping60 + "/tmp/next-day.mp3"}));
        QCOMPARE(m_dir->rowCount(), 0);
        QCOMPARE(one.shownFile(), QString());
        QCOMPARE(m_services->recorders.namesEnded, QStringList(3, QStringLiteral("quillsnd.exe")));
        QCOMPARE(notices(), QStringList());
    }

    void lateTasksFireWithTheSecondsLeftAndMissedOnesStay_data()
    {
        QTest::addColumn<int>("missed");
        QTest::addColumn<QString>("missedNotice");
        QTest::newRow("one missed") << 1 << "«news» | 已错过";
        QTest::newRow("three missed, told of in one notice") << 3 << "已错过 3 个录音计划 | ";
    }

    void lateTasksFireWithTheSecondsLeftAndMissedOnesStay()
    {
        QFETCH(int, missed);
        QFETCH(QString, missedNotice);
        for (int i = 0; i < missed; ++i)
            insert(QTime(5, i).toString(Qt::ISODate), "/tmp/missed.mp3");
        insert("05:30:00", "/tmp/late.mp3", "3600");
        insert("06:00:00", "/tmp/on-time.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(5, 59, 30, 500));
        QCOMPARE(started(), QStringList({"/t&1830&/o&/tmp/late.mp3"}));
        QCOMPARE(copy.shownFile(), QStringLiteral("/tmp/on-time.mp3"));
        tickAt(copy, QTime(6, 0, 0));
        QCOMPARE(started().size(), 2);
        QCOMPARE(m_dir->rows().value(0).value(3), QStringLiteral("/tmp/missed.mp3"));
        QCOMPARE(m_dir->rowCount(), missed);
        // Each told of once, though the store is read and judged again.
        copy.reread();
        tickAt(copy, QTime(6, 0, 1));
        QCOMPARE(notices().size(), 2);
        QCOMPARE(notices().filter(missedNotice).size(), 1);
        QCOMPARE(notices().filter("晚了 29 分 30 秒").filter("只录 1830 秒").size(), 1);
    }

    void heldStore_data()
    {
        QTest::addColumn<Holding>("holding");
        const QString held = QStringLiteral("/t&%1&/o&/tmp/held.mp3"), after = QStringLiteral("/t&%1&/o&/tmp/after.mp3");
        // Nothing can be claimed: each task starts once the store is free, to stop when planned.
        QTest::newRow("held exclusively") << Holding{StoreLocker::Hold::Exclusive, {}, {held.arg(588), after.arg(589)}, "录音无法开始"};
        // Claimed, but the removals cannot be committed while the reader holds on: both start on time.
        QTest::newRow("held by a reader") << Holding{StoreLocker::Hold::Reading, {held.arg(600), after.arg(600)}, {}, "暂时无法删除"};
    }

    void heldStore()
    {
        QFETCH(Holding, holding);
        const auto &[hold, startedWhileHeld, startedOnceFree, noticeAfterTenSeconds] = holding;
        insert("06:00:00", "/tmp/held.mp3", "600");
        insert("06:00:01", "/tmp/after.mp3", "600");
        MonitoringCopy copy(*m_services, *m_dir);
        StoreLocker locker(m_dir->storePath());
        QVERIFY(locker.lock(hold));
        tickAt(copy, QTime(6, 0, 0));
        QCOMPARE(started(), startedWhileHeld.mid(0, 1));
        tickAt(copy, QTime(6, 0, 1, 500));
        QCOMPARE(started(), startedWhileHeld);
        tickAt(copy, QTime(6, 0, 9));
        QCOMPARE(notices(), QStringList());
        tickAt(copy, QTime(6, 0, 11));
        QCOMPARE(notices().size(), 1);
        QVERIFY(notices().first().contains(noticeAfterTenSeconds));
        QVERIFY(locker.release());
        for (int i = 1; i <= 2; ++i) {
            tickAt(copy, QTime(6, 0, 12, 100 * i));
            QCOMPARE(started(), startedWhileHeld + startedOnceFree.mid(0, i));
        }
        tickAt(copy, QTime(6, 0, 12, 300));
        QCOMPARE(m_dir->rowCount(), 0);
    }

    void aClockStepMakesItJudgeTheStoreAgain()
    {
        insert("10:30:00", "/tmp/passed-over.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(11, 30, 0));
        // Added by another program: only a reading of the store shows it, and time passing reads nothing.
        insert("11:30:05", "/tmp/added.mp3");
        tickAt(copy, QTime(11, 30, 1));
        QCOMPARE(copy.shownFile(), QString());
        m_services->clock.step(QDateTime(Day, QTime(10, 29, 57)));
        copy.monitor->tick(m_services->clock.now());
        QCOMPARE(copy.shownFile(), QStringLiteral("/tmp/passed-over.mp3"));
        tickAt(copy, QTime(10, 30, 0));
        QCOMPARE(started(), QStringList({Stopping60 + "/tmp/passed-over.mp3"}));
    }

    // 18:37:47 UTC is 19:37:47 in Berlin: a start ahead on one zone's wall clock is due, or passed, on the other's.
    void aZoneChangeCountsLikeAClockStep_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QByteArrayList>("zones");
        QTest::newRow("UTC to Berlin: due at once") << "19:37:47" << QByteArrayList{"UTC", "Europe/Berlin"};
        QTest::newRow("Berlin to UTC: passed over, ahead again") << "18:37:47" << QByteArrayList{"Europe/Berlin", "UTC"};
    }

    void aZoneChangeCountsLikeAClockStep()
    {
        QFETCH(QString, time);
        QFETCH(QByteArrayList, zones);
        insert(time, "/tmp/zoned.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        for (const QByteArray &zone : zones) {
            m_services->zone.set(QTimeZone(zone));
            tickAt(copy, QDateTime(Day, QTime(18, 37, 46), QTimeZone::utc()));
            QCOMPARE(started(), QStringList());
        }
        tickAt(copy, QDateTime(Day, QTime(18, 37, 47), QTimeZone::utc()));
        QCOMPARE(started(), QStringList({Stopping60 + "/tmp/zoned.mp3"}));
    }

    // Claimed until the recorder before ends, the task then starts with the seconds left; a user's write waits meanwhile.
    void aRunningRecorderIsGoneBeforeTheNextStartsAndAWriteWaitsForIt()
    {
        m_services->recorders.linger = true;
        m_services->recorders.running = 1;
        insert("06:00:00", "/tmp/next.mp3");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(6, 0, 0));
        tickAt(copy, QTime(6, 0, 2, 500));
        StoreError error;
        const auto user = StoreConnection::open(m_dir->storePath(), &error);
        const auto write = [&user] {
            QSqlQuery query(user->database());
            return query.exec("UPDATE AddSchTab SET Program = 'edited'") ? StoreError() : user->errorFrom(query.lastError());
        };
        QCOMPARE(write().number, int(StoreError::Locked));
        QCOMPARE(m_dir->rowCount(), 1);
        QCOMPARE(started(), QStringList());
        QTimer::singleShot(0, this, [this] { m_services->recorders.endAll(); });
        copy.monitor->waitUntilClaimsSettled();
        QCOMPARE(started(), QStringList({"/t&58&/o&/tmp/next.mp3"}));
        QCOMPARE(write().number, 0);
        QCOMPARE(m_dir->rowCount(), 0);
    }

    void aRemovalThatFailsStillStartsTheTaskOnce_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("started");
        QTest::newRow("one-shot") << "" << QStringList({Stopping60 + "/tmp/kept.mp3", Stopping60 + "/tmp/after.mp3"});
        QTest::newRow("series") << "FREQ=DAILY" << QStringList({Stopping60 + "/tmp/kept 2026-12-24.mp3", Stopping60 + "/tmp/after.mp3", Stopping60 + "/tmp/kept 2026-12-25.mp3"});
    }

    // A removal that fails for the store's own reason (a full disk) costs no recording, the user learns why, a series that
    // cannot move on is missed, and one that started moves on once the store takes writes again.
    void aRemovalThatFailsStillStartsTheTaskOnce()
    {
        QFETCH(QString, rule);
        QFETCH(QStringList, started);
        const QStringList kept{Day.toString(Qt::ISODate), "06:00:00", "news", "/tmp/kept.mp3", "60", "length"};
        rule.isEmpty() ? m_dir->insert(kept) : m_dir->insertSeries(kept, rule);
        insert("06:00:01", "/tmp/after.mp3");
        m_dir->insertSeries({"2026-12-23", "05:00:00", "passed", "/tmp/passed.mp3", "60", "length"}, "FREQ=DAILY");
        m_dir->exec("CREATE TRIGGER full BEFORE DELETE ON AddSchTab BEGIN SELECT RAISE(FAIL, 'disk is full'); END");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(6, 0, 0));
        QCOMPARE(this->started(), started.mid(0, 1));
        QCOMPARE(copy.shownFile(), QStringLiteral("/tmp/after.mp3"));
        copy.reread();
        tickAt(copy, QTime(6, 0, 0, 100));
        tickAt(copy, QTime(6, 0, 1));
        QCOMPARE(this->started(), started.mid(0, 2));
        QCOMPARE(m_dir->rowCount(), 3);
        m_dir->exec("DROP TRIGGER full");
        tickAt(copy, QTime(6, 0, 2));
        tickAt(copy, QTime(6, 0, 0), Day.addDays(1));
        QCOMPARE(this->started(), started);
        QCOMPARE(notices().filter("计划数据库无法更新").filter("disk is full").size(), 2);
        QCOMPARE(notices().filter("/tmp/kept.mp3").size(), 1);
        QCOMPARE(notices().filter("«passed» | 已错过:").size(), 1);
    }

    // Two copies on one store: each occurrence starts once, to a file of its own, and the next takes its place.
    void aSeriesFiresEachOccurrenceOnceToItsOwnFile()
    {
        const QString rule = QStringLiteral("FREQ=DAILY;COUNT=3");
        m_dir->insertSeries({Day.toString(Qt::ISODate), "06:00:00", "news", "/tmp/news.mp3", "60", "length"}, rule);
        MonitoringCopy one(*m_services, *m_dir);
        MonitoringCopy other(*m_services, *m_dir);
        // A recorder that does not start puts the occurrence back as it was.
        m_services->recorders.present = false;
        tickAt(one, QTime(6, 0, 0));
        QCOMPARE(m_dir->plans(), QStringList({"2026-12-24 06:00:00 " + rule}));
        QCOMPARE(m_dir->rowCount(), 1);
        m_services->recorders.present = true;
        tickAt(one, QTime(6, 0, 1));
        tickAt(other, QTime(6, 0, 1, 50));
        tickAt(other, QTime(6, 0, 1, 150));
        for (int day = 1; day < 4; ++day) {
            tickAt(one, QTime(6, 0, 0), Day.addDays(day));
            tickAt(other, QTime(6, 0, 0, 50), Day.addDays(day));
            tickAt(other, QTime(6, 0, 0, 150), Day.addDays(day));
        }
        QCOMPARE(started(), QStringList({"/t&59&/o&/tmp/news 2026-12-24.mp3", Stopping60 + "/tmp/news 2026-12-25.mp3", Stopping60 + "/tmp/news 2026-12-26.mp3"}));
        QCOMPARE(m_dir->rowCount() + m_dir->plans().size(), 0);
    }

    // A task's own source is the recorder's second argument; a one-shot task's plan goes with it, a series keeps it.
    void aTaskWithASourceOfItsOwnGivesItToTheRecorder_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("started");
        QTest::addColumn<QStringList>("plans");
        QTest::newRow("none") << "" << "" << Stopping60 + "/tmp/news.mp3" << QStringList();
        QTest::newRow("a sound server's input") << "" << "alsa_input.pci-0000_00_1b.0.analog-stereo" << Stopping60 + "/tmp/news.mp3 /s&alsa_input.pci-0000_00_1b.0.analog-stereo" << QStringList();
        QTest::newRow("a series from a stream") << "FREQ=DAILY" << "http://127.0.0.1:8000/radio"
                                                << Stopping60 + "/tmp/news 2026-12-24.mp3 /s&http://127.0.0.1:8000/radio" << QStringList({"2026-12-25 06:00:00 FREQ=DAILY"});
    }

    void aTaskWithASourceOfItsOwnGivesItToTheRecorder()
    {
        QFETCH(QString, rule);
        QFETCH(QString, source);
        QFETCH(QString, started);
        QFETCH(QStringList, plans);
        const QStringList row{Day.toString(Qt::ISODate), "06:00:00", "news", "/tmp/news.mp3", "60", "length"};
        source.isEmpty() ? m_dir->insert(row) : m_dir->insertSeries(row, rule, source);
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(6, 0, 0));
        QCOMPARE(this->started(), QStringList({started}));
        QCOMPARE(m_dir->plans(), plans);
    }

    // The occurrences missed while the program was off are told in one notice; the one still recording joins late.
    void daysOffAreToldOnceAndTheSeriesGoesOn_data()
    {
        QTest::addColumn<QTime>("back");
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<QString>("nextDate");
        QTest::newRow("back before the day's start") << QTime(5, 0) << QStringList() << "2026-12-27";
        QTest::newRow("back while it records") << QTime(6, 0, 30) << QStringList({"/t&30&/o&/tmp/news 2026-12-27.mp3"}) << "2026-12-28";
    }

    void daysOffAreToldOnceAndTheSeriesGoesOn()
    {
        QFETCH(QTime, back);
        QFETCH(QStringList, started);
        QFETCH(QString, nextDate);
        m_dir->insertSeries({Day.toString(Qt::ISODate), "06:00:00", "news", "/tmp/news.mp3", "60", "length"}, "FREQ=DAILY");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, back, Day.addDays(3));
        tickAt(copy, back.addMSecs(100), Day.addDays(3));
        QCOMPARE(this->started(), started);
        QCOMPARE(notices().filter("已错过"), QStringList({"«news» | 已错过 3 次: news 2026-12-24, 2026-12-25, 2026-12-26\n时间: 06:00:00, 文件: /tmp/news.mp3"}));
        QCOMPARE(m_dir->plans(), QStringList({nextDate + " 06:00:00 FREQ=DAILY"}));
        // Fired by a program that keeps no plans: the series goes on with its first occurrence not wholly past.
        m_dir->exec("DELETE FROM AddSchTab");
        const QDate resumed = QDate::fromString(nextDate, Qt::ISODate).addDays(1);
        m_services->clock.set(QDateTime(resumed, back));
        copy.monitor->resumeSeries();
        QCOMPARE(m_dir->rows().value(0).value(0), resumed.toString(Qt::ISODate));
        QCOMPARE(m_dir->rowCount(), 1);
    }

    // Five minutes before a start, while there is time to act, a folder that cannot take the recording is told once.
    void aFolderThatCannotTakeTheRecordingIsToldBeforeTheStart_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("told");
        QTest::newRow("missing") << "/tmp/no such folder" << "60" << "不存在";
        QTest::newRow("read-only") << "" << "60" << "无法写入";
        QTest::newRow("too small for a year of WAV") << "/tmp" << "31536000000" << "所在磁盘只剩";
    }

    void aFolderThatCannotTakeTheRecordingIsToldBeforeTheStart()
    {
        QFETCH(QString, folder);
        QFETCH(QString, length);
        QFETCH(QString, told);
        TestAppDir readOnly;
        if (folder.isEmpty()) {
            QVERIFY(readOnly.damageStore(TestAppDir::Damage::FolderReadOnly));
            folder = readOnly.path();
        }
        m_dir->insertSeries({Day.toString(Qt::ISODate), "06:00:00", "news", folder + "/news.wav", length, "length"}, "FREQ=DAILY");
        MonitoringCopy copy(*m_services, *m_dir);
        // Each occurrence of a series, though the next may take its row's id.
        for (int day = 0; day < 2; ++day) {
            tickAt(copy, QTime(5, 54, 59), Day.addDays(day));
            QCOMPARE(notices().size(), day);
            tickAt(copy, QTime(5, 55, 0), Day.addDays(day));
            tickAt(copy, QTime(5, 55, 1), Day.addDays(day));
            QCOMPARE(notices().size(), day + 1);
            QVERIFY2(notices().last().contains(told) && notices().last().contains(folder), qPrintable(notices().last()));
            tickAt(copy, QTime(6, 0, 0), Day.addDays(day));
        }
    }

    // Told of: a start the clock skipped (Berlin's 02:30 on 29 March 2026 starts at 03:00), and a rule no one can read.
    void unusualStartsAreTold()
    {
        m_services->zone.set(QTimeZone("Europe/Berlin"));
        const QDate spring(2026, 3, 29);
        m_dir->insertSeries({spring.toString(Qt::ISODate), "02:30:00", "news", "/tmp/news.mp3", "60", "length"}, "FREQ=OFTEN");
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QDateTime(spring, QTime(1, 0), QTimeZone::utc()));
        QCOMPARE(started(), QStringList({Stopping60 + "/tmp/news.mp3"}));
        QCOMPARE(notices().filter("重复规则无法读取").size(), 1);
        QCOMPARE(notices().filter("计划时间 02:30:00 在时钟调整 (夏令时) 中不存在, 已于 03-29 03:00:00 开始录音").size(), 1);
        QCOMPARE(m_dir->rowCount(), 0);
    }

    void aMissingRecorderKeepsTheTaskAndIsTriedEachSecond_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::newRow("the store takes the task back") << "";
        // Undone with the whole removal, which would otherwise hold the store locked for good.
        QTest::newRow("the store cannot put it back") << "CREATE TRIGGER full BEFORE INSERT ON AddSchTab BEGIN SELECT RAISE(FAIL, 'disk is full'); END";
    }

    void aMissingRecorderKeepsTheTaskAndIsTriedEachSecond()
    {
        QFETCH(QString, trouble);
        m_services->recorders.present = false;
        insert("06:00:00", "/tmp/kept.mp3");
        if (!trouble.isEmpty())
            m_dir->exec(trouble);
        MonitoringCopy copy(*m_services, *m_dir);
        tickAt(copy, QTime(6, 0, 0));
        tickAt(copy, QTime(6, 0, 0, 100));
        QCOMPARE(m_dir->rowCount(), 1);
        m_services->recorders.present = true;
        tickAt(copy, QTime(6, 0, 0, 200));
        QCOMPARE(started(), QStringList());
        tickAt(copy, QTime(6, 0, 1));
        QCOMPARE(started(), QStringList({"/t&59&/o&/tmp/kept.mp3"}));
        QCOMPARE(m_dir->rowCount(), 0);
        // Told once what to mend, though it was tried more than once, and then that it started late.
        const QString recorder = m_dir->path() + QStringLiteral("/quillsnd.exe");
        QCOMPARE(notices().size(), 2);
        QCOMPARE(notices().filter(recorder).size(), 1);
        QCOMPARE(notices().filter("晚了 1 秒").size(), 1);
    }
};

QTEST_GUILESS_MAIN(ScheduleMonitorTest)
#include "tst_schedulemonitor.moc"
