#include "EditorTestKit.h"

#include <QScreen>
#include <QTest>

class AddScheduleRefreshTest : public QObject
{
    Q_OBJECT

private:
    static TestAppDir::Row task(const QString &date, const QString &time, const QString &program)
    {
        return EditorTestKit::task(date, time, program);
    }

    static void expectNextTask(const EditorTestKit &kit, QDate date, QTime time, const QString &program)
    {
        QCOMPARE(kit.mainLabel("LblDateRec"), kit.services.texts.dateText(date));
        QCOMPARE(kit.mainLabel("LblStartTimeRec"), kit.services.texts.timeText(time));
        QCOMPARE(kit.mainLabel("LblProgramRec"), program);
    }

private slots:
    void newTaskIsShownFirstByTheMainWindowAfterClosing()
    {
        EditorTestKit kit(true);
        kit.dir.insert(task("2026-12-26", "20:00:00", "later"));
        kit.dir.insert(task("2026-12-25", "20:00:00", "sooner"));
        QVERIFY(!kit.scheduler->Form_Load());
        kit.scheduler->show();
        QVERIFY(QTest::qWaitForWindowExposed(kit.scheduler.get()));
        expectNextTask(kit, QDate(2026, 12, 25), QTime(20, 0, 0), QStringLiteral("sooner"));
        QVERIFY(kit.editor());

        QPoint editorCentre;
        int editorTop = 0;
        int screenTop = 0;
        kit.whileShown([&](AddSchedule &editor) {
            editorCentre = editor.geometry().center();
            editorTop = editor.frameGeometry().top();
            screenTop = editor.screen()->availableGeometry().top();
            kit.click("CmdAdd");
            kit.enterStart("12", "24", "2026", "21", "30", "0");
            kit.enterLength("0", "0", "45", "0");
            kit.click("CmdUpdate");
            // The main window catches up only when the editor closes.
            QCOMPARE(kit.mainLabel("LblProgramRec"), QStringLiteral("sooner"));
            kit.click("CmdExit");
        });

        QVERIFY(!kit.editor());
        QVERIFY(kit.services.boxes.boxes().isEmpty());
        expectNextTask(kit, QDate(2026, 12, 24), QTime(21, 30, 0), QStringLiteral("Quillsound"));
        QCOMPARE(kit.mainLabel("LblParamarRec"), QStringLiteral("2700"));
        QCOMPARE(kit.mainLabel("LblFilenameRec"), kit.dir.path() + QStringLiteral("/quillDefault.mp3"));
        QCOMPARE(kit.mainLabel("LblEndTimeRec"), QStringLiteral("0 天 0 小时 45 分钟 0 秒 之后"));
        QCOMPARE(kit.dir.rowCount(), 3);
        // Centred on the main window across, and moved down only as far as the screen's top edge needs.
        const QPoint mainCentre = kit.scheduler->frameGeometry().center();
        QVERIFY(qAbs(editorCentre.x() - mainCentre.x()) <= 10 && editorTop >= screenTop);
        QVERIFY(editorTop == screenTop || qAbs(editorCentre.y() - mainCentre.y()) <= 10);
    }

    void everyShowingAfterAnUnloadLoadsAfresh()
    {
        EditorTestKit kit(true);
        QVERIFY(!kit.scheduler->Form_Load());
        // An empty store at start: nothing loaded until the first showing.
        QVERIFY(!kit.editor());

        int hourEntries = 0;
        kit.whileShown([&](AddSchedule &) {
            hourEntries = kit.list("ComboSHour")->count();
            kit.editor()->close();
        });
        QCOMPARE(hourEntries, 24);
        QVERIFY(!kit.editor());
        kit.services.boxes.clear();

        kit.dir.insert(task("2026-12-25", "20:00:00", "added elsewhere"));
        QString program;
        kit.whileShown([&](AddSchedule &) {
            hourEntries = kit.list("ComboSHour")->count();
            program = kit.box("ProgramRec")->text();
        });
        QCOMPARE(hourEntries, 24);
        QCOMPARE(program, QStringLiteral("added elsewhere"));
        QVERIFY(!kit.editor());
    }

    void editorLoadedAtStartListsOnlyTheTasksLeftWhenShown()
    {
        EditorTestKit kit(true);
        kit.dir.insert(task("2026-12-24", "06:00:00", "fired meanwhile"));
        kit.dir.insert(task("2026-12-25", "06:00:00", "still due"));
        QVERIFY(!kit.scheduler->Form_Load());
        QVERIFY(kit.editor());
        kit.dir.exec(QStringLiteral("DELETE FROM AddSchTab WHERE Program = 'fired meanwhile'"));

        int listed = 0;
        QString program;
        kit.whileShown([&](AddSchedule &) {
            listed = kit.grid()->model()->rowCount();
            program = kit.box("ProgramRec")->text();
        });
        QCOMPARE(listed, 1);
        QCOMPARE(program, QStringLiteral("still due"));
    }

