#include "EntryConversion.h"
#include "OutputFileName.h"
#include "RepeatChoice.h"

#include <QTest>

// The editor's text rules, each case "input=result"; a result in parentheses is an error number.
class EditorRulesTest : public QObject
{
    Q_OBJECT

private:
    static void cases(const QStringList &rows)
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("result");
        for (const QString &row : rows)
            QTest::newRow(qPrintable(row.left(40))) << row.section(u'=', 0, -2) << row.section(u'=', -1);
    }

private slots:
    // Days|hours|minutes|seconds as decimal numbers, totalled in seconds and rounded half to even into 32 bits.
    void lengthSeconds_data()
    {
        cases({"0|0|0|1=1", "31|23|59|59=2764799", "0|1.5|0|0=5400", "0|0|0|0.5=0", "0|0|0|2.5=2", "-1|30|0|0=21600",
               "0|0|.5|0=30", " 1 |0|0|0=86400", "0|0|-1|0=-60", "0|0|0|2147483647=2147483647",
               "0|0|0|-2147483648=-2147483648", "0|0|0|2147483648=(6)", "0|0|0|2147483647.5=(6)", "24856|0|0|0=(6)",
               "0|0|0|" + QString(400, u'9') + "=(6)", "0|1|0|0." + QString(400, u'0') + "1=3600", "x|0|0|0=(13)",
               "0|1h|0|0=(13)", "0|0|0|=(13)", "-|0|0|0=(13)", "0|1,5|0|0=(13)"});
    }

    void lengthSeconds()
    {
        QFETCH(QString, input);
        QFETCH(QString, result);
        const QStringList parts = input.split(u'|');
        int total = 12345;
        const StoreError error = EntryConversion::lengthSeconds(parts[0], parts[1], parts[2], parts[3], &total);
        QCOMPARE(error ? QStringLiteral("(%1)").arg(error.number) + QString::number(total) : QString::number(total),
                 result.startsWith(u'(') ? result + "12345" : result);
    }

    // "h:m:s" is read as a start time, "m-d-y" as a start date; a one- or two-digit year is 1930 to 2029.
    void startTexts_data()
    {
        cases({"0:0:0=00:00:00", "23:59:59=23:59:59", "24:0:0=(3421)", "1:60:0=(3421)", "99999999999:0:0=(3421)",
               "x:0:0=(13)", "1.5:0:0=(13)", "1::0=(13)", "1:0=(13)", "12-5-2026=2026-12-05", "3-4-2003=2003-03-04",
               "1-2-29=2029-01-02", "1-2-30=1930-01-02", "1-2-999=0999-01-02", "2-29-2028=2028-02-29",
               " 2 - 3 - 2026 =2026-02-03", "4-31-2026=(3421)", "2-29-2027=(3421)", "13-1-2026=(3421)", "1-1-10000=(3421)",
               "1-1-099=(3421)", "1-x-2026=(13)", "1-1.5-2026=(13)", "1-1-=(13)"});
    }

    void startTexts()
    {
        QFETCH(QString, input);
        QFETCH(QString, result);
        QTime time;
        QDate date;
        const StoreError error = input.contains(u':') ? EntryConversion::readStartTime(input, &time)
                                                      : EntryConversion::readStartDate(input, &date);
        const QString read = time.toString(Qt::ISODate) + date.toString(Qt::ISODate);
        QCOMPARE(error ? QStringLiteral("(%1)").arg(error.number) : read, result);
        QVERIFY(!error || (time.isNull() && date.isNull()));
    }

    // A rule in words and written back as the repeat group writes it (when not as given), for a start on Thursday
    // 2026-12-10; "-" for one the group cannot show, which it keeps as it is.
    void repeatRule_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("result");
        const QStringList rows = {
            "FREQ=DAILY 每天", "FREQ=DAILY;INTERVAL=2;COUNT=10 每 2 天, 共 10 次", "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR 周一至周五",
            "FREQ=WEEKLY;BYDAY=TH;UNTIL=20261231T235959 每周四, 直到 2026-12-31", "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE,FR 每 2 周 一, 三, 五",
            "FREQ=WEEKLY;BYDAY=SA 每周六", "freq=weekly;byday=fr,mo,we;until=20261231 每周 一, 三, 五, 直到 2026-12-31|"
                                          "FREQ=WEEKLY;BYDAY=MO,WE,FR;UNTIL=20261231T235959",
            "FREQ=WEEKLY 每周四|FREQ=WEEKLY;BYDAY=TH", "FREQ=MONTHLY -", "FREQ=DAILY;BYHOUR=6 -", "FREQ=DAILY;UNTIL=20261231T120000 -",
            "FREQ=DAILY;COUNT=3;UNTIL=20261231 -", "FREQ=WEEKLY;BYDAY=1MO -", "FREQ=DAILY;INTERVAL=0 -", "FREQ=DAILY;BYDAY=MO -", " -"};
        for (const QString &row : rows)
            QTest::newRow(qPrintable(row.section(u' ', 0, 0))) << row.section(u' ', 0, 0) << row.section(u' ', 1);
    }

    void repeatRule()
    {
        QFETCH(QString, input);
        QFETCH(QString, result);
        const QDate thursday(2026, 12, 10);
        const std::optional<RepeatChoice> choice = RepeatChoice::fromRule(input, thursday);
        const QString written = choice ? choice->toRule(thursday) : QString();
        QCOMPARE(choice ? choice->words(thursday) + (written == input ? "" : '|' + written) : QStringLiteral("-"), result);
    }

    // The extension is the file name's, after the last '/' or '\'; a dot that begins the name hides the file.
    void withExtension_data()
    {
        cases({"C:\\rec\\news.mp3 wma=C:\\rec\\news.wma", "C:\\rec\\news wav=C:\\rec\\news.wav",
               "/rec.d/news wav=/rec.d/news.wav", "/rec.d/news.mp3 wav=/rec.d/news.wav", "/tmp/news.a wav=/tmp/news.wav",
               "/tmp/news. wma=/tmp/news.wma", "/tmp/.news wav=/tmp/.news.wav", "ab wav=ab.wav", " wav=", "/tmp/ wma=/tmp/"});
    }

    void withExtension()
    {
        QFETCH(QString, input);
        QFETCH(QString, result);
        QCOMPARE(OutputFileName::withExtension(input.section(u' ', 0, 0), input.section(u' ', 1)), result);
    }
};

QTEST_GUILESS_MAIN(EditorRulesTest)
#include "tst_editorrules.moc"
