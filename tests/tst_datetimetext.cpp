#include "DateTimeText.h"

#include <QDateTime>
#include <QSet>
#include <QTest>

namespace {

// The locales the program must serve, some whose formats carry brackets, commas, native digits
// or a day period around the time, and some whose digits or AM/PM texts Qt cannot read back.
const QStringList roundTripLocales{
    QStringLiteral("en_US"), QStringLiteral("zh_CN"), QStringLiteral("de_DE"), QStringLiteral("C"),
    QStringLiteral("ko_KR"), QStringLiteral("ja_JP"), QStringLiteral("en_GB"), QStringLiteral("zh_TW"),
    QStringLiteral("fa_IR"), QStringLiteral("es_ES"), QStringLiteral("sq_AL"), QStringLiteral("bg_BG"),
    QStringLiteral("ar_EG"), QStringLiteral("fi_FI"), QStringLiteral("th_TH"), QStringLiteral("hu_HU"),
    QStringLiteral("ccp_BD"), QStringLiteral("ff_SN"), QStringLiteral("ee_GH"), QStringLiteral("as_IN")};

const QStringList mainLocales{QStringLiteral("en_US"), QStringLiteral("zh_CN"), QStringLiteral("de_DE"),
                              QStringLiteral("C"),     QStringLiteral("ko_KR"), QStringLiteral("ja_JP"),
                              QStringLiteral("en_GB")};

// Locales whose own texts show a two-digit year or a zone name in every shape seen so far.
const QStringList lookLocales{QStringLiteral("en_US"), QStringLiteral("zh_CN"), QStringLiteral("de_DE"),
                              QStringLiteral("C"),     QStringLiteral("ko_KR"), QStringLiteral("ja_JP"),
                              QStringLiteral("en_GB"), QStringLiteral("es_ES"), QStringLiteral("sq_AL"),
                              QStringLiteral("fa_IR"), QStringLiteral("bg_BG")};

const QList<QDate> sampleDates{QDate(2004, 1, 1),  QDate(2011, 12, 31), QDate(2003, 6, 15),
                               QDate(2024, 2, 29), QDate(1999, 12, 31), QDate(2099, 12, 31),
                               QDate(2003, 5, 6),  QDate(2003, 6, 5),   QDate(2000, 2, 29),
                               QDate(2026, 10, 1), QDate(2012, 11, 12)};

const QList<QTime> sampleTimes{QTime(0, 0, 0),   QTime(23, 59, 59), QTime(12, 0, 0), QTime(12, 59, 59),
                               QTime(0, 30, 0),  QTime(0, 0, 1),    QTime(11, 59, 59), QTime(13, 0, 0),
                               QTime(15, 4, 5),  QTime(9, 0, 0)};

QString yearText(const QLocale &locale, int year)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(year);
}

QString withoutZone(QString text, const QString &zone)
{
    text.remove(zone);
    const auto isZoneSpacing = [](QChar c) {
        return c.isSpace() || c == u'(' || c == u')' || c == u'[' || c == u']' || c == u',';
    };
    while (!text.isEmpty() && isZoneSpacing(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && isZoneSpacing(text.back()))
        text.chop(1);
    return text;
}

} // namespace

class TestDateTimeText : public QObject
{
    Q_OBJECT

private slots:
    void dateRoundTrip_data();
    void dateRoundTrip();
    void everyDayOfTwoYearsRoundTrips_data();
    void everyDayOfTwoYearsRoundTrips();
    void differentDaysGiveDifferentTexts_data();
    void differentDaysGiveDifferentTexts();
    void readDateRejects_data();
    void readDateRejects();
    void dateTextKeepsTheLocaleLook_data();
    void dateTextKeepsTheLocaleLook();

    void timeRoundTrip_data();
    void timeRoundTrip();
    void everyMinuteRoundTrips_data();
    void everyMinuteRoundTrips();
    void readTimeAcceptsUsualForms_data();
    void readTimeAcceptsUsualForms();
    void readTimeRejects_data();
    void readTimeRejects();
    void timeTextKeepsTheLocaleLook_data();
    void timeTextKeepsTheLocaleLook();

    void invalidValuesGiveEmptyText_data();
    void invalidValuesGiveEmptyText();
};

void TestDateTimeText::dateRoundTrip_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QDate>("date");
    for (const QString &name : roundTripLocales) {
        for (const QDate &date : sampleDates) {
            QTest::addRow("%s %s", qPrintable(name), qPrintable(date.toString(Qt::ISODate)))
                << name << date;
        }
    }
}

