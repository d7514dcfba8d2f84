#include "EditorTestKit.h"
#include "OutputFormat.h"
#include "ScheduleFields.h"
#include "StoreLocker.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString DesignStart = QStringLiteral("01*,01*,01*,12*,00*,00*");
const QString Sentence = QStringLiteral("0 天 1 小时 30 分钟 0 秒 之后");
const QString Valid = QStringLiteral("insert 2026-12-10 09:00:00 stored; load; CmdAdd; start 12,5,2026,7,5,0; "
                                     "length 0,1,30,0; ");
const QString App = QStringLiteral("QuillScheduler | ");
const QString NoTasks = App + QStringLiteral("目前没有计划任务, 请先添加! | Ok | None");
const QString LostEntry = QStringLiteral("User Guide | Record cannot be created/edited.Please load form again.Click OK "
                                         "to exit Task Editor. | Ok | None");
const QString Question = QStringLiteral("删除录音 | 删除本次录音吗? | YesNo | Question");
const QString Replace = QStringLiteral("Wavesmith | 文件已存在, 您希望替换它吗? | YesNo | Question");

} // namespace

// The task editor in process over a fresh store, with its main window. Most cases are the user's steps and
// the states they lead to, in the kit's step language.
class EditorTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;

    static void flow(const char *name, const QString &steps) { QTest::newRow(name) << steps; }

