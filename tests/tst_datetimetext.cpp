#include "DateTimeText.h"

#include <QTest>

// The locale's name, the text typed, and the time it means (none when it is refused or a date).
using Typed = std::tuple<QString, QString, QTime>;

class TestDateTimeText : public QObject
{
    Q_OBJECT

private slots:
    // Formats with brackets, commas, native digits or day periods, and digits or AM/PM texts Qt cannot read back.
    void textsReadBackAndNameNoZone_data()
    {
        QTest::addColumn<QString>("localeName");
        for (const char *name : {"en_US", "zh_CN", "de_DE", "C", "ko_KR", "ja_JP", "en_GB", "zh_TW", "fa_IR", "es_ES",
                                 "sq_AL", "bg_BG", "ar_EG", "fi_FI", "th_TH", "hu_HU", "ccp_BD", "ff_SN", "ee_GH", "as_IN"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void textsReadBackAndNameNoZone()
    {
        QFETCH(QString, localeName);
        const QLocale locale(localeName);
        const DateTimeText texts(locale);
        QList<QDate> dates{QDate(1999, 12, 31), QDate(2000, 2, 29), QDate(2003, 5, 6), QDate(2099, 12, 31)};
        for (QDate day(2024, 1, 1); day.year() < 2025; day = day.addDays(1))
            dates << day;
        for (const QDate &date : std::as_const(dates)) {
            const QString text = texts.dateText(date);
            QVERIFY2(texts.readDate(QStringLiteral("  ") + text + QStringLiteral("\t")) == date, qPrintable(text));
            QVERIFY2(!texts.readTime(text).isValid(), qPrintable(text));
        }

        for (int minuteOfDay = 0; minuteOfDay < 24 * 60; ++minuteOfDay) {
            const QTime time(minuteOfDay / 60, minuteOfDay % 60, (minuteOfDay * 7) % 60);
            const QString text = texts.timeText(time);
            QVERIFY2(texts.readTime(QStringLiteral(" ") + text + QStringLiteral("  ")) == time, qPrintable(text));
            QVERIFY2(!texts.readDate(text).isValid(), qPrintable(text));
            // No zone name (it changes with the season and cannot be read back), nor other Latin words but AM and PM.
            QString rest = text;
            rest.remove(locale.amText(), Qt::CaseInsensitive).remove(locale.pmText(), Qt::CaseInsensitive);
            QVERIFY2(std::none_of(rest.cbegin(), rest.cend(), [](QChar c) { return c.isLetter() && c.unicode() < 128; }), qPrintable(text));
        }
        QVERIFY(texts.dateText(QDate(2026, 2, 30)).isEmpty() && texts.timeText(QTime(24, 0, 0)).isEmpty());
    }

    // The locale's own short date, its year written out in full.
    void datesKeepTheLocaleLook()
    {
        for (const auto &[name, text] : {std::pair("en_US", "12/24/2026"), {"de_DE", "24.12.2026"}, {"zh_CN", "2026/12/24"}})
            QCOMPARE(DateTimeText(QLocale(QString::fromLatin1(name))).dateText(QDate(2026, 12, 24)), QString::fromLatin1(text));
    }

    // What people type: a text with a colon is read as a time, any other as a date; an invalid time is a refusal.
    void readsTypedTexts_data()
    {
        QTest::addColumn<Typed>("typed");
        const auto add = [](const char *name, const QString &text, QTime time = {}) {
            QTest::addRow("%s '%s'", name, qPrintable(text)) << Typed{name, text, time};
        };
        // "typed=time meant", if any; %p is the locale's PM text, %P that in upper case, %a its AM text.
        const QStringList forms = QStringLiteral(
            "9:00:00=9:00:00|09:00:00=9:00:00|3:04:05 PM=15:04:05|03:04:05 pm=15:04:05|3:04:05PM=15:04:05|0:30:00=0:30:00|"
            "12:30:00 am=0:30:00|12:59:59 PM=12:59:59|11:59:59 PM=23:59:59|3:04:05 %p=15:04:05|%p3:04:05=15:04:05|"
            "3:04:05 %P=15:04:05|%a 12:00:00=0:00:00|24:00:00=|12:60:00=|9:0:00=|9:00:00:00=|13:00:00 PM=|0:30:00 AM=|"
            "PM 3:04:05 PM=|3:04:05 XM=|15:04:05 x=").split(u'|');
        for (const char *name : {"en_US", "zh_CN", "de_DE", "ko_KR", "zh_TW", "fa_IR", "C"}) {
            const QLocale locale(QString::fromLatin1(name));
            for (QString form : forms) {
                form.replace(QStringLiteral("%p"), locale.pmText()).replace(QStringLiteral("%P"), locale.pmText().toUpper());
                form.replace(QStringLiteral("%a"), locale.amText());
                add(name, form.section(u'=', 0, 0), QTime::fromString(form.section(u'=', 1), u"H:mm:ss"));
            }
        }
        // A day that does not exist, a year cut short and more after a date are no date either.
        for (const char *name : {"en_US", "zh_CN", "de_DE", "C"}) {
            const QLocale locale(QString::fromLatin1(name));
            const QString lastOfFebruary = DateTimeText(locale).dateText(QDate(2026, 2, 28));
            QLocale plain = locale;
            plain.setNumberOptions(QLocale::OmitGroupSeparator);
            for (const QString &text :
                 {QString(), QStringLiteral("garbage"), QString(lastOfFebruary).replace(locale.toString(28), locale.toString(30)),
                  QString(lastOfFebruary).replace(plain.toString(2026), locale.toString(26)), lastOfFebruary + " x"})
                add(name, text);
        }
    }

    void readsTypedTexts()
    {
        QFETCH(Typed, typed);
        const auto &[localeName, text, expected] = typed;
        const DateTimeText texts{QLocale(localeName)};
        if (text.contains(u':'))
            QCOMPARE(texts.readTime(text), expected);
        else
            QCOMPARE(texts.readDate(text), QDate());
    }
};

QTEST_GUILESS_MAIN(TestDateTimeText)
#include "tst_datetimetext.moc"