void TestDateTimeText::dateRoundTrip()
{
    QFETCH(QString, localeName);
    QFETCH(QDate, date);
    const QLocale locale(localeName);
    const DateTimeText texts(locale);

    const QString text = texts.dateText(date);
    QVERIFY(!text.isEmpty());
    QVERIFY2(text.contains(yearText(locale, date.year())) || text.contains(QString::number(date.year())),
             qPrintable(text));
    QCOMPARE(texts.readDate(text), date);
    QCOMPARE(texts.dateText(texts.readDate(text)), text);
    QCOMPARE(texts.readDate(QStringLiteral("  ") + text + QStringLiteral("\t")), date);
}

void TestDateTimeText::everyDayOfTwoYearsRoundTrips_data()
{
    QTest::addColumn<QString>("localeName");
    for (const QString &name : roundTripLocales)
        QTest::newRow(qPrintable(name)) << name;
}

void TestDateTimeText::everyDayOfTwoYearsRoundTrips()
{
    QFETCH(QString, localeName);
    const DateTimeText texts{QLocale(localeName)};
    for (QDate day(2023, 1, 1); day.year() < 2025; day = day.addDays(1)) {
        const QString text = texts.dateText(day);
        QVERIFY2(texts.readDate(text) == day, qPrintable(text));
    }
}

void TestDateTimeText::differentDaysGiveDifferentTexts_data()
{
    everyDayOfTwoYearsRoundTrips_data();
}

void TestDateTimeText::differentDaysGiveDifferentTexts()
{
    QFETCH(QString, localeName);
    const DateTimeText texts{QLocale(localeName)};
    QSet<QString> seen;
    int days = 0;
    // Across a century, so that a year cut to two digits would repeat.
    for (QDate day(1990, 1, 1); day.year() < 2110; day = day.addDays(1)) {
        const QString text = texts.dateText(day);
        QVERIFY2(!seen.contains(text), qPrintable(text));
        seen.insert(text);
        ++days;
    }
    QCOMPARE(seen.size(), days);
}

void TestDateTimeText::readDateRejects_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    for (const QString &name : mainLocales) {
        const QLocale locale(name);
        const DateTimeText texts(locale);
        const QString lastOfFebruary = texts.dateText(QDate(2026, 2, 28));
        QString thirtiethOfFebruary = lastOfFebruary;
        thirtiethOfFebruary.replace(locale.toString(28), locale.toString(30));
        QString shortYear = lastOfFebruary;
        shortYear.replace(yearText(locale, 2026), locale.toString(26));

        QTest::addRow("%s empty", qPrintable(name)) << name << QString();
        QTest::addRow("%s blank", qPrintable(name)) << name << QStringLiteral("   ");
        QTest::addRow("%s garbage", qPrintable(name)) << name << QStringLiteral("garbage");
        QTest::addRow("%s february 30", qPrintable(name)) << name << thirtiethOfFebruary;
        QTest::addRow("%s two-digit year", qPrintable(name)) << name << shortYear;
        QTest::addRow("%s trailing text", qPrintable(name)) << name << lastOfFebruary + QStringLiteral(" x");
        QTest::addRow("%s a time", qPrintable(name)) << name << texts.timeText(QTime(15, 4, 5));
    }
    QTest::newRow("en_US 2/30/2026") << QStringLiteral("en_US") << QStringLiteral("2/30/2026");
    QTest::newRow("en_US 13/1/2026") << QStringLiteral("en_US") << QStringLiteral("13/1/2026");
    QTest::newRow("en_US 6/15/03") << QStringLiteral("en_US") << QStringLiteral("6/15/03");
    QTest::newRow("en_US day first") << QStringLiteral("en_US") << QStringLiteral("15/6/2003");
    QTest::newRow("en_US padded month") << QStringLiteral("en_US") << QStringLiteral("06/15/2003");
    QTest::newRow("C month in lower case") << QStringLiteral("C") << QStringLiteral("15 jun 2003");
    QTest::newRow("de_DE 31.04.2026") << QStringLiteral("de_DE") << QStringLiteral("31.04.2026");
    QTest::newRow("de_DE 29.02.2025") << QStringLiteral("de_DE") << QStringLiteral("29.02.2025");
}

void TestDateTimeText::readDateRejects()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    const DateTimeText texts{QLocale(localeName)};
    const QDate read = texts.readDate(text);
    QVERIFY2(!read.isValid(), qPrintable(read.toString(Qt::ISODate)));
}

void TestDateTimeText::dateTextKeepsTheLocaleLook_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QDate>("date");
    for (const QString &name : lookLocales) {
        for (const QDate &date : {QDate(2026, 11, 30), QDate(2003, 6, 15), QDate(1999, 1, 2)})
            QTest::addRow("%s %s", qPrintable(name), qPrintable(date.toString(Qt::ISODate))) << name << date;
    }
}

