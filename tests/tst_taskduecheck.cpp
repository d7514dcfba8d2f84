#include "TaskDueCheck.h"

#include <QTest>

#include <ctime>

using Verdict = TaskDueCheck::Verdict;

// A start is the zone's wall-clock reading; "now" is a moment in UTC. "system" is the zone the program
// uses, which follows TZ (set to Europe/Berlin here).
class TaskDueCheckTest : public QObject
{
    Q_OBJECT

private:
    static void row(const char *name, const char *zone, const char *start, const char *parameter, const char *nowUtc,
                    Verdict verdict, const char *stopParameter = "")
    {
        QTest::newRow(name) << QByteArray(zone) << QDateTime::fromString(QString::fromLatin1(start), Qt::ISODate)
                            << QString::fromLatin1(parameter)
                            << QDateTime::fromString(QString::fromLatin1(nowUtc), Qt::ISODateWithMs).toUTC()
                            << verdict << QString::fromLatin1(stopParameter);
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        ::tzset();
    }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QString>("stopParameter");

        const char *six = "2026-12-24T06:00:00";
        row("a moment early", "UTC", six, "60", "2026-12-24T05:59:59.999Z", Verdict::NotYet);
        row("first moment of its second", "UTC", six, "60", "2026-12-24T06:00:00.000Z", Verdict::Due, "60");
        row("last moment of its second", "UTC", six, "60", "2026-12-24T06:00:00.999Z", Verdict::Due, "60");
        row("same time a day early", "UTC", six, "60", "2026-12-23T06:00:00.000Z", Verdict::NotYet);
        row("late within its recording", "UTC", six, "60", "2026-12-24T06:00:45.500Z", Verdict::Due, "15");
        row("last second of its recording", "UTC", six, "60", "2026-12-24T06:00:59.000Z", Verdict::Due, "1");
        row("recording over", "UTC", six, "60", "2026-12-24T06:01:00.000Z", Verdict::Passed);
        row("no readable start", "UTC", "unreadable", "60", "2026-12-24T06:00:00.000Z", Verdict::Passed);
        row("recording across midnight", "UTC", "2026-12-24T23:59:00", "3600", "2026-12-25T00:30:00.000Z",
            Verdict::Due, "1740");
        row("length not a number fires only in its second", "UTC", six, "abc", "2026-12-24T06:00:00.000Z", Verdict::Due,
            "abc");
        for (const char *length : {"abc", "+60", "60\n", "0", "99999999999999999999"})
            row(qPrintable(QStringLiteral("length '%1', a second late").arg(QLatin1String(length))), "UTC", six, length,
                "2026-12-24T06:00:01.000Z", Verdict::Passed);

        // Berlin (CET, +1) skips 02:00 to 03:00 on 29 March 2026: a start in the gap happens at 03:00:00
        // CEST, 01:00 UTC, with its full length.
        for (const char *zone : {"Europe/Berlin", "system"}) {
            const char *inGap = "2026-03-29T02:30:00";
            row(qPrintable(QStringLiteral("%1: in the gap, just before it").arg(zone)), zone, inGap, "60",
                "2026-03-29T00:59:59.999Z", Verdict::NotYet);
            row(qPrintable(QStringLiteral("%1: in the gap, when it ends").arg(zone)), zone, inGap, "60",
                "2026-03-29T01:00:00.200Z", Verdict::Due, "60");
            row(qPrintable(QStringLiteral("%1: in the gap, a minute later").arg(zone)), zone, inGap, "90",
                "2026-03-29T01:01:00.000Z", Verdict::Due, "30");
            row(qPrintable(QStringLiteral("%1: just after the gap").arg(zone)), zone, "2026-03-29T03:00:01", "60",
                "2026-03-29T01:00:00.500Z", Verdict::NotYet);
        }
        // Berlin passes 02:00 to 03:00 twice on 25 October 2026, at 00:00 UTC and at 01:00 UTC.
        const char *twice = "2026-10-25T02:30:00";
        row("autumn hour, before the first pass", "Europe/Berlin", twice, "60", "2026-10-25T00:29:59.000Z",
            Verdict::NotYet);
        row("autumn hour, first pass", "Europe/Berlin", twice, "60", "2026-10-25T00:30:00.000Z", Verdict::Due, "60");
        row("autumn hour, second pass, short", "Europe/Berlin", twice, "60", "2026-10-25T01:30:00.000Z",
            Verdict::Passed);
        row("autumn hour, second pass, long", "Europe/Berlin", twice, "7200", "2026-10-25T01:30:00.000Z", Verdict::Due,
            "3600");
        // Havana (CST, -5) skips midnight on 8 March 2026: 00:00:00 to 01:00:00 CDT, 05:00 UTC.
        row("skipped midnight, before", "America/Havana", "2026-03-08T00:00:00", "60", "2026-03-08T04:59:59.000Z",
            Verdict::NotYet);
        row("skipped midnight, when it ends", "America/Havana", "2026-03-08T00:00:00", "60",
            "2026-03-08T05:00:00.000Z", Verdict::Due, "60");
    }

    void verdicts()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, start);
        QFETCH(QString, parameter);
        QFETCH(QDateTime, now);
        QFETCH(Verdict, verdict);
        QFETCH(QString, stopParameter);
        const QTimeZone timeZone = zone == "system" ? QTimeZone::systemTimeZone() : QTimeZone(zone);
        QVERIFY(timeZone.isValid() && now.isValid());
        const TaskDueCheck::Result result =
            TaskDueCheck::check(start.date(), start.time(), parameter, now, timeZone);
        QCOMPARE(result.verdict, verdict);
        QCOMPARE(result.stopParameter, stopParameter);
    }
};

QTEST_GUILESS_MAIN(TaskDueCheckTest)
#include "tst_taskduecheck.moc"
