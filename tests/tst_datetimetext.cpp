#include "DateTimeText.h"

#include <QDateTime>
#include <QTest>

namespace {

// Locales whose formats carry brackets, commas, native digits or a day period around the time, and
// some whose digits or AM/PM texts Qt cannot read back.
const QStringList locales = QStringLiteral("en_US zh_CN de_DE C ko_KR ja_JP en_GB zh_TW fa_IR es_ES sq_AL bg_BG "
                                           "ar_EG fi_FI th_TH hu_HU ccp_BD ff_SN ee_GH as_IN")
                                .split(u' ');
QString yearText(const QLocale &locale, int year)
{
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(year);
}

} // namespace

class TestDateTimeText : public QObject
{
    Q_OBJECT

private slots:
    void textsReadBackAndNameNoZone_data()
    {
        QTest::addColumn<QString>("localeName");
        for (const QString &name : locales)
            QTest::newRow(qPrintable(name)) << name;
    }

    void textsReadBackAndNameNoZone()
    {
        QFETCH(QString, localeName);
        const QLocale locale(localeName);
        const DateTimeText texts(locale);
        // A year cut to two digits would make these two one text.
        QVERIFY(texts.dateText(QDate(1999, 1, 2)) != texts.dateText(QDate(2099, 1, 2)));
        QList<QDate> dates{QDate(1999, 12, 31), QDate(2000, 2, 29), QDate(2003, 5, 6), QDate(2099, 12, 31)};
        for (QDate day(2024, 1, 1); day.year() < 2025; day = day.addDays(1))
            dates << day;
        for (const QDate &date : std::as_const(dates)) {
            const QString text = texts.dateText(date);
            QVERIFY2(texts.readDate(QStringLiteral("  ") + text + QStringLiteral("\t")) == date, qPrintable(text));
        }

        const QString zone = QDateTime::currentDateTime().timeZoneAbbreviation();
        for (int minuteOfDay = 0; minuteOfDay < 24 * 60; ++minuteOfDay) {
            const QTime time(minuteOfDay / 60, minuteOfDay % 60, (minuteOfDay * 7) % 60);
            const QString text = texts.timeText(time);
            QVERIFY2(texts.readTime(QStringLiteral(" ") + text + QStringLiteral("  ")) == time, qPrintable(text));
            // No zone name: it changes with the season and cannot be read back.
            QString rest = text;
            rest.remove(locale.amText(), Qt::CaseInsensitive).remove(locale.pmText(), Qt::CaseInsensitive);
            QVERIFY2(std::none_of(rest.cbegin(), rest.cend(), [](QChar c) { return c.isLetter() && c.unicode() < 128; }),
                     qPrintable(text));
            QVERIFY2(!text.contains(zone), qPrintable(text));
        }
        QVERIFY(texts.dateText(QDate(2026, 2, 30)).isEmpty() && texts.timeText(QTime(24, 0, 0)).isEmpty());
    }

    void readTimeAcceptsUsualForms_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("expected");
        for (const char *name : {"en_US", "zh_CN", "de_DE", "ko_KR", "zh_TW", "fa_IR"}) {
            const QLocale locale(QString::fromLatin1(name));
            const QString pm = locale.pmText();
            const std::pair<QString, QTime> forms[] = {
                {"9:00:00", QTime(9, 0)},           {"09:00:00", QTime(9, 0)},          {"3:04:05 PM", QTime(15, 4, 5)},
                {"03:04:05 pm", QTime(15, 4, 5)},   {"3:04:05PM", QTime(15, 4, 5)},     {"0:30:00", QTime(0, 30)},
                {"12:30:00 am", QTime(0, 30)},      {"12:59:59 PM", QTime(12, 59, 59)}, {"11:59:59 PM", QTime(23, 59, 59)},
                {"3:04:05 " + pm, QTime(15, 4, 5)}, {pm + "3:04:05", QTime(15, 4, 5)},  {"3:04:05 " + pm.toUpper(), QTime(15, 4, 5)},
                {locale.amText() + " 12:00:00", QTime(0, 0)}};
            for (const auto &[text, time] : forms)
                QTest::addRow("%s %s", name, qPrintable(text)) << QString::fromLatin1(name) << text << time;
        }
    }

    void readTimeAcceptsUsualForms()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, text);
        QFETCH(QTime, expected);
        QCOMPARE(DateTimeText(QLocale(localeName)).readTime(text), expected);
    }

    void textsThatAreNoDateOrTimeAreRefused_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("text");
        for (const char *name : {"en_US", "zh_CN", "de_DE", "C"}) {
            const QLocale locale(QString::fromLatin1(name));
            const DateTimeText texts(locale);
            const QString lastOfFebruary = texts.dateText(QDate(2026, 2, 28));
            QString thirtiethOfFebruary = lastOfFebruary;
            thirtiethOfFebruary.replace(locale.toString(28), locale.toString(30));
            QString shortYear = lastOfFebruary;
            shortYear.replace(yearText(locale, 2026), locale.toString(26));
            for (const QString &text :
                 {QString(), QStringLiteral("garbage"), thirtiethOfFebruary, shortYear, lastOfFebruary + " x",
                  QStringLiteral("24:00:00"), QStringLiteral("12:60:00"), QStringLiteral("9:0:00"),
                  QStringLiteral("9:00:00:00"), QStringLiteral("13:00:00 PM"), QStringLiteral("0:30:00 AM"),
                  QStringLiteral("PM 3:04:05 PM"), QStringLiteral("3:04:05 XM"), QStringLiteral("15:04:05 x")})
                QTest::addRow("%s '%s'", name, qPrintable(text)) << QString::fromLatin1(name) << text;
        }
        for (const char *text : {"13/1/2026", "6/15/03", "06/15/2003"})
            QTest::addRow("en_US %s", text) << QStringLiteral("en_US") << QString::fromLatin1(text);
        QTest::newRow("de_DE 29.02.2025") << QStringLiteral("de_DE") << QStringLiteral("29.02.2025");
    }

    // Neither a date nor a time, whichever way it is read.
    void textsThatAreNoDateOrTimeAreRefused()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, text);
        const DateTimeText texts{QLocale(localeName)};
        const bool isTime = text.contains(u':');
        QVERIFY2(!(isTime ? texts.readTime(text).isValid() : texts.readDate(text).isValid()), qPrintable(text));
        QVERIFY(!texts.readTime(texts.dateText(QDate(2026, 2, 28))).isValid());
        QVERIFY(!texts.readDate(texts.timeText(QTime(15, 4, 5))).isValid());
    }
};

QTEST_GUILESS_MAIN(TestDateTimeText)

#include "tst_datetimetext.moc"
