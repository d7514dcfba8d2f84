#include "EntryConversion.h"

#include <QTest>

class AddScheduleConversionTest : public QObject
{
    Q_OBJECT

private slots:
    void lengthSeconds_data()
    {
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<int>("total");

        QTest::newRow("one second") << "0" << "0" << "0" << "1" << 0 << 1;
        QTest::newRow("longest listed") << "31" << "23" << "59" << "59" << 0 << 2764799;
        QTest::newRow("one and a half hours") << "0" << "1.5" << "0" << "0" << 0 << 5400;
        QTest::newRow("half a second rounds to even 0") << "0" << "0" << "0" << "0.5" << 0 << 0;
        QTest::newRow("two and a half seconds rounds to 2") << "0" << "0" << "0" << "2.5" << 0 << 2;
        QTest::newRow("negative days with more hours") << "-1" << "30" << "0" << "0" << 0 << 21600;
        QTest::newRow("leading point") << "0" << "0" << ".5" << "0" << 0 << 30;
        QTest::newRow("spaces around") << " 1 " << "0" << "0" << "0" << 0 << 86400;
        QTest::newRow("negative total") << "0" << "0" << "-1" << "0" << 0 << -60;
        QTest::newRow("largest 32-bit total") << "0" << "0" << "0" << "2147483647" << 0 << 2147483647;
        QTest::newRow("smallest 32-bit total") << "0" << "0" << "0" << "-2147483648" << 0 << -2147483647 - 1;

        QTest::newRow("one past the largest") << "0" << "0" << "0" << "2147483648" << 6 << 0;
        QTest::newRow("half past the largest rounds up to overflow") << "0" << "0" << "0" << "2147483647.5" << 6 << 0;
        QTest::newRow("days beyond 32 bits") << "24856" << "0" << "0" << "0" << 6 << 0;
        QTest::newRow("beyond a double") << "0" << "0" << "0" << QString(400, u'9') << 6 << 0;
        QTest::newRow("too small for a double is nearly zero")
            << "0" << "1" << "0" << "0." + QString(400, u'0') + "1" << 0 << 3600;

        QTest::newRow("a letter") << "x" << "0" << "0" << "0" << 13 << 0;
        QTest::newRow("letters after digits") << "0" << "1h" << "0" << "0" << 13 << 0;
        QTest::newRow("empty text") << "0" << "0" << "0" << "" << 13 << 0;
        QTest::newRow("a lone sign") << "-" << "0" << "0" << "0" << 13 << 0;
        QTest::newRow("a comma") << "0" << "1,5" << "0" << "0" << 13 << 0;
    }

    void lengthSeconds()
    {
        QFETCH(QString, days);
        QFETCH(QString, hours);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QFETCH(int, errorNumber);
        QFETCH(int, total);

        int result = 12345;
        const StoreError error = EntryConversion::lengthSeconds(days, hours, minutes, seconds, &result);
        QCOMPARE(error.number, errorNumber);
        if (errorNumber == 0)
            QCOMPARE(result, total);
        else
            QCOMPARE(result, 12345);
    }

    void startTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<QTime>("time");

        QTest::newRow("midnight") << "0:0:0" << 0 << QTime(0, 0, 0);
        QTest::newRow("last second of the day") << "23:59:59" << 0 << QTime(23, 59, 59);
        QTest::newRow("hour 24") << "24:0:0" << 3421 << QTime();
        QTest::newRow("minute 60") << "1:60:0" << 3421 << QTime();
        QTest::newRow("huge hour") << "99999999999:0:0" << 3421 << QTime();
        QTest::newRow("a letter") << "x:0:0" << 13 << QTime();
        QTest::newRow("a fraction") << "1.5:0:0" << 13 << QTime();
        QTest::newRow("an empty part") << "1::0" << 13 << QTime();
        QTest::newRow("two parts") << "1:0" << 13 << QTime();
    }

    void startTime()
    {
        QFETCH(QString, text);
        QFETCH(int, errorNumber);
        QFETCH(QTime, time);
        QTime result;
        QCOMPARE(EntryConversion::readStartTime(text, &result).number, errorNumber);
        QCOMPARE(result, time);
    }

    void startDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<QDate>("date");

        QTest::newRow("month first") << "12-5-2026" << 0 << QDate(2026, 12, 5);
        QTest::newRow("year typed before the list") << "3-4-2003" << 0 << QDate(2003, 3, 4);
        QTest::newRow("two-digit 29") << "1-2-29" << 0 << QDate(2029, 1, 2);
        QTest::newRow("two-digit 30") << "1-2-30" << 0 << QDate(1930, 1, 2);
        QTest::newRow("three digits as typed") << "1-2-999" << 0 << QDate(999, 1, 2);
        QTest::newRow("leap day") << "2-29-2028" << 0 << QDate(2028, 2, 29);
        QTest::newRow("spaces around parts") << " 2 - 3 - 2026 " << 0 << QDate(2026, 2, 3);

        QTest::newRow("day 31 in April") << "4-31-2026" << 3421 << QDate();
        QTest::newRow("no leap day") << "2-29-2027" << 3421 << QDate();
        QTest::newRow("month 13") << "13-1-2026" << 3421 << QDate();
        QTest::newRow("five-digit year") << "1-1-10000" << 3421 << QDate();
        QTest::newRow("three digits below the dates a task holds") << "1-1-099" << 3421 << QDate();
        QTest::newRow("a letter") << "1-x-2026" << 13 << QDate();
        QTest::newRow("a fraction") << "1-1.5-2026" << 13 << QDate();
        QTest::newRow("empty year") << "1-1-" << 13 << QDate();
    }

    void startDate()
    {
        QFETCH(QString, text);
        QFETCH(int, errorNumber);
        QFETCH(QDate, date);
        QDate result;
        QCOMPARE(EntryConversion::readStartDate(text, &result).number, errorNumber);
        QCOMPARE(result, date);
    }
};

QTEST_GUILESS_MAIN(AddScheduleConversionTest)
#include "tst_addschedule_conversion.moc"
