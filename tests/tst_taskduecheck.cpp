#include "DateTimeText.h"
#include "TaskDueCheck.h"

#include <QTest>

using Verdict = TaskDueCheck::Verdict;

class TaskDueCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data()
    {
        QTest::addColumn<QDate>("startDate");
        QTest::addColumn<QTime>("startTime");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QString>("stopParameter");

        const QDate day(2026, 12, 24);
        const QTime six(6, 0, 0);
        QTest::newRow("a second early") << day << six << "60" << QDateTime(day, QTime(5, 59, 59, 999))
                                        << Verdict::NotYet << QString();
        QTest::newRow("first moment of its second") << day << six << "60" << QDateTime(day, six) << Verdict::Due << "60";
        QTest::newRow("last moment of its second")
            << day << six << "60" << QDateTime(day, QTime(6, 0, 0, 999)) << Verdict::Due << "60";
        QTest::newRow("same time a day early") << day << six << "60" << QDateTime(day.addDays(-1), six)
                                               << Verdict::NotYet << QString();
        QTest::newRow("late within its recording")
            << day << six << "60" << QDateTime(day, QTime(6, 0, 45, 500)) << Verdict::Due << "15";
        QTest::newRow("last second of its recording")
            << day << six << "60" << QDateTime(day, QTime(6, 0, 59)) << Verdict::Due << "1";
        QTest::newRow("recording over") << day << six << "60" << QDateTime(day, QTime(6, 1, 0)) << Verdict::Passed
                                        << QString();
        QTest::newRow("same time a day late") << day << six << "60" << QDateTime(day.addDays(1), six)
                                              << Verdict::Passed << QString();
        QTest::newRow("recording across midnight")
            << day << QTime(23, 59, 0) << "3600" << QDateTime(day.addDays(1), QTime(0, 30, 0)) << Verdict::Due << "1740";
        QTest::newRow("length not a number fires only in its second")
            << day << six << "abc" << QDateTime(day, six) << Verdict::Due << "abc";
        QTest::newRow("length not a number, a second late")
            << day << six << "abc" << QDateTime(day, QTime(6, 0, 1)) << Verdict::Passed << QString();
        QTest::newRow("signed length, a second late")
            << day << six << "+60" << QDateTime(day, QTime(6, 0, 1)) << Verdict::Passed << QString();
        QTest::newRow("length with a line break, a second late")
            << day << six << "60\n" << QDateTime(day, QTime(6, 0, 1)) << Verdict::Passed << QString();
        QTest::newRow("zero length, a second late")
            << day << six << "0" << QDateTime(day, QTime(6, 0, 1)) << Verdict::Passed << QString();
        QTest::newRow("huge length") << day << six << "99999999999999999999" << QDateTime(day, QTime(6, 0, 1))
                                     << Verdict::Passed << QString();
    }

    void verdicts()
    {
        QFETCH(QDate, startDate);
        QFETCH(QTime, startTime);
        QFETCH(QString, parameter);
        QFETCH(QDateTime, now);
        QFETCH(Verdict, verdict);
        QFETCH(QString, stopParameter);

        for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                      QLocale(QLocale::Chinese, QLocale::China), QLocale::c()}) {
            const DateTimeText texts(locale);
            const TaskDueCheck::Result result =
                TaskDueCheck::check(texts.dateText(startDate), texts.timeText(startTime), parameter, now, texts);
            QCOMPARE(result.verdict, verdict);
            QCOMPARE(result.stopParameter, stopParameter);
        }
    }

    void unreadableStartIsPassedOver_data()
    {
        QTest::addColumn<QString>("dateText");
        QTest::addColumn<QString>("timeText");
        QTest::newRow("no date") << QString() << QStringLiteral("6:00:00 AM");
        QTest::newRow("date in another form") << QStringLiteral("2026-12-24") << QStringLiteral("6:00:00 AM");
        QTest::newRow("time not a time") << QStringLiteral("12/24/2026") << QStringLiteral("soon");
    }

    void unreadableStartIsPassedOver()
    {
        QFETCH(QString, dateText);
        QFETCH(QString, timeText);
        const DateTimeText texts(QLocale(QLocale::English, QLocale::UnitedStates));
        const QDateTime now(QDate(2026, 12, 24), QTime(6, 0, 0));
        QCOMPARE(TaskDueCheck::check(dateText, timeText, QStringLiteral("60"), now, texts).verdict, Verdict::Passed);
    }
};

QTEST_GUILESS_MAIN(TaskDueCheckTest)
#include "tst_taskduecheck.moc"
