#include "EditorTestKit.h"

#include <QRadioButton>
#include <QTest>

namespace {

const char *const EntryLists[] = {"ComboSHour",   "ComboSMinute",  "ComboSSecond",  "ComboDay",     "ComboMonth",
                                  "ComboYear",    "ComboRecdays",  "ComboRechours", "ComboRecmins", "ComboRecsecs"};

QString lengthSentence(const QStringList &parts)
{
    return QStringLiteral("%1 天 %2 小时 %3 分钟 %4 秒 之后").arg(parts.value(0), parts.value(1), parts.value(2), parts.value(3));
}

} // namespace

class AddScheduleEditTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;

    bool shown(const char *name) const { return m_kit->find<QWidget>(name)->isVisibleTo(m_kit->editor()); }
    bool enabled(const char *name) const { return m_kit->find<QWidget>(name)->isEnabled(); }

    QStringList listTexts() const
    {
        QStringList texts;
        for (const char *name : EntryLists)
            texts << m_kit->list(name)->currentText();
        return texts;
    }

    QList<int> listPositions() const
    {
        QList<int> positions;
        for (const char *name : EntryLists)
            positions << m_kit->list(name)->currentIndex();
        return positions;
    }

    // Shows the editor over the stored tasks and makes the task at this grid row current, as a click does.
    void showAndSelect(int row)
    {
        QVERIFY(m_kit->load());
        m_kit->showAndClickRow(row);
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), row);
    }

