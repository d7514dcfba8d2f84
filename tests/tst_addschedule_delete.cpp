#include "EditorTestKit.h"

#include <QEvent>
#include <QTest>

namespace {

// Counts the paint events that a window receives.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class AddScheduleDeleteTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;

    bool enabled(const char *name) const { return m_kit->find<QWidget>(name)->isEnabled(); }

    void insertThree() const
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-03", "09:00:00", "last"));
        m_kit->dir.insert(EditorTestKit::task("2026-12-01", "09:00:00", "first"));
        m_kit->dir.insert(EditorTestKit::task("2026-12-02", "09:00:00", "middle"));
    }

    void select(int row)
    {
        m_kit->showAndClickRow(row);
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), row);
    }

    static QString question() { return QStringLiteral("删除录音 | 删除本次录音吗? | YesNo | Question"); }

private slots:
    void init() { m_kit = std::make_unique<EditorTestKit>(); }
    void cleanup() { m_kit.reset(); }

    void deletesTheSelectedTaskNotTheFirst()
    {
        insertThree();
        const QList<QStringList> before = m_kit->dir.rows();
        QVERIFY(m_kit->load());
        select(1);
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("middle"));

        m_kit->services.boxes.queueAnswer(MessageAnswer::Yes);
        m_kit->click("CmdDelete");
        QCOMPARE(m_kit->messages(), QStringList(question()));
        QCOMPARE(m_kit->dir.rows(), QList<QStringList>({before.at(0), before.at(2)}));

        // The list is read afresh, its first task current and shown.
        QCOMPARE(m_kit->gridColumn(2), QStringList({"first", "last"}));
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), 0);
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("first"));
        QCOMPARE(m_kit->box("DateRec")->text(), m_kit->services.texts.dateText(QDate(2026, 12, 1)));
        QVERIFY(enabled("CmdDelete"));
    }

    void deletingTheOnlyTaskTellsThatNoneIsLeft()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "only"));
        QVERIFY(m_kit->load());
        m_kit->services.boxes.queueAnswer(MessageAnswer::Yes);
        m_kit->click("CmdDelete");

        QCOMPARE(m_kit->messages(),
                 QStringList({question(), QStringLiteral("QuillScheduler | 没有录音可供删除. | Ok | None")}));
        QCOMPARE(m_kit->dir.rowCount(), 0);
        QCOMPARE(m_kit->grid()->model()->rowCount(), 0);
        QVERIFY(!enabled("CmdEdit"));
        QVERIFY(!enabled("CmdDelete"));
        QCOMPARE(m_kit->box("DateRec")->text(), QString());
    }

    void answerNoKeepsEverything()
    {
        insertThree();
        const QList<QStringList> before = m_kit->dir.rows();
        QVERIFY(m_kit->load());
        select(2);
        m_kit->services.boxes.queueAnswer(MessageAnswer::No);
        m_kit->click("CmdDelete");

        QCOMPARE(m_kit->messages(), QStringList(question()));
        QCOMPARE(m_kit->dir.rows(), before);
        QCOMPARE(m_kit->gridColumn(2), QStringList({"first", "middle", "last"}));
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), 2);
    }

    void emptyTableAsksNothing()
    {
        QVERIFY(m_kit->load());
        m_kit->editor()->CmdDelete_Click();
        QCOMPARE(m_kit->messages(), QStringList(QStringLiteral("QuillScheduler | 目前没有计划任务, 请先添加! | Ok | None")));
        QVERIFY(!enabled("CmdEdit"));
        QVERIFY(!enabled("CmdDelete"));
    }

    void taskRemovedUnderneathByTheMainWindowIsPassedOver()
    {
        EditorTestKit kit(true);
        kit.dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "fired"));
        kit.dir.insert(EditorTestKit::task("2026-12-26", "20:00:00", "next"));
        QVERIFY(!kit.scheduler->Form_Load());
        QVERIFY(kit.editor());
        // The main window's cursor removes its first task, as the monitor does once it has fired it.
        auto *mainCursor = kit.scheduler->findChild<RecordCursor *>(QStringLiteral("Data1"));
        QVERIFY(mainCursor && mainCursor->isAttached());
        QVERIFY(!mainCursor->recordset().deleteRow());
        const QList<QStringList> left = kit.dir.rows();
        QCOMPARE(left.size(), 1);

        kit.services.boxes.queueAnswer(MessageAnswer::Yes);
        kit.click("CmdDelete");
        QCOMPARE(kit.messages(), QStringList(question()));
        QCOMPARE(kit.dir.rows(), left);
        // Not read again: the editor still lists the fired task until its next reading.
        QCOMPARE(kit.grid()->model()->rowCount(), 2);
        QVERIFY(kit.button("CmdDelete")->isEnabled());
    }

    void mainWindowRepaintsButKeepsItsLabelsUntilTheEditorCloses_data()
    {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::newRow("yes") << MessageAnswer::Yes;
        QTest::newRow("no") << MessageAnswer::No;
    }

    void mainWindowRepaintsButKeepsItsLabelsUntilTheEditorCloses()
    {
        QFETCH(MessageAnswer, answer);
        EditorTestKit kit(true);
        kit.dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "sooner"));
        kit.dir.insert(EditorTestKit::task("2026-12-26", "20:00:00", "later"));
        QVERIFY(!kit.scheduler->Form_Load());
        kit.scheduler->show();
        QVERIFY(QTest::qWaitForWindowExposed(kit.scheduler.get()));
        PaintCounter paints;
        kit.scheduler->installEventFilter(&paints);

        int paintsByDelete = -1;
        QString labelWhileShown;
        kit.whileShown([&](AddSchedule &editor) {
            kit.services.boxes.queueAnswer(answer);
            paints.count = 0;
            editor.CmdDelete_Click();
            paintsByDelete = paints.count;
            labelWhileShown = kit.mainLabel("LblProgramRec");
            kit.click("CmdExit");
        });
        QVERIFY(paintsByDelete > 0);
        QCOMPARE(labelWhileShown, QStringLiteral("sooner"));
        const bool deleted = answer == MessageAnswer::Yes;
        QCOMPARE(kit.dir.rowCount(), deleted ? 1 : 2);
        QCOMPARE(kit.mainLabel("LblProgramRec"), deleted ? QStringLiteral("later") : QStringLiteral("sooner"));
    }

    void firstRemainingTaskWithoutADateStopsTheCopySilently()
    {
        m_kit->dir.insert(EditorTestKit::task(QString(), "07:00:00", "undated"));
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "dated"));
        QVERIFY(m_kit->load());
        select(1);
        m_kit->services.boxes.queueAnswer(MessageAnswer::Yes);
        m_kit->click("CmdDelete");
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->dir.rowCount(), 1);
        QCOMPARE(m_kit->dir.rows().first().at(2), QStringLiteral("undated"));
        QCOMPARE(m_kit->box("StartTimeRec")->text(), m_kit->services.texts.timeText(QTime(7, 0, 0)));
        QVERIFY(enabled("CmdDelete"));
    }
};

QTEST_MAIN(AddScheduleDeleteTest)
#include "tst_addschedule_delete.moc"
