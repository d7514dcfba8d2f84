#include "DateTimeText.h"

#include <QDateTime>
#include <QSet>
#include <QTest>

namespace {

QStringList names(const char *list)
{
    return QString::fromLatin1(list).split(u' ');
}

// The locales the program must serve, some whose formats carry brackets, commas, native digits
// or a day period around the time, and some whose digits or AM/PM texts Qt cannot read back.
const QStringList roundTripLocales =
    names("en_US zh_CN de_DE C ko_KR ja_JP en_GB zh_TW fa_IR es_ES sq_AL bg_BG ar_EG fi_FI th_TH hu_HU "
          "ccp_BD ff_SN ee_GH as_IN");
const QStringList mainLocales = names("en_US zh_CN de_DE C ko_KR ja_JP en_GB");
// Locales whose own texts show a two-digit year or a zone name in every shape seen so far.
const QStringList lookLocales = names("en_US zh_CN de_DE C ko_KR ja_JP en_GB es_ES sq_AL fa_IR bg_BG");

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

void addLocaleRows(const QStringList &locales)
{
    QTest::addColumn<QString>("localeName");
    for (const QString &name : locales)
        QTest::newRow(qPrintable(name)) << name;
}

} // namespace

class TestDateTimeText : public QObject
{
    Q_OBJECT

private slots:
    void dateRoundTrip_data() { addLocaleRows(roundTripLocales); }
    void dateRoundTrip();
    void differentDaysGiveDifferentTexts_data() { addLocaleRows(roundTripLocales); }
    void differentDaysGiveDifferentTexts();
    void readDateRejects_data();
    void readDateRejects();
    void dateTextKeepsTheLocaleLook_data() { addLocaleRows(lookLocales); }
    void dateTextKeepsTheLocaleLook();

    void timeRoundTrip_data() { addLocaleRows(roundTripLocales); }
    void timeRoundTrip();
    void readTimeAcceptsUsualForms_data();
    void readTimeAcceptsUsualForms();
    void readTimeRejects_data();
    void readTimeRejects();
    void timeTextKeepsTheLocaleLook_data() { addLocaleRows(lookLocales); }
    void timeTextKeepsTheLocaleLook();

    void invalidValuesGiveEmptyText_data() { addLocaleRows(mainLocales); }
    void invalidValuesGiveEmptyText();
};

// Every day of two years, plus leap days and the ends of the centuries around them.
void TestDateTimeText::dateRoundTrip()
{
    QFETCH(QString, localeName);
    const QLocale locale(localeName);
    const DateTimeText texts(locale);
    QList<QDate> dates{QDate(1999, 12, 31), QDate(2000, 2, 29), QDate(2003, 5, 6), QDate(2003, 6, 5),
                       QDate(2099, 12, 31)};
    for (QDate day(2023, 1, 1); day.year() < 2025; day = day.addDays(1))
        dates << day;

    for (const QDate &date : std::as_const(dates)) {
        const QString text = texts.dateText(date);
        QVERIFY2(text.contains(yearText(locale, date.year())) || text.contains(QString::number(date.year())),
                 qPrintable(text));
        QVERIFY2(texts.readDate(text) == date, qPrintable(text));
        QVERIFY2(texts.readDate(QStringLiteral("  ") + text + QStringLiteral("\t")) == date, qPrintable(text));
    }
}

void TestDateTimeText::differentDaysGiveDifferentTexts()
{
    QFETCH(QString, localeName);
    const DateTimeText texts{QLocale(localeName)};
    QSet<QString> seen;
    // Across a century, so that a year cut to two digits would repeat.
    for (QDate day(1990, 1, 1); day.year() < 2110; day = day.addDays(1)) {
        const QString text = texts.dateText(day);
        QVERIFY2(!seen.contains(text), qPrintable(text));
        seen.insert(text);
    }
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

        for (const QString &text : {QString(), QStringLiteral("   "), QStringLiteral("garbage"), thirtiethOfFebruary,
                                    shortYear, lastOfFebruary + QStringLiteral(" x"),
                                    texts.timeText(QTime(15, 4, 5))})
            QTest::addRow("%s '%s'", qPrintable(name), qPrintable(text)) << name << text;
    }
    // Padded months, day first and lower-case month names are not how these locales write dates.
    for (const char *text : {"13/1/2026", "6/15/03", "15/6/2003", "06/15/2003"})
        QTest::addRow("en_US %s", text) << QStringLiteral("en_US") << QString::fromLatin1(text);
    QTest::newRow("C month in lower case") << QStringLiteral("C") << QStringLiteral("15 jun 2003");
    QTest::newRow("de_DE 31.04.2026") << QStringLiteral("de_DE") << QStringLiteral("31.04.2026");
    QTest::newRow("de_DE 29.02.2025") << QStringLiteral("de_DE") << QStringLiteral("29.02.2025");
}

void TestDateTimeText::readDateRejects()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    const QDate read = DateTimeText(QLocale(localeName)).readDate(text);
    QVERIFY2(!read.isValid(), qPrintable(read.toString(Qt::ISODate)));
}

// The locale's own short date, only with the year widened to four digits.
void TestDateTimeText::dateTextKeepsTheLocaleLook()
{
    QFETCH(QString, localeName);
    const QLocale locale(localeName);
    for (const QDate &date : {QDate(2026, 11, 30), QDate(2003, 6, 15), QDate(1999, 1, 2)}) {
        QString expected = locale.toString(date, QLocale::ShortFormat);
        const QString fullYear = yearText(locale, date.year());
        if (!expected.contains(fullYear)) {
            const QString shortYear = locale.toString(QDate(date.year(), 1, 1), QStringLiteral("yy"));
            QCOMPARE(expected.count(shortYear), 1);
            expected.replace(shortYear, fullYear);
        }
        QCOMPARE(DateTimeText(locale).dateText(date), expected);
    }
}