private slots:
    void init()
    {
        OutputFormatIndex = 2;
        m_kit = std::make_unique<EditorTestKit>();
    }
    void cleanup() { m_kit.reset(); }

    void flows_data()
    {
        QTest::addColumn<QString>("steps");
        // A new task starts from the clock, also after a cancel; on an empty table no row is current.
        const auto add = [](const char *clock, const char *start, const char *current) {
            const QString entry = QStringLiteral("CmdAdd; ?layout entry; ?mode adding; ?current %1; ?lists %2,0*,0*,0*,0*; "
                                                 "?boxes ||Quillsound|<dir>/quillDefault.mp3||").arg(current, start);
            return QStringLiteral("load; clock %1; ").arg(clock) + entry + "; CmdCancel; " + entry + "; ?messages ";
        };
        const QString a = QStringLiteral("insert 2026-12-01 09:00:00 a; ");
        flow("new task, end of 2010", a + add("2010-12-31T23:59:59", "12,31,2010,23,59,59", "0") + "; ?stored a; ?grid a");

        // The checks of a save, in their order; a refused save leaves the store and the entry to be corrected.
        const auto refused = [](const char *name, const QString &changes, const QString &box) {
            flow(name, Valid + changes + "; snapshot; CmdUpdate; ?messages " + box + " | Ok | None; ?kept yes; "
                       "?untouched yes; ?grid stored; ?window hidden; start 12,5,2026,7,5,0; length 0,1,30,0; "
                       "ProgramRec=Quillsound; FilenameRec=<dir>/quillDefault.mp3; CmdUpdate; ?stored Quillsound,stored; "
                       "?messages " + box + " | Ok | None");
        };
        const QString file = App + "Please enter data for program title and filename field";
        const QString title = App + "'Program Title:' Field cann't be blank!";
        const QString conversion = "Error in Update |  3421 Data type conversion error.";
        refused("no file name", "FilenameRec=", file);
        refused("no length", "ComboRechours=0; ComboRecmins=0", App + "您必须首先设置自动停止录音选项!");
        refused("no title", "ProgramRec=", title);
        refused("letter comes before the title", "ComboRecsecs=a; ProgramRec=", "Error in Update |  13 Type mismatch");
        refused("days beyond 32 bits", "ComboRecdays=24856", "Error in Update |  6 Overflow");
        refused("day 31 in April", "ComboMonth=4; ComboDay=31", conversion);
        refused("title comes before the time", "ComboSHour=24; ProgramRec=", title);
        // Saved, the list is read afresh in start order; the length lists keep what they showed for the next task.
        const auto saved = [](const char *name, const QString &changes, const QString &length, const QString &lists) {
            flow(name, Valid + changes + "; CmdUpdate; ?messages ; ?mode browsing; ?layout tasks; ?tasks 2026-12-05 "
                       "07:05:00 Quillsound,2026-12-10 09:00:00 stored; ?boxes 2026-12-05|07:05:00|Quillsound|"
                       "<dir>/quillDefault.mp3|" + length + "; CmdAdd; ?lists 12,24,2026*,5,59,59," + lists);
        };
        saved("saved", "", "5400|" + Sentence, "0*,1*,30*,0*");
        // A store whose rules refuse the length text as empty.
        flow("empty text refused", "sql DROP TABLE AddSchTab; sql CREATE TABLE AddSchTab (StartDate, StartTime, Program, "
                                   "Filename, Parameter, RecordLength CONSTRAINT RecordLengthNotEmpty CHECK (RecordLength "
                                   "NOT LIKE '0 天 1 小时 30%')); " + Valid.mid(Valid.indexOf("load"))
                                   + "CmdUpdate; ?messages " + file + " | Ok | None; ?stored ; ?mode adding");

        // The format buttons set the file name's extension and the type the dialog offers first; a cancelled
        // dialog changes nothing, and the chosen format outlives the editor.
        const QString chosen = "chooseFile; ?FilenameRec <dir>/quillDefault.%1; ?format %2; ";
        flow("format buttons", Valid + "?Option2 checked; " + chosen.arg("mp3", "2") + "Option3; " + chosen.arg("wma", "3")
                                   + "Option1; " + chosen.arg("wav", "1") + "Option2; " + chosen.arg("mp3", "2")
                                   + "?dialog 1,2,0,1; ?dialogtext 保存: WAV 文件 (*.wav), MP3 文件 (*.mp3), WMA 文件 "
                                     "(*.wma); ?stored stored; ?mode adding; ?messages ; Option1; unload; load; "
                                     "?Option2 checked; ?format 1; CmdAdd; chooseFile; ?dialog 1,2,0,1,0");
        flow("chosen file saved", Valid + "file <dir>/evening.mp3; chooseFile; Option3; ?stored stored; CmdUpdate; "
                                          "?messages ; ?files <dir>/evening.wma,/rec/stored.mp3");
        // An existing file is taken only once the user agrees; after a No the dialog comes again.
        const QString files = Valid + "touch <dir>/news.mp3; ";
        const QString asked = "; chooseFile; ?FilenameRec <dir>/%1; ?dialog %2; ?messages ";
        flow("not replaced, then a new name", files + "file <dir>/news.mp3; file <dir>/fresh.mp3; no"
                                                  + asked.arg("fresh.mp3", "1,1") + Replace);
        flow("replaced at the third asking", files + "file <dir>/news.mp3; file <dir>/news.mp3; file <dir>/news.mp3; no; "
                                                     "no; yes" + asked.arg("news.mp3", "1,1,1")
                                                     + QStringList(3, Replace).join('\n'));

        // A stored task's date, time and seconds in the lists of an edit, a value the lists cannot show leaving
        // them empty; saved as shown the task comes back as stored, else the save is refused until filled in.
        const auto edit = [](const char *name, const QString &stored, const QString &lists) {
            const bool unreadable = lists.split(u',').contains("*");
            const QStringList parts = QString(lists).remove(u'*').split(u',');
            const QString length = unreadable ? "as stored" : QStringLiteral("%1 天 %2 小时 %3 分钟 %4 秒 之后").arg(parts[6], parts[7], parts[8], parts[9]);
            flow(name, "task " + stored.section(u'|', 0, 1) + "|stored|/rec/stored.mp3|" + stored.section(u'|', 2) + '|' + length + "; load; snapshot; CmdEdit; ?layout "
                       "entry; ?mode editing; ?messages ; ?ProgramRec stored; ?FilenameRec /rec/stored.mp3; ?lists "
                       + lists + "; CmdUpdate; ?kept yes; "
                       + (unreadable ? "?mode editing; start 6,15,2010,7,30,0; length 0,1,30,0; CmdUpdate; "
                                       "?tasks 2010-06-15 07:30:00 stored; ?boxes 2010-06-15|07:30:00|stored|"
                                       "/rec/stored.mp3|5400|" + Sentence
                                     : "?messages ; ?mode browsing"));
        };
        edit("edit, 31 December 2011", "2011-12-31|23:59:59|60", "12,31,2011,23,59,59,0,0,1,0");
        edit("edit, midnight in 2003", "2003-07-04|00:00:00|90", "7,4,2003*,0,0,0,0,0,1,30");
        edit("edit, 32 days are typed", "2010-06-15|07:30:00|2764800", "6,15,2010,7,30,0,32*,0,0,0");
        edit("edit, letters for seconds", "2010-06-15|07:30:00|soon", "6,15,2010,7,30,0,*,*,*,*");
        edit("edit, time past the day", "2010-06-15|25:00:00|5400", "6,15,2010,*,*,*,0,1,30,0");
        edit("edit, no date", "|07:30:00|5400", "*,*,*,7,30,0,0,1,30,0");

        // Browsing, a row picked in the grid becomes current; while an entry is pending the pick is put back,
        // and the entry saves whole, an edit into the row it began on.
        const QString picks = "insert 2026-12-02 09:00:00 b; insert 2026-12-01 09:00:00 a; insert 2026-12-03 09:00:00 c; "
                              "load; ?selected 0; row 2; ?current 2; ?marked 2; ?selected 2; ?boxes 2026-12-03|09:00:00|c|"
                              "/rec/c.mp3|5400|" + Sentence + "; up; ?current 1; ?marked 1; ?ProgramRec b; escape; "
                              "?window shown; ";
        flow("grid pick while editing", picks + "CmdEdit; ComboSHour=21; ComboDay=4; ComboRecmins=45; Option1; row 0; "
                                                "?ProgramRec b; ?mode editing; ?marked 1; ?selected 1; CmdUpdate; "
                                                "?messages ; ?tasks 2026-12-01 09:00:00 a,2026-12-03 09:00:00 c,2026-12-04 "
                                                "21:00:00 b; row 2; ?boxes 2026-12-04|21:00:00|b|/rec/b.wav|6300|"
                                                "0 天 1 小时 45 分钟 0 秒 之后");

        // Reached with the buttons enabled, the empty table tells and disables them; the unload tells once that
        // nothing is due.
        flow("empty table", "load; ?boxes |||||; ?grid ; ?current -1; ?layout browsing; enable CmdEdit; enable CmdDelete; "
                            "CmdEdit; ?layout browsing; ?mode browsing; enable CmdDelete; CmdDelete; enable CmdCancel; "
                            "CmdCancel; ?layout browsing; ?boxes |||||; ?lists " + DesignStart + ",0*,0*,0*,0*; "
                            "?messages " + NoTasks + '\n' + NoTasks + "; unload; unload; ?window unloaded; ?messages "
                            + NoTasks + '\n' + NoTasks + '\n' + App + "   当前未录音! | Ok | None; ?LblDateRec ; "
                            "?LblProgramRec ; ?LblFilenameRec ");
        // Fired and removed through another connection after the editor read its list, the task is passed over:
        // a save then finds nothing pending and closes the editor; a cancel shows the task as listed.
        const QString removed = "insert 2026-12-25 20:00:00 fired; load; sql DELETE FROM AddSchTab; CmdEdit; ?messages ; "
                                "?mode browsing; ?layout entry; ?lists 12,25,2026*,20,0,0,0,1,30,0; ";
        flow("removed underneath, saved", removed + "CmdUpdate; ?messages " + LostEntry + "; ?window unloaded; ?stored ");

        // A cancel drops the entry and what it changed; the same task can then be edited and saved, and a move
        // and the close write nothing more.
        const QString two = "insert 2026-12-25 20:00:00 stored; insert 2026-12-26 20:00:00 other; load; snapshot; ";
        const QString cancel = "; start 1,2,2027,3,4,5; length 0,2,15,0; Option3; CmdCancel; ?mode browsing; ?messages ; "
                               "?kept yes; ?lists " + DesignStart + ',';
        const QString again = "; ?layout tasks; ?grid stored,other; ?boxes 2026-12-25|20:00:00|stored|/rec/stored.mp3|5400|"
                              + Sentence + "; CmdEdit; ?lists 12,25,2026*,20,0,0,0,1,30,0; ComboSMinute=45; CmdUpdate; "
                              "?messages ; ?boxes 2026-12-25|20:45:00|stored|/rec/stored.mp3|5400|" + Sentence
                              + "; row 1; ?ProgramRec other; snapshot; CmdExit; ?window unloaded; ?kept yes; "
                                "?LblProgramRec stored; ?files /rec/stored.mp3,/rec/other.mp3";
        flow("cancelled new task", two + "CmdAdd" + cancel + "0*,2*,15*,0*" + again);
        flow("cancelled edit", two + "CmdEdit" + cancel + "0,2*,15*,0" + again);

        // A deletion asks first and removes the picked task; the list is read afresh, its first task shown.
        const QString three = "insert 2026-12-03 09:00:00 last; insert 2026-12-01 09:00:00 first; insert 2026-12-02 "
                              "09:00:00 middle; load; snapshot; ";
        flow("deleted", three + "row 1; yes; CmdDelete; ?messages " + Question + "; ?tasks 2026-12-01 09:00:00 first,"
                                "2026-12-03 09:00:00 last; ?grid first,last; ?current 0; ?ProgramRec first; ?layout tasks");
        // Fired and removed elsewhere since the list was read, the picked task's deletion is passed over.
        flow("deleted after it fired", "insert 2026-12-25 20:00:00 sooner; insert 2026-12-26 20:00:00 later; load; sql DELETE "
                                       "FROM AddSchTab WHERE Program = 'sooner'; yes; CmdDelete; ?messages " + Question
                                       + "; ?grid sooner,later; ?layout tasks; ?stored later");
        flow("not deleted", three + "row 2; no; CmdDelete; ?messages " + Question + "; ?kept yes; ?grid first,middle,last; "
                                    "?current 2; ?ProgramRec last; ?layout tasks");
        flow("only task deleted", "insert 2026-12-25 09:00:00 only; load; yes; CmdDelete; ?messages " + Question + '\n'
                                      + App + "没有录音可供删除. | Ok | None; ?stored ; ?grid ; ?current -1; ?boxes |||||; "
                                              "?layout browsing");
        // The copy into the boxes stops at the missing date, silently.
        flow("deleted before an undated task", "insert - 07:00:00 undated; insert 2026-12-25 09:00:00 dated; load; row 1; "
                                               "yes; CmdDelete; ?messages " + Question + "; ?stored undated; ?current 0; "
                                               "?StartTimeRec 07:00:00; ?ProgramRec undated; ?layout tasks");

        // Closing reads the list again and shows its first task on the main window; a first task without a date
        // stops that copy silently, and the main window removes it.
        flow("closed", "insert 2026-12-26 20:00:00 later; load; insert 2026-12-25 20:00:00 added elsewhere; "
                       "?LblProgramRec ; ?grid later; row 0; CmdExit; ?window unloaded; ?messages ; "
                       "?LblProgramRec added elsewhere; "
                       "?LblDateRec 2026-12-25; ?LblStartTimeRec 20:00:00");
        flow("closed over an undated task", "insert - 07:00:00 undated; insert 2026-12-25 20:00:00 dated; load; unload; "
                                            "?messages ; ?stored dated");
    }

    void flows()
    {
        QFETCH(QString, steps);
        m_kit->act(steps);
    }

    // Unreadable, the store is reported with its number and path, no editor loads, and none is made.
    void storeThatCannotBeReadIsReported_data()
    {
        QTest::addColumn<TestAppDir::Damage>("damage");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("number");
        QTest::newRow("missing") << TestAppDir::Damage::Missing << "" << int(StoreError::FileNotFound);
        QTest::newRow("empty file") << TestAppDir::Damage::Empty << "" << int(StoreError::TableNotFound);
        QTest::newRow("fields missing") << TestAppDir::Damage::NoTable << "CREATE TABLE AddSchTab (StartDate TEXT)"
                                        << int(StoreError::FieldNotFound);
        QTest::newRow("random bytes") << TestAppDir::Damage::RandomBytes << "" << int(StoreError::NotADatabase);
    }

    void storeThatCannotBeReadIsReported()
    {
        QFETCH(TestAppDir::Damage, damage);
        QFETCH(QString, sql);
        QFETCH(int, number);
        QVERIFY(m_kit->dir.damageStore(damage));
        if (!sql.isEmpty())
            m_kit->dir.exec(sql);
        QVERIFY(!m_kit->load() && !m_kit->scheduler->findChild<AddSchedule *>());
        const QString shown = m_kit->state("messages");
        QVERIFY2(shown.startsWith(App + "计划数据库无法打开, 编辑计划窗口将关闭.\n\n错误 " + QString::number(number) + ": ")
                     && shown.contains(m_kit->dir.storePath()) && shown.endsWith(" | Ok | Critical"),
                 qPrintable(shown));
        QCOMPARE(QFile::exists(m_kit->dir.storePath()), damage != TestAppDir::Damage::Missing);
    }

    void markerFollowsTheCurrentRow()
    {
        m_kit->act("insert 2026-12-03 09:00:00 c; insert 2026-12-01 09:00:00 a; insert 2026-12-02 09:00:00 b; load");
        ResultSet &rows = m_kit->rows();
        QAbstractItemModelTester tester(m_kit->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy moved(m_kit->model(), &CursorTableModel::currentRowMoved);
        QSignalSpy repainted(m_kit->model(), &QAbstractItemModel::headerDataChanged);
        // The step's error and the marked row, then the moves told and the row selectors to repaint.
        const auto step = [&](StoreError error) {
            QStringList seen{QString::number(error.number), m_kit->state("marked")};
            for (const QList<QVariant> &arguments : std::as_const(moved))
                seen << "moved " + arguments.at(0).toString();
            for (const QList<QVariant> &arguments : std::as_const(repainted))
                seen << QStringLiteral("selector %1-%2").arg(arguments.at(1).toInt()).arg(arguments.at(2).toInt());
            moved.clear();
            repainted.clear();
            return seen.join(QStringLiteral(", "));
        };
        QCOMPARE(step({}), QStringLiteral("0, 0"));
        QCOMPARE(step(rows.moveNext()), QStringLiteral("0, 1, moved 1, selector 0-0, selector 1-1"));
        QCOMPARE(step(rows.moveTo(2)), QStringLiteral("0, 2, moved 2, selector 1-1, selector 2-2"));
        QCOMPARE(step(rows.moveTo(3)), QStringLiteral("3021, 2"));
        QCOMPARE(step(rows.moveNext()), QStringLiteral("0, none, moved -1, selector 2-2"));
        // A task stored elsewhere joins the grid at the next reading.
        m_kit->act("insert 2026-11-30 09:00:00 z; ?grid a,b,c");
        QCOMPARE(step(rows.requery()), QStringLiteral("0, 0, moved 0, selector 0-0"));
        m_kit->act("?grid z,a,b,c");
        QCOMPARE(step(rows.deleteRow()), QStringLiteral("0, none, moved -1, selector 0-0"));
    }

    // Tasks "time|seconds|title" on 24 December at 06:00; each row's mark and tooltip.
    void marksShowMissedAndClashingTasks_data()
    {
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<QStringList>("marks");
        const QString missed = QStringLiteral("missed 已错过: 录音时间已过");
        QTest::newRow("recording over") << QStringList{"05:00:00|60|early", "06:30:00|60|later"} << QStringList{missed, ""};
        QTest::newRow("late but still recording") << QStringList{"05:30:00|3600|running"} << QStringList{""};
        QTest::newRow("starts within the one before")
            << QStringList{"06:10:00|3600|long", "06:30:00|60|short", "08:00:00|60|apart"}
            << QStringList{"clash «short» 开始时, 本录音将于 12-24 06:30:00 被截断.",
                           "clash 开始时将截断 «long» 的录音 (12-24 06:30:00).", ""};
        QTest::newRow("starts as the one before ends") << QStringList{"06:10:00|60|first", "06:11:00|60|second"}
                                                       << QStringList{"", ""};
        QTest::newRow("a missed one cuts nothing off")
            << QStringList{"04:00:00|3600|gone", "04:30:00|60|gone too", "06:30:00|60|next"}
            << QStringList{missed, missed, ""};
    }

    void marksShowMissedAndClashingTasks()
    {
        QFETCH(QStringList, tasks);
        QFETCH(QStringList, marks);
        for (const QString &task : std::as_const(tasks)) {
            const QStringList fields = task.split(u'|');
            m_kit->act(QStringLiteral("task 2026-12-24|%1|%3|/rec/x.mp3|%2|-").arg(fields[0], fields[1], fields[2]));
        }
        m_kit->act("clock 2026-12-24T06:00:00; load");
        QStringList shown;
        for (int row = 0; row < m_kit->model()->rowCount(); ++row) {
            const QModelIndex cell = m_kit->model()->index(row, row * 2);
            const bool missed = cell.data(Qt::ForegroundRole).isValid();
            shown << (missed ? "missed " : cell.data(Qt::BackgroundRole).isValid() ? "clash " : "")
                         + cell.data(Qt::ToolTipRole).toString();
        }
        QCOMPARE(shown, marks);
        // The last task becomes missed while the list is open, as its recording ends.
        QSignalSpy changed(m_kit->model(), &QAbstractItemModel::dataChanged);
        const QStringList last = tasks.last().split(u'|');
        m_kit->services.clock.set(QDateTime(QDate(2026, 12, 24), QTime::fromString(last[0])).addSecs(last[1].toInt()));
        QVERIFY(changed.wait(3000));
        QVERIFY(m_kit->model()->index(tasks.size() - 1, 0).data(Qt::ForegroundRole).isValid());
        // The whole grid is told, so the view repaints every mark, the last cell too.
        const QModelIndex lastCell = m_kit->model()->index(tasks.size() - 1, ScheduleFields::Count - 1);
        QCOMPARE(changed.last().at(1).toModelIndex(), lastCell);
    }

    // Held by another program, the store refuses the save with its number; the entry stays for another try.
    void saveUnderALockKeepsTheEntry()
    {
        m_kit->act("load; CmdAdd; start 12,24,2026,6,0,0; length 0,1,30,0");
        StoreLocker locker(m_kit->dir.storePath());
        QVERIFY(locker.lock());
        m_kit->act("CmdUpdate; ?layout entry");
        QVERIFY2(m_kit->state("messages").startsWith("Error in Update |  3260 "), qPrintable(m_kit->state("messages")));
        QVERIFY(locker.release());
        m_kit->act("CmdUpdate; ?tasks 2026-12-24 06:00:00 Quillsound; ?mode browsing");
    }
};

QTEST_MAIN(EditorTest)
#include "tst_editor.moc"
