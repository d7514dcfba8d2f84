#include "EditorTestKit.h"

#include <QRegularExpression>
#include <QTest>

// Whatever the user types into a list of the editor, the save either refuses it with one of its
// messages and writes nothing, or writes a correct task.
class BadInputTest : public QObject
{
    Q_OBJECT

private:
    struct Entry
    {
        QString month = QStringLiteral("12"), day = QStringLiteral("24"), year = QStringLiteral("2026");
        QString hour = QStringLiteral("6"), minute = QStringLiteral("0"), second = QStringLiteral("0");
        QString days = QStringLiteral("0"), hours = QStringLiteral("1"), minutes = QStringLiteral("0"),
                seconds = QStringLiteral("0");
    };

    static QString *field(Entry &entry, const QString &list)
    {
        const std::pair<const char *, QString *> fields[] = {
            {"ComboMonth", &entry.month},     {"ComboDay", &entry.day},         {"ComboYear", &entry.year},
            {"ComboSHour", &entry.hour},      {"ComboSMinute", &entry.minute},  {"ComboSSecond", &entry.second},
            {"ComboRecdays", &entry.days},    {"ComboRechours", &entry.hours},  {"ComboRecmins", &entry.minutes},
            {"ComboRecsecs", &entry.seconds}};
        for (const auto &[name, text] : fields) {
            if (list == QLatin1String(name))
                return text;
        }
        return nullptr;
    }

    // A plain decimal number as a person writes it; anything else must never be stored.
    static bool isPlainNumber(const QString &text)
    {
        static const QRegularExpression number(QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)\\s*$"));
        return number.match(text).hasMatch();
    }

private slots:
    void typedTextIsRefusedOrStoredCorrectly_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("typed");

        const QStringList typedTexts = {QStringLiteral("abc"),
                                        QString(),
                                        QStringLiteral("99999999999999999999"),
                                        QStringLiteral("1e400"),
                                        QStringLiteral("nan"),
                                        QStringLiteral("inf"),
                                        QStringLiteral("-inf"),
                                        QStringLiteral("-0"),
                                        QStringLiteral("１２"),
                                        QStringLiteral("1,5"),
                                        QStringLiteral("0x10"),
                                        QStringLiteral(" 7 "),
                                        QStringLiteral("2147483648"),
                                        QString(10000, QLatin1Char('9')),
                                        QString(10000, QLatin1Char('x'))};
        for (const char *list : {"ComboMonth", "ComboDay", "ComboYear", "ComboSHour", "ComboSMinute", "ComboSSecond",
                                 "ComboRecdays", "ComboRechours", "ComboRecmins", "ComboRecsecs"}) {
            for (const QString &typed : typedTexts)
                QTest::addRow("%s=%s", list, qPrintable(typed.left(12))) << QString::fromLatin1(list) << typed;
        }
    }

    void typedTextIsRefusedOrStoredCorrectly()
    {
        QFETCH(QString, list);
        QFETCH(QString, typed);

        EditorTestKit kit;
        QVERIFY(kit.load());
        kit.click("CmdAdd");
        Entry entry;
        *field(entry, list) = typed;
        kit.enterStart(entry.month, entry.day, entry.year, entry.hour, entry.minute, entry.second);
        kit.enterLength(entry.days, entry.hours, entry.minutes, entry.seconds);
        kit.click("CmdUpdate");

        const QList<QStringList> rows = kit.dir.rows();
        const auto &boxes = kit.services.boxes.boxes();
        if (rows.isEmpty()) {
            QCOMPARE(boxes.size(), 1);
            const QStringList titles = {QStringLiteral("Error in Update"), QStringLiteral("QuillScheduler")};
            QVERIFY2(titles.contains(boxes.first().title), qPrintable(boxes.first().title));
            QVERIFY(kit.button("CmdUpdate")->isEnabled());
            return;
        }

        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
        QCOMPARE(rows.size(), 1);
        QVERIFY2(isPlainNumber(typed), "a text that is not a plain number was stored");
        const QStringList row = rows.first();
        QVERIFY2(QDate::fromString(row.value(0), Qt::ISODate).isValid(), qPrintable(row.value(0)));
        QVERIFY2(QTime::fromString(row.value(1), QStringLiteral("HH:mm:ss")).isValid(), qPrintable(row.value(1)));

        const double total = entry.days.toDouble() * 86400 + entry.hours.toDouble() * 3600
                             + entry.minutes.toDouble() * 60 + entry.seconds.toDouble();
        QCOMPARE(row.value(4), QString::number(qint64(std::nearbyint(total))));
        QCOMPARE(row.value(5), QStringLiteral("%1 天 %2 小时 %3 分钟 %4 秒 之后")
                                   .arg(entry.days, entry.hours, entry.minutes, entry.seconds));

        const QDate date = QDate::fromString(row.value(0), Qt::ISODate);
        const QTime time = QTime::fromString(row.value(1), QStringLiteral("HH:mm:ss"));
        QCOMPARE(date.month(), entry.month.toInt());
        QCOMPARE(date.day(), entry.day.toInt());
        QCOMPARE(time.hour(), entry.hour.toInt());
        QCOMPARE(time.minute(), entry.minute.toInt());
        QCOMPARE(time.second(), entry.second.toInt());
    }
};

QTEST_MAIN(BadInputTest)
#include "tst_badinput.moc"