// Every minute of the day, plus midnight, noon and the last second of the day.
void TestDateTimeText::timeRoundTrip()
{
    QFETCH(QString, localeName);
    const QLocale locale(localeName);
    const DateTimeText texts(locale);
    QList<QTime> times{QTime(0, 0, 0), QTime(0, 0, 1), QTime(11, 59, 59), QTime(12, 0, 0), QTime(12, 59, 59),
                       QTime(23, 59, 59)};
    for (int minuteOfDay = 0; minuteOfDay < 24 * 60; ++minuteOfDay)
        times << QTime(minuteOfDay / 60, minuteOfDay % 60, (minuteOfDay * 7) % 60);
    const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
    const bool zoneHasLetters = std::any_of(zone.cbegin(), zone.cend(), [](QChar c) { return c.isLetter(); });

    for (const QTime &time : std::as_const(times)) {
        const QString text = texts.timeText(time);
        QVERIFY2(texts.readTime(text) == time, qPrintable(text));
        QVERIFY2(texts.readTime(QStringLiteral(" ") + text + QStringLiteral("  ")) == time, qPrintable(text));

        // No zone name: apart from the locale's AM/PM texts no Latin letters are left.
        QString rest = text;
        rest.remove(locale.amText(), Qt::CaseInsensitive);
        rest.remove(locale.pmText(), Qt::CaseInsensitive);
        const bool latinLetter = std::any_of(rest.cbegin(), rest.cend(), [](QChar c) {
            return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        });
        QVERIFY2(!latinLetter, qPrintable(text));
        QVERIFY2(!zoneHasLetters || !text.contains(zone), qPrintable(text));
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
        const QString pm = locale.pmText();
        row("9:00:00", QStringLiteral("9:00:00"), QTime(9, 0, 0));
        row("09:00:00", QStringLiteral("09:00:00"), QTime(9, 0, 0));
        row("15:04:05", QStringLiteral("15:04:05"), QTime(15, 4, 5));
        row("3:04:05 PM", QStringLiteral("3:04:05 PM"), QTime(15, 4, 5));
        row("03:04:05 pm", QStringLiteral("03:04:05 pm"), QTime(15, 4, 5));
        row("3:04:05PM", QStringLiteral("3:04:05PM"), QTime(15, 4, 5));
        row("3:04:05 AM", QStringLiteral("3:04:05 AM"), QTime(3, 4, 5));
        row("0:30:00", QStringLiteral("0:30:00"), QTime(0, 30, 0));
        row("12:30:00 am", QStringLiteral("12:30:00 am"), QTime(0, 30, 0));
        row("12:59:59 PM", QStringLiteral("12:59:59 PM"), QTime(12, 59, 59));
        row("11:59:59 PM", QStringLiteral("11:59:59 PM"), QTime(23, 59, 59));
        row("own pm after", QStringLiteral("3:04:05 ") + pm, QTime(15, 4, 5));
        row("own pm before", pm + QStringLiteral(" 3:04:05"), QTime(15, 4, 5));
        row("own pm before, joined", pm + QStringLiteral("3:04:05"), QTime(15, 4, 5));
        row("own pm upper case", QStringLiteral("3:04:05 ") + pm.toUpper(), QTime(15, 4, 5));
        row("own am at midnight", locale.amText() + QStringLiteral(" 12:00:00"), QTime(0, 0, 0));
    }
    QTest::newRow("ko_KR 오후 3:04:05") << QStringLiteral("ko_KR") << QStringLiteral("오후 3:04:05") << QTime(15, 4, 5);
}

void TestDateTimeText::readTimeAcceptsUsualForms()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    QFETCH(QTime, expected);
    QCOMPARE(DateTimeText(QLocale(localeName)).readTime(text), expected);
}

void TestDateTimeText::readTimeRejects_data()
{
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    for (const QString &name : mainLocales) {
        const QString date = DateTimeText(QLocale(name)).dateText(QDate(2026, 2, 28));
        for (const QString &text : {QString(), QStringLiteral("  "), QStringLiteral("garbage"),
                                    QStringLiteral("24:00:00"), QStringLiteral("12:60:00"),
                                    QStringLiteral("12:00:60"), QStringLiteral("100:00:00"),
                                    QStringLiteral("-1:00:00"), QStringLiteral("9:0:00"),
                                    QStringLiteral("9:00:00:00"), QStringLiteral("13:00:00 PM"),
                                    QStringLiteral("0:30:00 AM"), QStringLiteral("PM 3:04:05 PM"),
                                    QStringLiteral("3:04:05 XM"), QStringLiteral("15:04:05 x"), date})
            QTest::addRow("%s '%s'", qPrintable(name), qPrintable(text)) << name << text;
    }
}

void TestDateTimeText::readTimeRejects()
{
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    const QTime read = DateTimeText(QLocale(localeName)).readTime(text);
    QVERIFY2(!read.isValid(), qPrintable(read.toString(Qt::ISODate)));
}

// The locale's own long time, only without the zone name.
void TestDateTimeText::timeTextKeepsTheLocaleLook()
{
    QFETCH(QString, localeName);
    const QLocale locale(localeName);
    for (const QTime &time : {QTime(15, 4, 5), QTime(0, 0, 0), QTime(9, 5, 7)}) {
        const QString expected = withoutZone(locale.toString(time, QLocale::LongFormat),
                                             locale.toString(time, QStringLiteral("t")));
        QCOMPARE(DateTimeText(locale).timeText(time), expected);
    }
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
