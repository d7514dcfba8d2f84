#include "TaskDueCheck.h"

#include <QTest>

#include <ctime>

using Verdict = TaskDueCheck::Verdict;

// A start is the zone's wall-clock reading (held in a UTC QDateTime as a plain date and time);
// "now" is a moment, given in UTC.
class TaskDueCheckTest : public QObject
{
    Q_OBJECT

private:
    static QTimeZone zoneNamed(const QByteArray &id)
    {
        // "system" is the zone the program uses, which follows TZ.
        return id == "system" ? QTimeZone::systemTimeZone() : QTimeZone(id);
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

        const auto at = [](int year, int month, int day, int hour, int minute, int second, int ms = 0) {
            return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), Qt::UTC);
        };
        const QDateTime six = at(2026, 12, 24, 6, 0, 0);
        QTest::newRow("a moment early") << QByteArray("UTC") << six << "60" << at(2026, 12, 24, 5, 59, 59, 999)
                                        << Verdict::NotYet << QString();
        QTest::newRow("first moment of its second") << QByteArray("UTC") << six << "60" << six << Verdict::Due << "60";
        QTest::newRow("last moment of its second")
            << QByteArray("UTC") << six << "60" << at(2026, 12, 24, 6, 0, 0, 999) << Verdict::Due << "60";
        QTest::newRow("same time a day early")
            << QByteArray("UTC") << six << "60" << six.addDays(-1) << Verdict::NotYet << QString();
        QTest::newRow("late within its recording")
            << QByteArray("UTC") << six << "60" << at(2026, 12, 24, 6, 0, 45, 500) << Verdict::Due << "15";
        QTest::newRow("last second of its recording")
            << QByteArray("UTC") << six << "60" << at(2026, 12, 24, 6, 0, 59) << Verdict::Due << "1";
        QTest::newRow("recording over")
            << QByteArray("UTC") << six << "60" << at(2026, 12, 24, 6, 1, 0) << Verdict::Passed << QString();
        QTest::newRow("same time a day late")
            << QByteArray("UTC") << six << "60" << six.addDays(1) << Verdict::Passed << QString();
        QTest::newRow("recording across midnight") << QByteArray("UTC") << at(2026, 12, 24, 23, 59, 0) << "3600"
                                                   << at(2026, 12, 25, 0, 30, 0) << Verdict::Due << "1740";
        QTest::newRow("length not a number fires only in its second")
            << QByteArray("UTC") << six << "abc" << six << Verdict::Due << "abc";
        QTest::newRow("length not a number, a second late")
            << QByteArray("UTC") << six << "abc" << at(2026, 12, 24, 6, 0, 1) << Verdict::Passed << QString();
        QTest::newRow("signed length, a second late")
            << QByteArray("UTC") << six << "+60" << at(2026, 12, 24, 6, 0, 1) << Verdict::Passed << QString();
        QTest::newRow("length with a line break, a second late")
            << QByteArray("UTC") << six << "60\n" << at(2026, 12, 24, 6, 0, 1) << Verdict::Passed << QString();
        QTest::newRow("zero length, a second late")
            << QByteArray("UTC") << six << "0" << at(2026, 12, 24, 6, 0, 1) << Verdict::Passed << QString();
        QTest::newRow("huge length") << QByteArray("UTC") << six << "99999999999999999999"
                                     << at(2026, 12, 24, 6, 0, 1) << Verdict::Passed << QString();

        // Berlin (CET, +1) skips 02:00 to 03:00 on 29 March 2026: a start in the gap happens at
        // 03:00:00 CEST, 01:00:00 UTC.
        const QDateTime inGap = at(2026, 3, 29, 2, 30, 0);
        for (const QByteArray &zone : {QByteArray("Europe/Berlin"), QByteArray("system")}) {
            QTest::addRow("%s: in the spring gap, the last moment before it", zone.constData())
                << zone << inGap << "60" << at(2026, 3, 29, 0, 59, 59, 999) << Verdict::NotYet << QString();
            QTest::addRow("%s: in the spring gap, when the gap ends", zone.constData())
                << zone << inGap << "60" << at(2026, 3, 29, 1, 0, 0, 200) << Verdict::Due << "60";
            QTest::addRow("%s: in the spring gap, a minute later", zone.constData())
                << zone << inGap << "90" << at(2026, 3, 29, 1, 1, 0) << Verdict::Due << "30";
            QTest::addRow("%s: just after the gap", zone.constData())
                << zone << at(2026, 3, 29, 3, 0, 1) << "60" << at(2026, 3, 29, 1, 0, 0, 500) << Verdict::NotYet
                << QString();
        }
        // Berlin passes 02:00 to 03:00 twice on 25 October 2026, first at 00:00 UTC (CEST), then at
        // 01:00 UTC (CET): a start there happens at the first pass.
        const QDateTime twice = at(2026, 10, 25, 2, 30, 0);
        QTest::newRow("autumn hour, before the first pass")
            << QByteArray("Europe/Berlin") << twice << "60" << at(2026, 10, 25, 0, 29, 59) << Verdict::NotYet
            << QString();
        QTest::newRow("autumn hour, first pass")
            << QByteArray("Europe/Berlin") << twice << "60" << at(2026, 10, 25, 0, 30, 0) << Verdict::Due << "60";
        QTest::newRow("autumn hour, second pass of a short task")
            << QByteArray("Europe/Berlin") << twice << "60" << at(2026, 10, 25, 1, 30, 0) << Verdict::Passed
            << QString();
        QTest::newRow("autumn hour, second pass of a long task")
            << QByteArray("Europe/Berlin") << twice << "7200" << at(2026, 10, 25, 1, 30, 0) << Verdict::Due
            << "3600";
        // Havana (CST, -5) skips midnight on 8 March 2026: 00:00:00 to 01:00:00 CDT, 05:00 UTC.
        QTest::newRow("skipped midnight, before")
            << QByteArray("America/Havana") << at(2026, 3, 8, 0, 0, 0) << "60" << at(2026, 3, 8, 4, 59, 59)
            << Verdict::NotYet << QString();
        QTest::newRow("skipped midnight, at the end of the gap")
            << QByteArray("America/Havana") << at(2026, 3, 8, 0, 0, 0) << "60" << at(2026, 3, 8, 5, 0, 0)
            << Verdict::Due << "60";
    }

    void verdicts()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, start);
        QFETCH(QString, parameter);
        QFETCH(QDateTime, now);
        QFETCH(Verdict, verdict);
        QFETCH(QString, stopParameter);

        const QTimeZone timeZone = zoneNamed(zone);
        QVERIFY(timeZone.isValid());
        const TaskDueCheck::Result result =
            TaskDueCheck::check(QVariant(start.date()), QVariant(start.time()), parameter, now, timeZone);
        QCOMPARE(result.verdict, verdict);
        QCOMPARE(result.stopParameter, stopParameter);
    }

    void unreadableStartIsPassedOver_data()
    {
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<QVariant>("time");
        QTest::newRow("no date") << QVariant() << QVariant(QTime(6, 0));
        QTest::newRow("date as text") << QVariant(QStringLiteral("2026-12-24")) << QVariant(QTime(6, 0));
        QTest::newRow("empty time") << QVariant(QDate(2026, 12, 24)) << QVariant(QStringLiteral(""));
        QTest::newRow("no time") << QVariant(QDate(2026, 12, 24)) << QVariant();
    }

    void unreadableStartIsPassedOver()
    {
        QFETCH(QVariant, date);
        QFETCH(QVariant, time);
        const QDateTime now(QDate(2026, 12, 24), QTime(6, 0, 0), Qt::UTC);
        QCOMPARE(TaskDueCheck::check(date, time, QStringLiteral("60"), now, QTimeZone::utc()).verdict,
                 Verdict::Passed);
    }
};

QTEST_GUILESS_MAIN(TaskDueCheckTest)
#include "tst_taskduecheck.moc"