// The locale's own short date, only with the year widened to four digits.
void TestDateTimeText::dateTextKeepsTheLocaleLook()
{
    QFETCH(QString, localeName);
    QFETCH(QDate, date);
    const QLocale locale(localeName);
    QString expected = locale.toString(date, QLocale::ShortFormat);
    const QString fullYear = yearText(locale, date.year());
    if (!expected.contains(fullYear)) {
        const QString shortYear = locale.toString(QDate(date.year(), 1, 1), QStringLiteral("yy"));
        QCOMPARE(expected.count(shortYear), 1);
        expected.replace(shortYear, fullYear);
    }
    QCOMPARE(DateTimeText(locale).dateText(date), expected);
}

void TestDateTimeText::timeRoundTrip_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QTime>("time");
    for (const QString &name : roundTripLocales) {
        for (const QTime &time : sampleTimes) {
            QTest::addRow("%s %s", qPrintable(name), qPrintable(time.toString(Qt::ISODate)))
                << name << time;
        }
    }
}

void TestDateTimeText::timeRoundTrip()
{
    QFETCH(QString, localeName);
    QFETCH(QTime, time);
    const QLocale locale(localeName);
    const DateTimeText texts(locale);

    const QString text = texts.timeText(time);
    QVERIFY(!text.isEmpty());
    QCOMPARE(texts.readTime(text), time);
    QCOMPARE(texts.timeText(texts.readTime(text)), text);
    QCOMPARE(texts.readTime(QStringLiteral(" ") + text + QStringLiteral("  ")), time);

    // No zone name: apart from the locale's AM/PM texts no Latin letters are left.
    QString rest = text;
    rest.remove(locale.amText(), Qt::CaseInsensitive);
    rest.remove(locale.pmText(), Qt::CaseInsensitive);
    const bool latinLetter = std::any_of(rest.cbegin(), rest.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
    QVERIFY2(!latinLetter, qPrintable(text));
    const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
    if (std::any_of(zone.cbegin(), zone.cend(), [](QChar c) { return c.isLetter(); }))
        QVERIFY2(!text.contains(zone), qPrintable(text));
}

void TestDateTimeText::everyMinuteRoundTrips_data()
{
    everyDayOfTwoYearsRoundTrips_data();
}

void TestDateTimeText::everyMinuteRoundTrips()
{
    QFETCH(QString, localeName);
    const DateTimeText texts{QLocale(localeName)};
    for (int minuteOfDay = 0; minuteOfDay < 24 * 60; ++minuteOfDay) {
        const QTime time(minuteOfDay / 60, minuteOfDay % 60, (minuteOfDay * 7) % 60);
        const QString text = texts.timeText(time);
        QVERIFY2(texts.readTime(text) == time, qPrintable(text));
    }
}

void TestDateTimeText::readTimeAcceptsUsualForms_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("expected");
    for (const QString &name : roundTripLocales) {
        const QLocale locale(name);
        const auto row = [&name](const char *label, const QString &text, QTime expected) {
            QTest::addRow("%s %s", qPrintable(name), label) << name << text << expected;
        };
        row("9:00:00", QStringLiteral("9:00:00"), QTime(9, 0, 0));
        row("09:00:00", QStringLiteral("09:00:00"), QTime(9, 0, 0));
        row("15:04:05", QStringLiteral("15:04:05"), QTime(15, 4, 5));
        row("3:04:05 PM", QStringLiteral("3:04:05 PM"), QTime(15, 4, 5));
        row("3:04:05 pm", QStringLiteral("3:04:05 pm"), QTime(15, 4, 5));
        row("03:04:05 Pm", QStringLiteral("03:04:05 Pm"), QTime(15, 4, 5));
        row("3:04:05PM", QStringLiteral("3:04:05PM"), QTime(15, 4, 5));
        row("3:04:05 AM", QStringLiteral("3:04:05 AM"), QTime(3, 4, 5));
        row("00:00:00", QStringLiteral("00:00:00"), QTime(0, 0, 0));
        row("0:30:00", QStringLiteral("0:30:00"), QTime(0, 30, 0));
        row("23:59:59", QStringLiteral("23:59:59"), QTime(23, 59, 59));
        row("12:00:00 AM", QStringLiteral("12:00:00 AM"), QTime(0, 0, 0));
        row("12:30:00 am", QStringLiteral("12:30:00 am"), QTime(0, 30, 0));
        row("12:00:00 PM", QStringLiteral("12:00:00 PM"), QTime(12, 0, 0));
        row("12:59:59 pm", QStringLiteral("12:59:59 pm"), QTime(12, 59, 59));
        row("11:59:59 PM", QStringLiteral("11:59:59 PM"), QTime(23, 59, 59));
        row("surrounded by blanks", QStringLiteral(" \t15:04:05 "), QTime(15, 4, 5));
        row("own pm after", QStringLiteral("3:04:05 ") + locale.pmText(), QTime(15, 4, 5));
        row("own pm before", locale.pmText() + QStringLiteral(" 3:04:05"), QTime(15, 4, 5));
        row("own pm before, joined", locale.pmText() + QStringLiteral("3:04:05"), QTime(15, 4, 5));
        row("own pm upper case", QStringLiteral("3:04:05 ") + locale.pmText().toUpper(), QTime(15, 4, 5));
        row("own am after", QStringLiteral("9:00:00 ") + locale.amText(), QTime(9, 0, 0));
        row("own am at midnight", locale.amText() + QStringLiteral(" 12:00:00"), QTime(0, 0, 0));
    }
    QTest::newRow("zh_CN 上午9:00:00") << QStringLiteral("zh_CN") << QStringLiteral("上午9:00:00") << QTime(9, 0, 0);
    QTest::newRow("zh_CN 下午3:04:05") << QStringLiteral("zh_CN") << QStringLiteral("下午3:04:05") << QTime(15, 4, 5);
    QTest::newRow("zh_CN 3:04:05 下午") << QStringLiteral("zh_CN") << QStringLiteral("3:04:05 下午") << QTime(15, 4, 5);
    QTest::newRow("ko_KR 오후 3:04:05") << QStringLiteral("ko_KR") << QStringLiteral("오후 3:04:05") << QTime(15, 4, 5);
}

