#include "EditorTestKit.h"

#include <QDir>
#include <QRadioButton>
#include <QTest>

class AddScheduleCancelTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;

    bool shown(const char *name) const { return m_kit->find<QWidget>(name)->isVisibleTo(m_kit->editor()); }
    bool enabled(const char *name) const { return m_kit->find<QWidget>(name)->isEnabled(); }

    QStringList startTexts() const
    {
        return m_kit->listTexts({"ComboSHour", "ComboSMinute", "ComboSSecond", "ComboDay", "ComboMonth", "ComboYear"});
    }

    QStringList lengthTexts() const
    {
        return m_kit->listTexts({"ComboRecdays", "ComboRechours", "ComboRecmins", "ComboRecsecs"});
    }

    void expectBrowsing(bool withTasks) const
    {
        for (const char *name : {"ComboSHour", "ComboYear", "ComboRecsecs", "Label15"})
            QVERIFY2(!shown(name), name);
        QVERIFY(shown("DateRec"));
        QVERIFY(enabled("CmdAdd"));
        for (const char *name : {"CmdUpdate", "CmdCancel", "Option1", "chooseFile"})
            QVERIFY2(!enabled(name), name);
        QCOMPARE(enabled("CmdEdit"), withTasks);
        QCOMPARE(enabled("CmdDelete"), withTasks);
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Browsing);
    }

    // The start lists are back at the texts the window starts with, no entry chosen.
    void expectStartListsReset() const
    {
        QCOMPARE(startTexts(), QStringList({"12", "00", "00", "01", "01", "01"}));
        QCOMPARE(m_kit->list("ComboSHour")->currentIndex(), -1);
        QCOMPARE(m_kit->list("ComboYear")->currentIndex(), -1);
    }

    void expectBoxesShowStored(const QString &program) const
    {
        QCOMPARE(m_kit->box("ProgramRec")->text(), program);
        QCOMPARE(m_kit->box("FilenameRec")->text(), QStringLiteral("/rec/%1.mp3").arg(program));
        QCOMPARE(m_kit->box("DateRec")->text(), m_kit->services.texts.dateText(QDate(2026, 12, 25)));
        QCOMPARE(m_kit->box("RecParameter")->text(), QStringLiteral("5400"));
    }