private slots:
    void init() { m_kit = std::make_unique<EditorTestKit>(); }
    void cleanup() { m_kit.reset(); }

    void editSetsTheEntryLayoutAndBeginsAnEdit()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "stored"));
        QVERIFY(m_kit->load());
        const QString amPm = m_kit->list("ComboSAmPm")->currentText();
        m_kit->click("CmdEdit");

        // The same entry layout as for a new task.
        for (const char *name : {"ComboSHour", "ComboRecsecs", "CmdUpdate", "Option1"})
            QVERIFY2(shown(name) && enabled(name), name);
        QVERIFY(!enabled("CmdAdd") && !enabled("CmdDelete") && !shown("DateRec"));
        QCOMPARE(m_kit->list("ComboSAmPm")->currentText(), amPm);
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Editing);
        // The boxes keep the task's title and file for the save.
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("stored"));
        QCOMPARE(m_kit->box("FilenameRec")->text(), QStringLiteral("/rec/stored.mp3"));
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->dir.rowCount(), 1);
    }

    void listsShowTheStoredTask_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("parameter");
        // Hour, minute, second, day, month, year, days, hours, minutes, seconds.
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("positions");

        QTest::newRow("midnight") << "2026-12-24" << "00:00:00" << "5400"
                                  << QStringList{"0", "0", "0", "24", "12", "2026", "0", "1", "30", "0"}
                                  << QList<int>{0, 0, 0, 23, 11, -1, 0, 1, 30, 0};
        QTest::newRow("31 December 2011") << "2011-12-31" << "23:59:59" << "60"
                                          << QStringList{"23", "59", "59", "31", "12", "2011", "0", "0", "1", "0"}
                                          << QList<int>{23, 59, 59, 30, 11, 7, 0, 0, 1, 0};
        QTest::newRow("in 2003") << "2003-07-04" << "08:00:00" << "90"
                                 << QStringList{"8", "0", "0", "4", "7", "2003", "0", "0", "1", "30"}
                                 << QList<int>{8, 0, 0, 3, 6, -1, 0, 0, 1, 30};
        QTest::newRow("in 2012") << "2012-02-29" << "13:05:00" << "90"
                                 << QStringList{"13", "5", "0", "29", "2", "2012", "0", "0", "1", "30"}
                                 << QList<int>{13, 5, 0, 28, 1, -1, 0, 0, 1, 30};
        QTest::newRow("86399 seconds") << "2010-06-15" << "07:30:00" << "86399"
                                       << QStringList{"7", "30", "0", "15", "6", "2010", "0", "23", "59", "59"}
                                       << QList<int>{7, 30, 0, 14, 5, 6, 0, 23, 59, 59};
        QTest::newRow("86400 seconds") << "2010-06-15" << "07:30:00" << "86400"
                                       << QStringList{"7", "30", "0", "15", "6", "2010", "1", "0", "0", "0"}
                                       << QList<int>{7, 30, 0, 14, 5, 6, 1, 0, 0, 0};
        QTest::newRow("93784 seconds") << "2010-06-15" << "07:30:00" << "93784"
                                       << QStringList{"7", "30", "0", "15", "6", "2010", "1", "2", "3", "4"}
                                       << QList<int>{7, 30, 0, 14, 5, 6, 1, 2, 3, 4};
        QTest::newRow("32 days are typed") << "2010-06-15" << "07:30:00" << "2764800"
                                           << QStringList{"7", "30", "0", "15", "6", "2010", "32", "0", "0", "0"}
                                           << QList<int>{7, 30, 0, 14, 5, 6, -1, 0, 0, 0};
    }

    void listsShowTheStoredTask()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, parameter);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, positions);
        const QStringList lengthParts = texts.mid(6);
        m_kit->dir.insert({date, time, "stored", "/rec/stored.mp3", parameter, lengthSentence(lengthParts)});
        const QList<QStringList> before = m_kit->dir.rows();
        QVERIFY(m_kit->load());

        m_kit->click("CmdEdit");
        QCOMPARE(listTexts(), texts);
        QCOMPARE(listPositions(), positions);
        QCOMPARE(m_kit->list("ComboYear")->count(), 8);
        QCOMPARE(m_kit->list("ComboRecdays")->count(), 32);
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->dir.rows(), before);

        // Saved as shown, the task comes back as it was stored, in place.
        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->dir.rows(), before);
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Browsing);
    }

    void storedValuesTheListsCannotShow_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QStringList>("texts");

        const QStringList noStart{"", "", ""};
        const QStringList noLength{"", "", "", ""};
        const QStringList start{"7", "30", "0"};
        const QStringList day{"15", "6", "2010"};
        const QStringList length{"0", "1", "30", "0"};
        QTest::newRow("letters for seconds") << "2010-06-15" << "07:30:00" << "soon" << start + day + noLength;
        QTest::newRow("fraction of seconds") << "2010-06-15" << "07:30:00" << "5400.5" << start + day + noLength;
        QTest::newRow("time past the day") << "2010-06-15" << "25:00:00" << "5400" << noStart + day + length;
        QTest::newRow("30 February") << "2010-02-30" << "07:30:00" << "5400" << start + noStart + length;
        QTest::newRow("no date") << QString() << "07:30:00" << "5400" << start + noStart + length;
    }

    void storedValuesTheListsCannotShow()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, parameter);
        QFETCH(QStringList, texts);
        m_kit->dir.insert({date, time, "odd", "/rec/odd.mp3", parameter, "as stored"});
        const QList<QStringList> before = m_kit->dir.rows();
        QVERIFY(m_kit->load());

        m_kit->click("CmdEdit");
        QCOMPARE(listTexts(), texts);
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Editing);
        QCOMPARE(m_kit->dir.rows(), before);

        // Nothing stands in for the missing value unseen: the save refuses until the user fills it in.
        m_kit->click("CmdUpdate");
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->services.boxes.boxes().first().title, QStringLiteral("Error in Update"));
        QCOMPARE(m_kit->dir.rows(), before);
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Editing);

        m_kit->enterStart("6", "15", "2010", "7", "30", "0");
        m_kit->enterLength("0", "1", "30", "0");
        m_kit->click("CmdUpdate");
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->dir.rows(),
                 QList<QStringList>({{"2010-06-15", "07:30:00", "odd", "/rec/odd.mp3", "5400",
                                      "0 天 1 小时 30 分钟 0 秒 之后"}}));
    }

    void saveRewritesExactlyTheEditedRow()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-01", "09:00:00", "first"));
        m_kit->dir.insert(EditorTestKit::task("2026-12-02", "09:00:00", "middle"));
        m_kit->dir.insert(EditorTestKit::task("2026-12-03", "09:00:00", "last"));
        const QList<QStringList> before = m_kit->dir.rows();
        showAndSelect(1);

        m_kit->click("CmdEdit");
        QCOMPARE(listTexts(), QStringList({"9", "0", "0", "2", "12", "2026", "0", "1", "30", "0"}));
        m_kit->list("ComboSHour")->setCurrentIndex(21);
        m_kit->list("ComboDay")->setCurrentIndex(3);
        m_kit->list("ComboRecmins")->setCurrentIndex(45);
        QTest::mouseClick(m_kit->find<QRadioButton>("Option1"), Qt::LeftButton);
        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());

        const QList<QStringList> after = m_kit->dir.rows();
        QCOMPARE(after.size(), 3);
        QCOMPARE(after.at(0), before.at(0));
        QCOMPARE(after.at(1), before.at(2));
        QCOMPARE(after.at(2), QStringList({"2026-12-04", "21:00:00", "middle", "/rec/middle.wav", "6300",
                                           "0 天 1 小时 45 分钟 0 秒 之后"}));
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Browsing);
    }

    void gridClickDuringAnEditKeepsIt()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-01", "09:00:00", "first"));
        m_kit->dir.insert(EditorTestKit::task("2026-12-02", "09:00:00", "second"));
        showAndSelect(0);
        m_kit->click("CmdEdit");

        QTableView *grid = m_kit->grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 2)).center());
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Editing);
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), 0);
        QTRY_COMPARE(grid->selectionModel()->selectedRows().first().row(), 0);

        m_kit->list("ComboSMinute")->setCurrentIndex(15);
        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        const QList<QStringList> rows = m_kit->dir.rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).mid(0, 3), QStringList({"2026-12-01", "09:15:00", "first"}));
        QCOMPARE(rows.at(1).mid(0, 3), QStringList({"2026-12-02", "09:00:00", "second"}));
    }

    void emptyTableTellsAndDisables()
    {
        QVERIFY(m_kit->load());
        QVERIFY(!enabled("CmdEdit"));
        // Reached with the buttons enabled, the empty table disables them.
        m_kit->button("CmdEdit")->setEnabled(true);
        m_kit->button("CmdDelete")->setEnabled(true);
        m_kit->editor()->CmdEdit_Click();

        QCOMPARE(m_kit->messages(), QStringList(QStringLiteral("QuillScheduler | 目前没有计划任务, 请先添加! | Ok | None")));
        QVERIFY(!enabled("CmdEdit"));
        QVERIFY(!enabled("CmdDelete"));
        // Still browsing: no list shown, nothing pending.
        QVERIFY(!shown("ComboSHour"));
        QVERIFY(!enabled("CmdUpdate"));
        QCOMPARE(m_kit->list("ComboSHour")->currentText(), QStringLiteral("12"));
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Browsing);
    }

    void taskRemovedUnderneathIsPassedOver()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "fired"));
        QVERIFY(m_kit->load());
        // Fired and removed through another connection since the editor read its list.
        m_kit->dir.exec(QStringLiteral("DELETE FROM AddSchTab"));

        m_kit->click("CmdEdit");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Browsing);
        QCOMPARE(listTexts().mid(0, 6), QStringList({"20", "0", "0", "25", "12", "2026"}));
        QVERIFY(enabled("CmdUpdate"));

        // A save then finds nothing pending: it tells the user and closes the editor.
        m_kit->click("CmdUpdate");
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->services.boxes.boxes().first().title, QStringLiteral("User Guide"));
        QVERIFY(m_kit->editor()->isUnloaded());
        QCOMPARE(m_kit->dir.rowCount(), 0);
    }

    void closingDuringAnEditKeepsTheTask()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "stored"));
        const QList<QStringList> before = m_kit->dir.rows();
        QVERIFY(m_kit->load());
        m_kit->click("CmdEdit");
        m_kit->enterStart("1", "1", "2027", "1", "1", "1");
        QTest::mouseClick(m_kit->find<QRadioButton>("Option3"), Qt::LeftButton);
        m_kit->click("CmdExit");
        QVERIFY(m_kit->editor()->isUnloaded());
        QCOMPARE(m_kit->dir.rows(), before);
    }
};

QTEST_MAIN(AddScheduleEditTest)
#include "tst_addschedule_edit.moc"