void TestDateTimeText::readTimeAcceptsUsualForms()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    QFETCH(QTime, expected);
    const DateTimeText texts{QLocale(localeName)};
    QCOMPARE(texts.readTime(text), expected);
}

void TestDateTimeText::readTimeRejects_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    for (const QString &name : mainLocales) {
        const QLocale locale(name);
        const auto row = [&name](const char *label, const QString &text) {
            QTest::addRow("%s %s", qPrintable(name), label) << name << text;
        };
        row("empty", QString());
        row("blank", QStringLiteral("  "));
        row("garbage", QStringLiteral("garbage"));
        row("24:00:00", QStringLiteral("24:00:00"));
        row("12:60:00", QStringLiteral("12:60:00"));
        row("12:00:60", QStringLiteral("12:00:60"));
        row("100:00:00", QStringLiteral("100:00:00"));
        row("-1:00:00", QStringLiteral("-1:00:00"));
        row("9:0:00", QStringLiteral("9:0:00"));
        row("9:00:00:00", QStringLiteral("9:00:00:00"));
        row("13:00:00 PM", QStringLiteral("13:00:00 PM"));
        row("0:30:00 AM", QStringLiteral("0:30:00 AM"));
        row("PM on both sides", QStringLiteral("PM 3:04:05 PM"));
        row("unknown mark", QStringLiteral("3:04:05 XM"));
        row("trailing text", QStringLiteral("15:04:05 x"));
        row("a date", DateTimeText(locale).dateText(QDate(2026, 2, 28)));
    }
}

void TestDateTimeText::readTimeRejects()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    const DateTimeText texts{QLocale(localeName)};
    const QTime read = texts.readTime(text);
    QVERIFY2(!read.isValid(), qPrintable(read.toString(Qt::ISODate)));
}

void TestDateTimeText::timeTextKeepsTheLocaleLook_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QTime>("time");
    for (const QString &name : lookLocales) {
        for (const QTime &time : {QTime(15, 4, 5), QTime(0, 0, 0), QTime(9, 5, 7)})
            QTest::addRow("%s %s", qPrintable(name), qPrintable(time.toString(Qt::ISODate))) << name << time;
    }
}

// The locale's own long time, only without the zone name.
void TestDateTimeText::timeTextKeepsTheLocaleLook()
{
    QFETCH(QString, localeName);
    QFETCH(QTime, time);
    const QLocale locale(localeName);
    const QString expected = withoutZone(locale.toString(time, QLocale::LongFormat),
                                         locale.toString(time, QStringLiteral("t")));
    QCOMPARE(DateTimeText(locale).timeText(time), expected);
}

void TestDateTimeText::invalidValuesGiveEmptyText_data()
{
    QTest::addColumn<QString>("localeName");
    for (const QString &name : mainLocales)
        QTest::newRow(qPrintable(name)) << name;
}

void TestDateTimeText::invalidValuesGiveEmptyText()
{
    QFETCH(QString, localeName);
    const DateTimeText texts{QLocale(localeName)};
    QVERIFY(texts.dateText(QDate()).isEmpty());
    QVERIFY(texts.dateText(QDate(2026, 2, 30)).isEmpty());
    QVERIFY(texts.timeText(QTime()).isEmpty());
    QVERIFY(texts.timeText(QTime(24, 0, 0)).isEmpty());
}

QTEST_GUILESS_MAIN(TestDateTimeText)

#include "tst_datetimetext.moc"