private slots:
    void init() { m_kit = std::make_unique<EditorTestKit>(); }
    void cleanup() { m_kit.reset(); }

    void cancelLeavesTheStore_data()
    {
        QTest::addColumn<QString>("begin");
        QTest::addColumn<bool>("withTasks");
        QTest::newRow("new task, empty table") << "CmdAdd" << false;
        QTest::newRow("new task, table with tasks") << "CmdAdd" << true;
        QTest::newRow("edit") << "CmdEdit" << true;
    }

    void cancelLeavesTheStore()
    {
        QFETCH(QString, begin);
        QFETCH(bool, withTasks);
        if (withTasks) {
            m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "stored"));
            m_kit->dir.insert(EditorTestKit::task("2026-12-26", "20:00:00", "other"));
        }
        const QList<QStringList> before = m_kit->dir.rows();
        QVERIFY(m_kit->load());
        const QString amPm = m_kit->list("ComboSAmPm")->currentText();

        m_kit->click(qPrintable(begin));
        m_kit->enterStart("1", "2", "2027", "3", "4", "5");
        m_kit->enterLength("0", "2", "15", "0");
        QTest::mouseClick(m_kit->find<QRadioButton>("Option3"), Qt::LeftButton);
        m_kit->click("CmdCancel");

        expectBrowsing(withTasks);
        expectStartListsReset();
        QCOMPARE(lengthTexts(), QStringList({"0", "2", "15", "0"}));
        QCOMPARE(m_kit->list("ComboSAmPm")->currentText(), amPm);
        QCOMPARE(m_kit->dir.rows(), before);
        QCOMPARE(m_kit->grid()->model()->rowCount(), before.size());
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        // What the dropped entry changed is gone; the boxes show the current task, or nothing.
        if (withTasks) {
            expectBoxesShowStored(QStringLiteral("stored"));
            QCOMPARE(m_kit->gridColumn(3).first(), QStringLiteral("/rec/stored.mp3"));
        } else {
            for (const char *name : {"ProgramRec", "FilenameRec", "DateRec", "RecParameter"})
                QCOMPARE(m_kit->box(name)->text(), QString());
        }
    }

    void cancelWithNothingPending_data()
    {
        QTest::addColumn<bool>("withTasks");
        QTest::newRow("empty table") << false;
        QTest::newRow("refused edit") << true;
    }

    void cancelWithNothingPending()
    {
        QFETCH(bool, withTasks);
        if (withTasks)
            m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "fired"));
        QVERIFY(m_kit->load());
        if (withTasks) {
            // Removed through another connection: the edit is refused and nothing is pending.
            m_kit->dir.exec(QStringLiteral("DELETE FROM AddSchTab"));
            m_kit->click("CmdEdit");
            QVERIFY(enabled("CmdCancel"));
            QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Browsing);
            m_kit->click("CmdCancel");
        } else {
            m_kit->editor()->CmdCancel_Click();
        }

        // The editor's list still holds the removed task until it is read again, and shows it.
        expectBrowsing(withTasks);
        expectStartListsReset();
        QCOMPARE(m_kit->dir.rowCount(), 0);
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->box("ProgramRec")->text(), withTasks ? QStringLiteral("fired") : QString());
        QCOMPARE(m_kit->box("FilenameRec")->text(), withTasks ? QStringLiteral("/rec/fired.mp3") : QString());
    }

    void sameTaskCanBeEditedAndSavedAfterACancel_data()
    {
        QTest::addColumn<QString>("cancelled");
        QTest::newRow("after an edit") << "CmdEdit";
        QTest::newRow("after a new task") << "CmdAdd";
    }

    void sameTaskCanBeEditedAndSavedAfterACancel()
    {
        QFETCH(QString, cancelled);
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "stored"));
        QVERIFY(m_kit->load());
        m_kit->click(qPrintable(cancelled));
        m_kit->enterStart("x", "x", "x", "x", "x", "x");
        m_kit->enterLength("x", "x", "x", "x");
        m_kit->click("CmdCancel");

        m_kit->click("CmdEdit");
        QCOMPARE(startTexts(), QStringList({"20", "0", "0", "25", "12", "2026"}));
        QCOMPARE(lengthTexts(), QStringList({"0", "1", "30", "0"}));
        m_kit->list("ComboSMinute")->setCurrentIndex(45);
        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->dir.rows(), QList<QStringList>({{"2026-12-25", "20:45:00", "stored", "/rec/stored.mp3", "5400",
                                                         "0 天 1 小时 30 分钟 0 秒 之后"}}));
    }

    void cancelThenMoveAndCloseKeepsTheStore()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "first"));
        m_kit->dir.insert(EditorTestKit::task("2026-12-26", "20:00:00", "second"));
        const QList<QStringList> before = m_kit->dir.rows();
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        m_kit->click("CmdEdit");
        m_kit->click("CmdCancel");

        QTableView *grid = m_kit->grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 2)).center());
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), 1);
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("second"));
        m_kit->click("CmdExit");
        QVERIFY(editor->isUnloaded());
        QCOMPARE(m_kit->dir.rows(), before);
        QCOMPARE(m_kit->mainLabel("LblProgramRec"), QStringLiteral("first"));
    }

    void nextNewTaskStartsFromTheClockAgain()
    {
        m_kit->services.clock.set(QDateTime(QDate(2010, 3, 4), QTime(12, 0, 0)));
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");
        m_kit->click("CmdCancel");
        expectStartListsReset();
        m_kit->click("CmdAdd");
        QCOMPARE(startTexts(), QStringList({"12", "0", "0", "4", "3", "2010"}));
        QCOMPARE(m_kit->list("ComboSHour")->currentIndex(), 12);
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("Quillsound"));
        QCOMPARE(m_kit->box("FilenameRec")->text(),
                 m_kit->dir.path() + QDir::separator() + QStringLiteral("quillDefault.mp3"));
    }
};

QTEST_MAIN(AddScheduleCancelTest)
#include "tst_addschedule_cancel.moc"
