#include "ResultSet.h"
#include "SeriesFileName.h"
#include "SeriesPlans.h"
#include "SeriesRule.h"
#include "StoreConnection.h"
#include "TaskClaims.h"
#include "TaskDueCheck.h"
#include "TestAppDir.h"

#include <QSqlQuery>
#include <QTest>

namespace {

QStringList tableInfo(const QString &storePath)
{
    StoreError error;
    auto connection = StoreConnection::open(storePath, &error);
    QSqlQuery query(connection->database());
    query.exec("SELECT name, type, \"notnull\", pk FROM pragma_table_info('AddSchPlan')");
    QStringList columns;
    while (query.next())
        columns << QStringList{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(), query.value(3).toString()}.join(' ');
    query.exec("PRAGMA user_version");
    return columns << (query.next() ? query.value(0).toString() : "no version");
}

} // namespace

// Series rules expanded by libical on the wall clock of real zones, their file names, and their plans in real stores.
class SeriesTest : public QObject
{
    Q_OBJECT

private slots:
    // Each row: the rule, the series' first date and time, the date after which to look, the zone, and the next starts in UTC.
    void occurrences_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QDate>("after");
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("starts");
        const QTime six(6, 0), halfPastTwo(2, 30);
        QTest::newRow("Berlin: in the spring gap, at its end") << "FREQ=DAILY" << QDate(2026, 3, 27) << halfPastTwo << QDate(2026, 3, 27) << QByteArray("Europe/Berlin") << "2026-03-28T01:30:00Z 2026-03-29T01:00:00Z 2026-03-30T00:30:00Z";
        QTest::newRow("Berlin: in the autumn's repeated hour, its first pass") << "FREQ=DAILY" << QDate(2026, 10, 24) << halfPastTwo << QDate(2026, 10, 24) << QByteArray("Europe/Berlin") << "2026-10-25T00:30:00Z 2026-10-26T01:30:00Z 2026-10-27T01:30:00Z";
        QTest::newRow("Berlin: 06:00 stays 06:00") << "FREQ=DAILY" << QDate(2026, 10, 23) << six << QDate(2026, 10, 23) << QByteArray("Europe/Berlin") << "2026-10-24T04:00:00Z 2026-10-25T05:00:00Z 2026-10-26T05:00:00Z";
        QTest::newRow("Havana: midnight skipped") << "FREQ=DAILY" << QDate(2026, 3, 6) << QTime(0, 30) << QDate(2026, 3, 6) << QByteArray("America/Havana") << "2026-03-07T05:30:00Z 2026-03-08T05:00:00Z 2026-03-09T04:30:00Z";
        QTest::newRow("Lord Howe: half an hour skipped") << "FREQ=DAILY" << QDate(2026, 10, 2) << QTime(2, 15) << QDate(2026, 10, 2) << QByteArray("Australia/Lord_Howe") << "2026-10-02T15:45:00Z 2026-10-03T15:30:00Z 2026-10-04T15:15:00Z";
        QTest::newRow("a month's last day") << "FREQ=DAILY" << QDate(2026, 1, 29) << six << QDate(2026, 1, 30) << QByteArray("UTC") << "2026-01-31T06:00:00Z 2026-02-01T06:00:00Z 2026-02-02T06:00:00Z";
        QTest::newRow("the year's end") << "FREQ=DAILY" << QDate(2026, 12, 30) << six << QDate(2026, 12, 30) << QByteArray("UTC") << "2026-12-31T06:00:00Z 2027-01-01T06:00:00Z 2027-01-02T06:00:00Z";
        QTest::newRow("29 February, daily") << "FREQ=DAILY" << QDate(2028, 2, 27) << six << QDate(2028, 2, 28) << QByteArray("UTC") << "2028-02-29T06:00:00Z 2028-03-01T06:00:00Z 2028-03-02T06:00:00Z";
        QTest::newRow("29 February, yearly") << "FREQ=YEARLY" << QDate(2028, 2, 29) << six << QDate(2028, 2, 29) << QByteArray("UTC") << "2032-02-29T06:00:00Z 2036-02-29T06:00:00Z 2040-02-29T06:00:00Z";
        QTest::newRow("until") << "FREQ=DAILY;UNTIL=20261226T235959" << QDate(2026, 12, 24) << six << QDate(2026, 12, 24) << QByteArray("UTC") << "2026-12-25T06:00:00Z 2026-12-26T06:00:00Z";
        QTest::newRow("weekdays, four in all") << "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;COUNT=4" << QDate(2026, 12, 25) << six << QDate(2026, 12, 28) << QByteArray("UTC") << "2026-12-29T06:00:00Z 2026-12-30T06:00:00Z";
        QTest::newRow("every other week") << "FREQ=WEEKLY;INTERVAL=2" << QDate(2026, 12, 7) << six << QDate(2026, 12, 7) << QByteArray("UTC") << "2026-12-21T06:00:00Z 2027-01-04T06:00:00Z 2027-01-18T06:00:00Z";
    }

    void occurrences()
    {
        QFETCH(QString, rule);
        QFETCH(QDate, first);
        QFETCH(QTime, time);
        QFETCH(QDate, after);
        QFETCH(QByteArray, zone);
        QFETCH(QString, starts);
        const std::optional<SeriesRule> series = SeriesRule::read(rule);
        QVERIFY(series);
        QStringList found;
        for (const QDate date : series->datesAfter(first, time, after, 3))
            found << QDateTime::fromMSecsSinceEpoch(TaskDueCheck::startMsecs(date, time, QTimeZone(zone)), Qt::UTC).toString(Qt::ISODate);
        QCOMPARE(found.join(' '), starts);
    }

    // What another tool may write, and what would set the task's own time, is no rule.
    void unreadableRules()
    {
        for (const char *text : {"", "FREQ=HOURLY", "FREQ=SECONDLY", "FREQ=DAILY;BYHOUR=5", "FREQ=WEEKLY;BYMINUTE=1", "not a rule", "FREQ=DAILY;INTERVAL=0"})
            QVERIFY2(!SeriesRule::read(text), text);
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("dated");
        QTest::newRow("before the extension") << "/tmp/早间新闻.mp3" << "/tmp/早间新闻 2026-12-08.mp3";
        QTest::newRow("a dot in a folder") << "/tmp/v1.2/news" << "/tmp/v1.2/news 2026-12-08";
        QTest::newRow("a hidden name") << "/tmp/.news" << "/tmp/.news 2026-12-08";
    }

    void fileNames()
    {
        QFETCH(QString, file);
        QFETCH(QString, dated);
        QCOMPARE(SeriesFileName::forDate(file, QDate(2026, 12, 8)), dated);
    }

    // A store of each earlier schema gets the plan table as new stores have it, and keeps its rows.
    void anEarlierStoreIsUpgraded_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("undo");
        QTest::newRow("AddSchTab alone") << 0 << "DROP TABLE AddSchPlan";
        QTest::newRow("plans without sources") << 1 << "ALTER TABLE AddSchPlan DROP COLUMN Source";
    }

    void anEarlierStoreIsUpgraded()
    {
        QFETCH(int, version);
        QFETCH(QString, undo);
        TestAppDir fresh, earlier;
        QVERIFY(fresh.isValid() && earlier.isValid());
        earlier.exec(undo);
        earlier.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
        earlier.insertTasks({"2026-12-24 06:00:00 kept"});
        for (int run = 0; run < 2; ++run) {
            StoreError error;
            auto connection = StoreConnection::open(earlier.storePath(), &error);
            QVERIFY(connection && !SeriesPlans::upgrade(*connection));
        }
        QCOMPARE(tableInfo(earlier.storePath()), tableInfo(fresh.storePath()));
        QCOMPARE(earlier.rows(), QList<QStringList>({TestAppDir::taskFields("2026-12-24 06:00:00 kept")}));
    }

    // A claimed occurrence leaves the next in its place; a store of a newer version or a rule no one can read leaves a one-shot task.
    void claimsOfSeries_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<bool>("occurrence");
        QTest::addColumn<QString>("left");
        QTest::newRow("series") << SeriesPlans::StoreVersion << "FREQ=WEEKLY" << true << "2026-12-31 06:00:00 FREQ=WEEKLY";
        QTest::newRow("newer store") << SeriesPlans::StoreVersion + 1 << "FREQ=WEEKLY" << false << "2026-12-24 06:00:00 FREQ=WEEKLY";
        QTest::newRow("unreadable rule") << SeriesPlans::StoreVersion << "FREQ=FORTNIGHTLY" << false << "2026-12-24 06:00:00 FREQ=FORTNIGHTLY";
    }

    void claimsOfSeries()
    {
        QFETCH(int, version);
        QFETCH(QString, rule);
        QFETCH(bool, occurrence);
        QFETCH(QString, left);
        TestAppDir dir;
        dir.insertSeries(TestAppDir::taskFields("2026-12-24 06:00:00 news"), rule);
        dir.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
        StoreError error;
        auto claims = TaskClaims::open(dir.storePath(), &error, 0);
        Task task(1);
        const QStringList fields = TestAppDir::taskFields("2026-12-24 06:00:00 news");
        for (int i = 0; i < ScheduleFields::Count; ++i)
            task.setStored(ScheduleFields::Field(i), fields[i]);
        TaskClaims::Planned planned;
        QCOMPARE(claims->claim(task, &error, &planned), TaskClaims::Outcome::Claimed);
        QCOMPARE(planned.repeat == TaskClaims::Repeat::Occurrence, occurrence);
        claims->settle(1);
        QVERIFY(!claims->commit());
        QCOMPARE(dir.rowCount(), occurrence ? 1 : 0);
        QCOMPARE(dir.plans(), QStringList({left}));
    }

    // The user's edit of a series' row edits the series; deleting the row deletes it.
    void theUsersChangesCarryTheSeries()
    {
        TestAppDir dir;
        dir.insertSeries(TestAppDir::taskFields("2026-12-24 06:00:00 news"), "FREQ=DAILY");
        StoreError error;
        auto connection = StoreConnection::open(dir.storePath(), &error);
        std::unique_ptr<ResultSet> rows = connection->openRecordset(ScheduleFields::OrderedQuery, &error);
        QVERIFY(!rows->requery() && !rows->edit());
        QVERIFY(!rows->setValue(QStringLiteral("StartTime"), QTime(7, 30)) && !rows->update());
        QCOMPARE(dir.plans(), QStringList({"2026-12-24 07:30:00 FREQ=DAILY"}));
        QVERIFY(!rows->deleteRow());
        QCOMPARE(dir.rowCount() + dir.plans().size(), 0);
    }
};

QTEST_GUILESS_MAIN(SeriesTest)
#include "tst_series.moc"
