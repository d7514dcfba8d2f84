#include "EditorTestKit.h"

#include <QDir>
#include <QRadioButton>
#include <QTest>

class AddScheduleNewTaskTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;

    bool shown(const char *name) const
    {
        return m_kit->find<QWidget>(name)->isVisibleTo(m_kit->editor());
    }

    bool enabled(const char *name) const { return m_kit->find<QWidget>(name)->isEnabled(); }

private slots:
    void init() { m_kit = std::make_unique<EditorTestKit>(); }
    void cleanup() { m_kit.reset(); }

    void addSetsTheEntryLayout()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-01", "09:00:00", "a"));
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");

        for (const char *name : {"ComboSHour", "ComboYear", "ComboRecdays", "Label15", "CmdUpdate", "CmdCancel",
                                 "Option1", "chooseFile"})
            QVERIFY2(shown(name) && enabled(name), name);
        for (const char *name : {"StartTimeRec", "DateRec", "RecLength"})
            QVERIFY2(!shown(name), name);
        for (const char *name : {"CmdAdd", "CmdEdit", "CmdDelete", "ComboSAmPm"})
            QVERIFY2(!enabled(name), name);
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
    }

    void startListsComeFromTheClock_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("positions");

        QTest::newRow("last second of 2010") << QDateTime(QDate(2010, 12, 31), QTime(23, 59, 59))
                                             << QStringList{"23", "59", "59", "31", "12", "2010"}
                                             << QList<int>{23, 59, 59, 30, 11, 6};
        QTest::newRow("first second of 2004") << QDateTime(QDate(2004, 1, 1), QTime(0, 0, 0))
                                              << QStringList{"0", "0", "0", "1", "1", "2004"}
                                              << QList<int>{0, 0, 0, 0, 0, 0};
        QTest::newRow("2026 is typed") << QDateTime(QDate(2026, 12, 24), QTime(5, 59, 58))
                                       << QStringList{"5", "59", "58", "24", "12", "2026"}
                                       << QList<int>{5, 59, 58, 23, 11, -1};
        QTest::newRow("2003 is typed") << QDateTime(QDate(2003, 7, 4), QTime(12, 30, 15))
                                       << QStringList{"12", "30", "15", "4", "7", "2003"}
                                       << QList<int>{12, 30, 15, 3, 6, -1};
    }

    void startListsComeFromTheClock()
    {
        QFETCH(QDateTime, now);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, positions);
        m_kit->services.clock.set(now);
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");

        const char *names[] = {"ComboSHour", "ComboSMinute", "ComboSSecond", "ComboDay", "ComboMonth", "ComboYear"};
        for (int i = 0; i < 6; ++i) {
            QComboBox *list = m_kit->list(names[i]);
            QCOMPARE(list->currentText(), texts.at(i));
            QCOMPARE(list->currentIndex(), positions.at(i));
        }
    }

    void lengthListsKeepWhatTheyShowed()
    {
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");
        const std::initializer_list<const char *> lengthLists{"ComboRecdays", "ComboRechours", "ComboRecmins",
                                                              "ComboRecsecs"};
        QCOMPARE(m_kit->listTexts(lengthLists), QStringList({"0", "0", "0", "0"}));

        m_kit->list("ComboRechours")->setCurrentIndex(2);
        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->dir.rowCount(), 1);

        m_kit->click("CmdAdd");
        QCOMPARE(m_kit->listTexts(lengthLists), QStringList({"0", "2", "0", "0"}));
    }

    void newRowIsPendingWithTheDefaults_data()
    {
        QTest::addColumn<bool>("withTasks");
        QTest::newRow("empty table") << false;
        QTest::newRow("table with a task") << true;
    }

    void newRowIsPendingWithTheDefaults()
    {
        QFETCH(bool, withTasks);
        if (withTasks)
            m_kit->dir.insert(EditorTestKit::task("2026-12-01", "09:00:00", "a"));
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");
        const ResultSet &rows = m_kit->data1()->recordset();
        QCOMPARE(rows.editMode(), ResultSet::EditMode::Adding);
        // On an empty table the pending row leaves no current row.
        QCOMPARE(rows.bof() && rows.eof(), !withTasks);
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("Quillsound"));
        QCOMPARE(m_kit->box("FilenameRec")->text(),
                 m_kit->dir.path() + QDir::separator() + QStringLiteral("quillDefault.mp3"));
        // The other bound boxes show the new row's empty fields.
        for (const char *name : {"DateRec", "StartTimeRec", "RecParameter", "RecLength"})
            QCOMPARE(m_kit->box(name)->text(), QString());
        QCOMPARE(m_kit->dir.rowCount(), int(withTasks));
        QCOMPARE(m_kit->grid()->model()->rowCount(), int(withTasks));
    }

    void formatChoiceIsKept()
    {
        QVERIFY(m_kit->load());
        auto *option3 = m_kit->find<QRadioButton>("Option3");
        option3->setChecked(true);
        m_kit->click("CmdAdd");
        QVERIFY(option3->isChecked());
        QVERIFY(option3->isEnabled());
        QVERIFY(!m_kit->find<QRadioButton>("Option2")->isChecked());
    }
};

QTEST_MAIN(AddScheduleNewTaskTest)
#include "tst_addschedule_newtask.moc"
