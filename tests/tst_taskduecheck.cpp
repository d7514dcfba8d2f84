#include "TaskDueCheck.h"

#include <QTest>

#include <ctime>

using Verdict = TaskDueCheck::Verdict;
// The zone, the start, the length, the moment, and the verdict with its stop length.
using Case = std::tuple<QByteArray, QDateTime, QString, QDateTime, Verdict, QString>;

// A start is the zone's wall-clock reading, "now" a moment in UTC; "system" follows TZ, Europe/Berlin here.
class TaskDueCheckTest : public QObject
{
    Q_OBJECT

private:
    static void row(const QString &name, const char *zone, const char *start, const char *parameter, const char *nowUtc,
                    Verdict verdict, const char *stopParameter = "")
    {
        QTest::newRow(qPrintable(name)) << Case{zone, QDateTime::fromString(QString::fromLatin1(start), Qt::ISODate),
                                                QString::fromLatin1(parameter),
                                                QDateTime::fromString(QString::fromLatin1(nowUtc), Qt::ISODateWithMs).toUTC(),
                                                verdict, QString::fromLatin1(stopParameter)};
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        ::tzset();
    }

    void verdicts_data()
    {
        QTest::addColumn<Case>("check");
        const char *six = "2026-12-24T06:00:00";
        row("a moment early", "UTC", six, "60", "2026-12-24T05:59:59.999Z", Verdict::NotYet);
        row("first moment of its second", "UTC", six, "60", "2026-12-24T06:00:00Z", Verdict::Due, "60");
        row("last moment of its second", "UTC", six, "60", "2026-12-24T06:00:00.999Z", Verdict::Due, "60");
        row("same time a day early", "UTC", six, "60", "2026-12-23T06:00:00Z", Verdict::NotYet);
        row("late within its recording", "UTC", six, "60", "2026-12-24T06:00:45.500Z", Verdict::Due, "15");
        row("last second of its recording", "UTC", six, "60", "2026-12-24T06:00:59Z", Verdict::Due, "1");
        row("recording over", "UTC", six, "60", "2026-12-24T06:01:00Z", Verdict::Passed);
        row("no readable start", "UTC", "unreadable", "60", "2026-12-24T06:00:00Z", Verdict::Passed);
        row("length not a number fires only in its second", "UTC", six, "abc", "2026-12-24T06:00:00Z", Verdict::Due, "abc");
        for (const char *length : {"abc", "+60", "60\n", "0", "99999999999999999999"})
            row(QStringLiteral("length '%1', a second late").arg(length), "UTC", six, length, "2026-12-24T06:00:01Z", Verdict::Passed);

        // Berlin skips 02:00 to 03:00 on 29 March 2026: a start in the gap happens at 01:00 UTC, with its full length.
        for (const char *zone : {"Europe/Berlin", "system"}) {
            const char *inGap = "2026-03-29T02:30:00";
            const QString name = QStringLiteral("%1: %2").arg(zone);
            row(name.arg("in the gap, just before it"), zone, inGap, "60", "2026-03-29T00:59:59.999Z", Verdict::NotYet);
            row(name.arg("in the gap, when it ends"), zone, inGap, "60", "2026-03-29T01:00:00.200Z", Verdict::Due, "60");
            row(name.arg("in the gap, a minute later"), zone, inGap, "90", "2026-03-29T01:01:00Z", Verdict::Due, "30");
            row(name.arg("just after the gap"), zone, "2026-03-29T03:00:01", "60", "2026-03-29T01:00:00.500Z", Verdict::NotYet);
        }
        // Berlin passes 02:00 to 03:00 twice on 25 October 2026, at 00:00 UTC and at 01:00 UTC.
        const char *twice = "2026-10-25T02:30:00", *berlin = "Europe/Berlin";
        row("autumn hour, before the first pass", berlin, twice, "60", "2026-10-25T00:29:59Z", Verdict::NotYet);
        row("autumn hour, first pass", berlin, twice, "60", "2026-10-25T00:30:00Z", Verdict::Due, "60");
        row("autumn hour, second pass, short", berlin, twice, "60", "2026-10-25T01:30:00Z", Verdict::Passed);
        row("autumn hour, second pass, long", berlin, twice, "7200", "2026-10-25T01:30:00Z", Verdict::Due, "3600");
        // Havana (CST, -5) skips midnight on 8 March 2026: 00:00:00 to 01:00:00 CDT, 05:00 UTC.
        const char *midnight = "2026-03-08T00:00:00", *havana = "America/Havana";
        row("skipped midnight, before", havana, midnight, "60", "2026-03-08T04:59:59Z", Verdict::NotYet);
        row("skipped midnight, when it ends", havana, midnight, "60", "2026-03-08T05:00:00Z", Verdict::Due, "60");
    }

    void verdicts()
    {
        QFETCH(Case, check);
        const auto &[zone, start, parameter, now, verdict, stopParameter] = check;
        const QTimeZone timeZone = zone == "system" ? QTimeZone::systemTimeZone() : QTimeZone(zone);
        QVERIFY(timeZone.isValid() && now.isValid());
        const TaskDueCheck::Result result = TaskDueCheck::check(start.date(), start.time(), parameter, now, timeZone);
        QCOMPARE(result.verdict, verdict);
        QCOMPARE(result.stopParameter, stopParameter);
    }
};

QTEST_GUILESS_MAIN(TaskDueCheckTest)
#include "tst_taskduecheck.moc"