    void emptyTableIsToldOnUnload()
    {
        EditorTestKit kit;
        AddSchedule *editor = kit.load();
        QVERIFY(editor);
        editor->unload();
        QVERIFY(editor->isUnloaded());
        QCOMPARE(kit.messages(), QStringList(QStringLiteral("QuillScheduler |    当前未录音! | Ok | None")));
        for (const char *name : {"LblDateRec", "LblProgramRec", "LblFilenameRec"})
            QCOMPARE(kit.mainLabel(name), QString());

        // A second unload does nothing more.
        editor->unload();
        QCOMPARE(kit.services.boxes.boxes().size(), 1);
    }

    void closingReadsTheListAndShowsTheFirstTaskAgain()
    {
        EditorTestKit kit;
        kit.dir.insert(task("2026-12-26", "20:00:00", "later"));
        AddSchedule *editor = kit.load();
        QVERIFY(editor);
        QCOMPARE(kit.mainLabel("LblProgramRec"), QString());
        kit.dir.insert(task("2026-12-25", "20:00:00", "added elsewhere"));
        QCOMPARE(kit.grid()->model()->rowCount(), 1);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        kit.click("CmdExit");
        QVERIFY(editor->isUnloaded());
        QVERIFY(kit.services.boxes.boxes().isEmpty());
        QCOMPARE(kit.grid()->model()->rowCount(), 2);
        QCOMPARE(kit.box("ProgramRec")->text(), QStringLiteral("added elsewhere"));
        expectNextTask(kit, QDate(2026, 12, 25), QTime(20, 0, 0), QStringLiteral("added elsewhere"));
    }

    void closingWithAPendingNewTaskAddsNothing_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("exit button") << "CmdExit";
        QTest::newRow("close box") << "close";
        QTest::newRow("main window exit") << "main";
    }

    void closingWithAPendingNewTaskAddsNothing()
    {
        QFETCH(QString, way);
        EditorTestKit kit(true);
        kit.dir.insert(task("2026-12-25", "20:00:00", "stored"));
        const QList<QStringList> before = kit.dir.rows();
        QVERIFY(!kit.scheduler->Form_Load());
        kit.scheduler->show();
        QVERIFY(QTest::qWaitForWindowExposed(kit.scheduler.get()));

        if (way == QLatin1String("main")) {
            // Loaded hidden at start-up, the editor is given a pending task and the program ends.
            kit.click("CmdAdd");
            kit.enterLength("0", "0", "1", "0");
            kit.services.boxes.queueAnswer(MessageAnswer::Yes);
            QVERIFY(kit.scheduler->close());
        } else {
            kit.whileShown([&](AddSchedule &editor) {
                kit.click("CmdAdd");
                kit.enterStart("12", "24", "2026", "21", "30", "0");
                kit.enterLength("0", "0", "1", "0");
                if (way == QLatin1String("CmdExit"))
                    kit.click("CmdExit");
                else
                    editor.close();
            });
            QCOMPARE(kit.services.boxes.boxes().size(), 0);
        }
        QVERIFY(!kit.editor());
        QCOMPARE(kit.dir.rows(), before);
        QCOMPARE(kit.mainLabel("LblProgramRec"), QStringLiteral("stored"));
    }

    void firstTaskMissingAFieldStopsTheCopySilently()
    {
        EditorTestKit kit;
        kit.dir.insert(task(QString(), "07:00:00", "undated"));
        kit.dir.insert(task("2026-12-25", "20:00:00", "dated"));
        AddSchedule *editor = kit.load();
        QVERIFY(editor);
        editor->unload();
        QVERIFY(kit.services.boxes.boxes().isEmpty());
        // The main window re-read the store all the same and removed the undated task.
        QCOMPARE(kit.dir.rowCount(), 1);
        QCOMPARE(kit.dir.rows().first().at(2), QStringLiteral("dated"));
    }

    void taskGoneSinceLoadingIsPassedOverAtExit()
    {
        EditorTestKit kit(true);
        kit.dir.insert(task("2026-12-25", "20:00:00", "fired"));
        QVERIFY(!kit.scheduler->Form_Load());
        QVERIFY(kit.editor());
        kit.dir.exec(QStringLiteral("DELETE FROM AddSchTab"));

        kit.services.boxes.queueAnswer(MessageAnswer::Yes);
        QVERIFY(kit.scheduler->close());
        QVERIFY(!kit.editor());
        // Only the close question: the vanished row is no empty table.
        QCOMPARE(kit.services.boxes.boxes().size(), 1);
        QCOMPARE(kit.mainLabel("LblProgramRec"), QString());
    }
};

QTEST_MAIN(AddScheduleRefreshTest)
#include "tst_addschedule_refresh.moc"
