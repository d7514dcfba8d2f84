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

    // Shows the loaded editor and makes the task at this grid row current with a click.
    void select(int row)
    {
        AddSchedule *editor = m_kit->editor();
        QVERIFY(editor);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QTableView *grid = m_kit->grid();
        const QModelIndex index = grid->model()->index(row, 2);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), row);
    }

    void expectQuestionFirst() const
    {
        const QList<ScriptedMessageBoxes::Box> &boxes = m_kit->services.boxes.boxes();
        QVERIFY(!boxes.isEmpty());
        QCOMPARE(boxes.first().text, QStringLiteral("删除本次录音吗?"));
        QCOMPARE(boxes.first().title, QStringLiteral("删除录音"));
        QCOMPARE(boxes.first().buttons, MessageButtons::YesNo);
        QCOMPARE(boxes.first().icon, MessageIcon::Question);
    }

    QStringList gridPrograms() const
    {
        QStringList programs;
        const QAbstractItemModel *model = m_kit->grid()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            programs << model->index(row, 2).data().toString();
        return programs;
    }

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
        expectQuestionFirst();
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->dir.rows(), QList<QStringList>({before.at(0), before.at(2)}));

        // The list is read afresh, its first task current and shown.
        QCOMPARE(gridPrograms(), QStringList({"first", "last"}));
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), 0);
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("first"));
        QCOMPARE(m_kit->box("FilenameRec")->text(), QStringLiteral("/rec/first.mp3"));
        QCOMPARE(m_kit->box("DateRec")->text(), m_kit->services.texts.dateText(QDate(2026, 12, 1)));
        QCOMPARE(m_kit->box("StartTimeRec")->text(), m_kit->services.texts.timeText(QTime(9, 0, 0)));
        QVERIFY(enabled("CmdEdit"));
        QVERIFY(enabled("CmdDelete"));
        QVERIFY(enabled("CmdAdd"));
    }

    void deletingTheOnlyTaskTellsThatNoneIsLeft()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "only"));
        QVERIFY(m_kit->load());
        m_kit->services.boxes.queueAnswer(MessageAnswer::Yes);
        m_kit->click("CmdDelete");

        expectQuestionFirst();
        const QList<ScriptedMessageBoxes::Box> &boxes = m_kit->services.boxes.boxes();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.at(1).text, QStringLiteral("没有录音可供删除."));
        QCOMPARE(boxes.at(1).title, QStringLiteral("QuillScheduler"));
        QCOMPARE(boxes.at(1).buttons, MessageButtons::Ok);
        QCOMPARE(boxes.at(1).icon, MessageIcon::None);
        QCOMPARE(m_kit->dir.rowCount(), 0);
        QCOMPARE(m_kit->grid()->model()->rowCount(), 0);
        QVERIFY(!enabled("CmdEdit"));
        QVERIFY(!enabled("CmdDelete"));
        QVERIFY(enabled("CmdAdd"));
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

        expectQuestionFirst();
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->dir.rows(), before);
        QCOMPARE(gridPrograms(), QStringList({"first", "middle", "last"}));
        QCOMPARE(m_kit->data1()->recordset().currentIndex(), 2);
        QVERIFY(enabled("CmdEdit"));
        QVERIFY(enabled("CmdDelete"));
    }

    void emptyTableAsksNothing()
    {
        QVERIFY(m_kit->load());
        m_kit->editor()->CmdDelete_Click();
        const QList<ScriptedMessageBoxes::Box> &boxes = m_kit->services.boxes.boxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, QStringLiteral("目前没有计划任务, 请先添加!"));
        QCOMPARE(boxes.first().title, QStringLiteral("QuillScheduler"));
        QCOMPARE(boxes.first().buttons, MessageButtons::Ok);
        QCOMPARE(boxes.first().icon, MessageIcon::None);
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
        const QList<ScriptedMessageBoxes::Box> &boxes = kit.services.boxes.boxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().text, QStringLiteral("删除本次录音吗?"));
        QCOMPARE(kit.dir.rows(), left);
        // Not read again: the editor still lists the fired task until its next reading.
        QCOMPARE(kit.grid()->model()->rowCount(), 2);
        QVERIFY(kit.button("CmdEdit")->isEnabled());
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
        QVERIFY(enabled("CmdEdit"));
        QVERIFY(enabled("CmdDelete"));
    }
};

QTEST_MAIN(AddScheduleDeleteTest)
#include "tst_addschedule_delete.moc"
