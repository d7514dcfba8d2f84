#include "EditorTestKit.h"
#include "OutputFormat.h"
#include "PrivateIcecast.h"
#include "ScheduleFields.h"
#include "StoreLocker.h"
#include "TaskSources.h"

#include <QComboBox>
#include <QtTest>

namespace {

const QStringList Start = QStringLiteral("12,5,2026,7,5,0").split(u',');
const QStringList Length = QStringLiteral("0,1,30,0").split(u',');
const QStringList DesignStart = QStringLiteral("01*,01*,01*,12*,00*,00*").split(u',');
const QString App = QStringLiteral("QuillScheduler | ");
const QString NoTasks = App + QStringLiteral("目前没有计划任务, 请先添加! | Ok | None");
const QString FileMissing = App + QStringLiteral("Please enter data for program title and filename field | Ok | None");
const QString Stream = QStringLiteral("http://127.0.0.1:9/news.mp3");
const QString Question = QStringLiteral("删除录音 | 删除本次录音吗? | YesNo | Question");

using Typing = QList<std::pair<QByteArray, QString>>;
// What is typed, whether another program holds the store, and the message told.
using Refusal = std::tuple<Typing, bool, QString>;
// The repeat's and its end's entries, what is typed and clicked, the store's versions ahead, and the plans then stored.
using Repeat = std::tuple<QList<int>, Typing, QStringList, int, QStringList>;
// The rule; the repeat shown, its tooltip, whether it can be skipped and the grid's tooltip; the repeat picked; the plans then.
using Edit = std::tuple<QString, QStringList, int, QStringList>;
// The rule, the buttons clicked, the answer, the messages, the date left (empty when gone) and the store's versions ahead.
using Skip = std::tuple<QString, QByteArrayList, bool, QStringList, QString, int>;
// SQL run on the store first, a series' rule (else a task is added), the source chosen, and the plan's source or the message.
using Source = std::tuple<QString, QString, QString, QString>;
const QString Newer = App + QStringLiteral("计划数据库来自较新版本的程序, 无法保存重复计划. | Ok | None");
const QString SeriesQuestion = Question + QStringLiteral(" | 这是重复计划: 将删除整个系列 (以后的各次录音).");
// The tasks, the one fired elsewhere, the row picked (-1 for none), the answer, and the titles then stored and listed.
using Deletion = std::tuple<QStringList, QString, int, bool, QStringList, QStringList>;

QStringList split(const QString &texts) { return texts.split(u','); }

} // namespace

// The task editor in process over a fresh store, with its main window: one test per flow of the user's.
class EditorTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<EditorTestKit> m_kit;

    // Loads the editor and enters a new task that would save.
    bool enterTask() const { return m_kit->load() && m_kit->click("CmdAdd") && m_kit->typeStart(Start) && m_kit->typeLength(Length); }
    QString inDir(const QString &name) const { return m_kit->dir.path() + '/' + name; }
    QList<int> offeredTypes() const
    {
        QList<int> types;
        for (const ScriptedFileDialog::Showing &shown : m_kit->services.fileDialog.showings())
            types << shown.selectedType;
        return types;
    }

private slots:
    void init()
    {
        OutputFormatIndex = 2;
        m_kit = std::make_unique<EditorTestKit>();
    }
    void cleanup() { m_kit.reset(); }

    // Refused, by its checks in their order or a store held elsewhere, an entry stays to be corrected; the length lists stay.
    void saveIsRefused_data()
    {
        QTest::addColumn<Refusal>("refusal"); // the message without the store's path
        const QString title = App + "'Program Title:' Field cann't be blank! | Ok | None";
        QTest::newRow("no file name") << Refusal{{{"FilenameRec", ""}}, false, FileMissing};
        QTest::newRow("no length") << Refusal{{{"ComboRechours", "0"}, {"ComboRecmins", "0"}}, false, App + "您必须首先设置自动停止录音选项! | Ok | None"};
        QTest::newRow("no title") << Refusal{{{"ProgramRec", ""}}, false, title};
        QTest::newRow("letter comes before the title")
            << Refusal{{{"ComboRecsecs", "a"}, {"ProgramRec", ""}}, false, "Error in Update |  13 Type mismatch | Ok | None"};
        QTest::newRow("day 31 in April") << Refusal{{{"ComboMonth", "4"}, {"ComboDay", "31"}}, false,
                                                    "Error in Update |  3421 Data type conversion error. | Ok | None"};
        QTest::newRow("title comes before the time") << Refusal{{{"ComboSHour", "24"}, {"ProgramRec", ""}}, false, title};
        QTest::newRow("store held")
            << Refusal{{}, true, "Error in Update |  3260 The store '' is locked by another program; try again later. | Ok | None"};
    }
    void saveIsRefused()
    {
        QFETCH(Refusal, refusal);
        const auto &[typed, held, message] = refusal;
        m_kit->dir.insertTasks({"2026-12-10 09:00:00 stored"});
        QVERIFY(enterTask());
        for (const auto &[name, text] : typed)
            QVERIFY(m_kit->type(name, text));
        const QList<QStringList> store = m_kit->dir.rows();
        const QStringList entry = m_kit->lists() + m_kit->boxes() << m_kit->layout();
        StoreLocker locker(m_kit->dir.storePath());
        QVERIFY((!held || locker.lock()) && m_kit->click("CmdUpdate") && (!held || locker.release()));
        QCOMPARE(m_kit->dir.rows(), store);
        QCOMPARE(m_kit->lists() + m_kit->boxes() << m_kit->layout(), entry);
        const QStringList told = m_kit->messages();
        QCOMPARE(QStringList(told).replaceInStrings(m_kit->dir.storePath(), QString()) + m_kit->grid() << m_kit->window(),
                 QStringList({message, "stored", "hidden"}));
        QVERIFY(m_kit->typeStart(Start) && m_kit->typeLength(Length) && m_kit->type("ProgramRec", "Quillsound")
                && m_kit->type("FilenameRec", inDir("quillDefault.mp3")) && m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->messages() + m_kit->stored() << m_kit->layout(),
                 told + QStringList({"2026-12-05 07:05:00 Quillsound", "2026-12-10 09:00:00 stored", "tasks browsing"}));
        QVERIFY(m_kit->click("CmdAdd"));
        QCOMPARE(m_kit->lists(), split("12,24,2026*,5,59,59,0*,1*,30*,0*"));
    }

    // A store whose rules refuse the length text is told as an empty field.
    void storeRulesRefuseTheText()
    {
        m_kit->dir.exec("DROP TABLE AddSchTab");
        m_kit->dir.exec("CREATE TABLE AddSchTab (StartDate, StartTime, Program, Filename, Parameter, RecordLength CONSTRAINT "
                        "RecordLengthNotEmpty CHECK (RecordLength NOT LIKE '0 天 1 小时 30%'))");
        QVERIFY(enterTask() && m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->messages() << m_kit->layout() << QString::number(m_kit->dir.rowCount()), QStringList({FileMissing, "entry adding", "0"}));
    }

    // A new task starts from the clock; the format buttons set the extension and the dialog's first type; a cancel keeps
    // all; the format outlives the editor.
    void newTaskAndItsFileType()
    {
        m_kit->services.clock.set(QDateTime(QDate(2010, 12, 31), QTime(23, 59, 59)));
        QVERIFY(m_kit->load() && m_kit->click("CmdAdd"));
        QCOMPARE(m_kit->lists() + m_kit->boxes() << m_kit->layout() << m_kit->text("Option2"),
                 split("12,31,2010,23,59,59,0*,0*,0*,0*,,,Quillsound") << inDir("quillDefault.mp3") << "" << "" << "entry adding" << "checked");
        for (const auto &[option, extension, format] : {std::tuple("", "mp3", 2), std::tuple("Option3", "wma", 3),
                                                        std::tuple("Option1", "wav", 1), std::tuple("Option2", "mp3", 2)}) {
            QVERIFY((!*option || m_kit->click(option)) && m_kit->click("chooseFile"));
            QCOMPARE(m_kit->text("FilenameRec"), inDir("quillDefault.") + extension);
            QCOMPARE(OutputFormatIndex, format);
        }
        QCOMPARE(offeredTypes(), QList<int>({1, 2, 0, 1}));
        const ScriptedFileDialog::Showing shown = m_kit->services.fileDialog.showings().last();
        QCOMPARE(shown.title + ": " + shown.fileTypes.join(", "), "保存: WAV 文件 (*.wav), MP3 文件 (*.mp3), WMA 文件 (*.wma)");
        QVERIFY(m_kit->click("Option1"));
        m_kit->editor()->unload();
        QVERIFY(m_kit->load());
        QCOMPARE(m_kit->text("Option2"), "checked");
        QCOMPARE(OutputFormatIndex, 1);
        QVERIFY(m_kit->click("CmdAdd") && m_kit->click("chooseFile"));
        QCOMPARE(offeredTypes().last(), 0);
    }

    // An existing file is taken once the user agrees, else the dialog comes again; saved in the format chosen last, and a
    // folder that cannot take the recording is told.
    void chosenFileIsSaved_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QList<bool>>("agreed");
        QTest::newRow("new file") << QStringList{"evening.mp3"} << QList<bool>();
        QTest::newRow("not replaced, then a new name") << QStringList{"news.mp3", "fresh.mp3"} << QList<bool>{false};
        QTest::newRow("replaced at the third asking") << QStringList(3, "news.mp3") << QList<bool>{false, false, true};
        // Saved all the same: the folder may be mended before the start.
        QTest::newRow("a folder that is gone") << QStringList{"gone/news.mp3"} << QList<bool>();
    }
    void chosenFileIsSaved()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QList<bool>, agreed);
        QFile existing(inDir("news.mp3"));
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("x") == 1);
        for (const QString &name : std::as_const(chosen))
            m_kit->services.fileDialog.queueAnswer(inDir(name));
        for (const bool yes : std::as_const(agreed))
            m_kit->services.boxes.queueAnswer(yes ? MessageAnswer::Yes : MessageAnswer::No);
        QVERIFY(enterTask() && m_kit->click("chooseFile"));
        QCOMPARE(m_kit->text("FilenameRec"), inDir(chosen.last()));
        QCOMPARE(offeredTypes(), QList<int>(chosen.size(), 1));
        QCOMPARE(m_kit->messages(), QStringList(agreed.size(), "Wavesmith | 文件已存在, 您希望替换它吗? | YesNo | Question"));
        QVERIFY(m_kit->click("Option3") && m_kit->dir.rowCount() == 0 && m_kit->click("CmdUpdate"));
        const QString folder = QFileInfo(inDir(chosen.last())).path();
        const QStringList warned{App + "文件夹 " + folder + " 不存在, 请创建它或改选文件夹. | Ok | Warning"};
        QCOMPARE(m_kit->messages().mid(agreed.size()) + m_kit->stored(3, 1),
                 QStringList(QFileInfo::exists(folder) ? QStringList() : warned) << inDir(chosen.last()).replace(".mp3", ".wma"));
    }

    // An edit shows a stored task, empty where the lists cannot; saved so, it stays as stored, or is refused until filled.
    void editShowsTheStoredTask_data()
    {
        QTest::addColumn<QStringList>("task"); // date, time and seconds
        QTest::addColumn<QString>("lists");
        QTest::newRow("31 December 2011") << split("2011-12-31,23:59:59,60") << "12,31,2011,23,59,59,0,0,1,0";
        QTest::newRow("midnight in 2003") << split("2003-07-04,00:00:00,90") << "7,4,2003*,0,0,0,0,0,1,30";
        QTest::newRow("32 days are typed") << split("2010-06-15,07:30:00,2764800") << "6,15,2010,7,30,0,32*,0,0,0";
        QTest::newRow("letters for seconds") << split("2010-06-15,07:30:00,soon") << "6,15,2010,7,30,0,*,*,*,*";
        QTest::newRow("time past the day") << split("2010-06-15,25:00:00,5400") << "6,15,2010,*,*,*,0,1,30,0";
        QTest::newRow("no date") << QStringList{QString(), "07:30:00", "5400"} << "*,*,*,7,30,0,0,1,30,0";
    }
    void editShowsTheStoredTask()
    {
        QFETCH(QStringList, task);
        QFETCH(QString, lists);
        const QStringList shown = split(QString(lists).remove(u'*'));
        const bool unreadable = shown.contains("");
        const QString length = unreadable ? "as stored" : QStringLiteral("%1 天 %2 小时 %3 分钟 %4 秒 之后").arg(shown[6], shown[7], shown[8], shown[9]);
        m_kit->dir.insert({task[0], task[1], "stored", "/tmp/stored.mp3", task[2], length});
        const QList<QStringList> store = m_kit->dir.rows();
        QVERIFY(m_kit->load() && m_kit->click("CmdEdit"));
        QCOMPARE((m_kit->messages() << m_kit->layout() << m_kit->text("ProgramRec") << m_kit->text("FilenameRec")) + m_kit->lists(),
                 split("entry editing,stored,/tmp/stored.mp3," + lists));
        QVERIFY(m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->dir.rows(), store);
        QCOMPARE(m_kit->layout(), unreadable ? "entry editing" : "tasks browsing");
        QVERIFY(unreadable || m_kit->messages().isEmpty());
        if (!unreadable)
            return;
        QVERIFY(m_kit->typeStart(split("6,15,2010,7,30,0")) && m_kit->typeLength(Length) && m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->dir.rows(), QList<QStringList>{TestAppDir::taskFields("2010-06-15 07:30:00 stored")});
    }

    // A row picked becomes current; while an entry is pending the pick is put back and the edit saves into its own row.
    void gridPickWhileEditing()
    {
        m_kit->dir.insertTasks({"2026-12-02 09:00:00 b", "2026-12-01 09:00:00 a", "2026-12-03 09:00:00 c"});
        QVERIFY(m_kit->load());
        QCOMPARE(m_kit->marked(true), QList<int>{0});
        QVERIFY(m_kit->clickRow(2));
        QCOMPARE(m_kit->marked() + m_kit->marked(true) << m_kit->current(), QList<int>({2, 2, 2}));
        QCOMPARE(m_kit->boxes(), TestAppDir::taskFields("2026-12-03 09:00:00 c"));
        QTest::keyClick(m_kit->find<QWidget>("DBGrid1"), Qt::Key_Up);
        QCOMPARE(m_kit->marked() << m_kit->current(), QList<int>({1, 1}));
        QCOMPARE(m_kit->text("ProgramRec"), "b");
        QTest::keyClick(m_kit->editor(), Qt::Key_Escape);
        QCOMPARE(m_kit->window(), "shown");
        QVERIFY(m_kit->click("CmdEdit") && m_kit->type("ComboSHour", "21") && m_kit->type("ComboDay", "4")
                && m_kit->type("ComboRecmins", "45") && m_kit->click("Option1") && m_kit->clickRow(0));
        QCOMPARE(m_kit->text("ProgramRec") + ' ' + m_kit->layout(), "b entry editing");
        QTRY_COMPARE(m_kit->marked() + m_kit->marked(true), QList<int>({1, 1}));
        QVERIFY(m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->messages() + m_kit->stored(),
                 QStringList({"2026-12-01 09:00:00 a", "2026-12-03 09:00:00 c", "2026-12-04 21:00:00 b"}));
        QVERIFY(m_kit->clickRow(2));
        QCOMPARE(m_kit->boxes(), split("2026-12-04,21:00:00,b,/tmp/b.wav,6300,0 天 1 小时 45 分钟 0 秒 之后"));
    }

    // Reached with the buttons enabled, the empty table tells and disables them; the unload tells once that none is due.
    void emptyTable()
    {
        QVERIFY(m_kit->load());
        QCOMPARE(m_kit->boxes() + m_kit->grid() << m_kit->layout() << QString::number(m_kit->current()),
                 QStringList(6, QString()) << "browsing browsing" << "-1");
        for (const auto &[enabled, clicked] : {std::pair("CmdEdit CmdDelete", "CmdEdit"), std::pair("CmdDelete", "CmdDelete"),
                                                std::pair("CmdCancel", "CmdCancel")}) {
            for (const QString &name : QString(enabled).split(u' ')) {
                QVERIFY(m_kit->find<QWidget>(qPrintable(name)));
                m_kit->find<QWidget>(qPrintable(name))->setEnabled(true);
            }
            QVERIFY(m_kit->click(clicked) && (m_kit->layout() == "browsing browsing" || !strcmp(clicked, "CmdDelete")));
        }
        QCOMPARE(m_kit->messages() + m_kit->lists() + m_kit->boxes(), QStringList({NoTasks, NoTasks}) + DesignStart + split("0*,0*,0*,0*,,,,,,"));
        m_kit->editor()->unload();
        m_kit->editor()->unload();
        QCOMPARE(m_kit->window(), "unloaded");
        QCOMPARE(m_kit->messages(), QStringList({NoTasks, NoTasks, App + "   当前未录音! | Ok | None"}));
    }

    // Fired and removed elsewhere after the list was read, the task is passed over; a save closes the editor.
    void taskRemovedUnderneathAnEdit()
    {
        m_kit->dir.insertTasks({"2026-12-25 20:00:00 fired"});
        QVERIFY(m_kit->load());
        m_kit->dir.exec("DELETE FROM AddSchTab");
        QVERIFY(m_kit->click("CmdEdit"));
        QCOMPARE((m_kit->messages() << m_kit->layout()) + m_kit->lists(), split("entry browsing,12,25,2026*,20,0,0,0,1,30,0"));
        QVERIFY(m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->messages() << m_kit->window(), QStringList({"User Guide | Record cannot be created/edited.Please load "
                                                                    "form again.Click OK to exit Task Editor. | Ok | None", "unloaded"}));
        QCOMPARE(m_kit->dir.rowCount(), 0);
    }

    // A cancel drops the entry and its changes; a move and the close write nothing; the main window then shows the first task stored.
    void cancelDropsTheEntry_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("lengthLists");
        QTest::newRow("new task") << QByteArray("CmdAdd") << "0*,2*,15*,0*";
        QTest::newRow("edit") << QByteArray("CmdEdit") << "0,2*,15*,0";
    }
    void cancelDropsTheEntry()
    {
        QFETCH(QByteArray, button);
        QFETCH(QString, lengthLists);
        m_kit->dir.insertTasks({"2026-12-25 20:00:00 stored", "2026-12-26 20:00:00 other"});
        QVERIFY(m_kit->load());
        const QList<QStringList> store = m_kit->dir.rows();
        QVERIFY(m_kit->click(button) && m_kit->typeStart(split("1,2,2027,3,4,5")) && m_kit->typeLength(split("0,2,15,0"))
                && m_kit->click("Option3") && m_kit->click("CmdCancel"));
        QCOMPARE(m_kit->dir.rows(), store);
        QCOMPARE(m_kit->messages() + m_kit->lists(), DesignStart + split(lengthLists));
        QCOMPARE((m_kit->grid() << m_kit->layout()) + m_kit->boxes(),
                 split("stored,other,tasks browsing") + TestAppDir::taskFields("2026-12-25 20:00:00 stored"));
        QVERIFY(m_kit->clickRow(1) && m_kit->text("ProgramRec") == "other");
        m_kit->dir.insertTasks({"2026-12-24 20:00:00 added elsewhere"});
        QVERIFY(m_kit->text("LblProgramRec").isEmpty() && m_kit->click("CmdExit"));
        QCOMPARE(m_kit->dir.rows(), QList<QStringList>{TestAppDir::taskFields("2026-12-24 20:00:00 added elsewhere")} + store);
        QCOMPARE(QStringList({m_kit->window(), m_kit->text("LblDateRec"), m_kit->text("LblStartTimeRec"), m_kit->text("LblProgramRec")}),
                 split("unloaded,2026-12-24,20:00:00,added elsewhere"));
        // An undated first task stops that copy, silently, and the main window's reading removes it.
        m_kit->dir.insertTasks({"- 07:00:00 undated"});
        QVERIFY(m_kit->load());
        m_kit->editor()->unload();
        QCOMPARE(m_kit->messages() + m_kit->stored(2, 1), split("added elsewhere,stored,other"));
    }

    // A deletion asks first and removes the picked task; the list is read afresh, its first task shown.
    void deletion_data()
    {
        QTest::addColumn<Deletion>("deletion");
        const QStringList three{"2026-12-03 09:00:00 last", "2026-12-01 09:00:00 first", "2026-12-02 09:00:00 middle"};
        QTest::newRow("deleted") << Deletion{three, "", 1, true, split("first,last"), split("first,last")};
        QTest::newRow("not deleted") << Deletion{three, "", 2, false, split("first,middle,last"), split("first,middle,last")};
        // Fired and removed elsewhere since the list was read, the picked task's deletion is passed over.
        QTest::newRow("deleted after it fired") << Deletion{{"2026-12-25 20:00:00 sooner", "2026-12-26 20:00:00 later"}, "sooner", -1,
                                                            true, split("later"), split("sooner,later")};
        QTest::newRow("only task") << Deletion{{"2026-12-25 09:00:00 only"}, "", -1, true, {}, {}};
        // The copy into the boxes stops at the missing date, silently.
        QTest::newRow("before an undated task")
            << Deletion{{"- 07:00:00 undated", "2026-12-25 09:00:00 dated"}, "", 1, true, split("undated"), split("undated")};
    }
    void deletion()
    {
        QFETCH(Deletion, deletion);
        const auto &[tasks, firedElsewhere, picked, agreed, stored, grid] = deletion;
        m_kit->dir.insertTasks(tasks);
        QVERIFY(m_kit->load());
        m_kit->dir.exec(QStringLiteral("DELETE FROM AddSchTab WHERE Program = '%1'").arg(firedElsewhere));
        QVERIFY(picked < 0 || m_kit->clickRow(picked));
        m_kit->services.boxes.queueAnswer(agreed ? MessageAnswer::Yes : MessageAnswer::No);
        QVERIFY(m_kit->click("CmdDelete"));
        // Read afresh, the list shows its first task; else the picked one stays.
        const QString shown = grid.value(agreed ? 0 : picked);
        QCOMPARE(m_kit->messages(), grid.isEmpty() ? QStringList({Question, App + "没有录音可供删除. | Ok | None"}) : QStringList{Question});
        QCOMPARE(m_kit->stored(2, 1), stored);
        QCOMPARE(m_kit->grid() << m_kit->layout() << QString::number(m_kit->current()),
                 grid + QStringList({grid.isEmpty() ? "browsing browsing" : "tasks browsing", QString::number(grid.indexOf(shown))}));
        QCOMPARE(m_kit->boxes().mid(2, 1), QStringList{shown});
        QVERIFY(!grid.isEmpty() || m_kit->boxes() == QStringList(6, QString()));
    }

    // Unreadable, the store is reported with its number and path, and no editor loads.
    void storeThatCannotBeReadIsReported_data()
    {
        QTest::addColumn<QString>("sql"); // run once the table is dropped
        QTest::addColumn<int>("number");
        QTest::newRow("no table") << "" << int(StoreError::TableNotFound);
        QTest::newRow("fields missing") << "CREATE TABLE AddSchTab (StartDate TEXT)" << int(StoreError::FieldNotFound);
    }
    void storeThatCannotBeReadIsReported()
    {
        QFETCH(QString, sql);
        QFETCH(int, number);
        m_kit->dir.exec("DROP TABLE AddSchTab");
        if (!sql.isEmpty())
            m_kit->dir.exec(sql);
        QVERIFY(!m_kit->load() && !m_kit->scheduler->findChild<AddSchedule *>());
        const QString shown = m_kit->messages().join(u'\n');
        QVERIFY2(shown.startsWith(App + "计划数据库无法打开, 编辑计划窗口将关闭.\n\n错误 " + QString::number(number) + ": ")
                     && shown.contains(m_kit->dir.storePath()) && shown.endsWith(" | Ok | Critical"), qPrintable(shown));
    }

    void markerFollowsTheCurrentRow()
    {
        m_kit->dir.insertTasks({"2026-12-03 09:00:00 c", "2026-12-01 09:00:00 a", "2026-12-02 09:00:00 b"});
        QVERIFY(m_kit->load() && m_kit->model() && m_kit->rows());
        ResultSet &rows = *m_kit->rows();
        QAbstractItemModelTester tester(m_kit->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy repainted(m_kit->model(), &QAbstractItemModel::headerDataChanged);
        // The step's error, the marked and the selected rows, then the row selectors to repaint.
        const auto step = [&](StoreError error) {
            QStringList seen{QString::number(error.number)};
            for (const int row : m_kit->marked() + m_kit->marked(true))
                seen << QString::number(row);
            for (const QList<QVariant> &arguments : std::as_const(repainted))
                seen << QStringLiteral("selector %1-%2").arg(arguments.at(1).toInt()).arg(arguments.at(2).toInt());
            repainted.clear();
            return seen.join(QStringLiteral(", "));
        };
        QCOMPARE(step({}), QStringLiteral("0, 0, 0"));
        QCOMPARE(step(rows.moveNext()), QStringLiteral("0, 1, 1, selector 0-0, selector 1-1"));
        QCOMPARE(step(rows.moveTo(2)), QStringLiteral("0, 2, 2, selector 1-1, selector 2-2"));
        QCOMPARE(step(rows.moveTo(3)), QStringLiteral("3021, 2, 2"));
        QCOMPARE(step(rows.moveNext()), QStringLiteral("0, selector 2-2"));
        // A task stored elsewhere joins the grid at the next reading.
        m_kit->dir.insertTasks({"2026-11-30 09:00:00 z"});
        QCOMPARE(step(rows.requery()), QStringLiteral("0, 0, 0, selector 0-0"));
        QCOMPARE(m_kit->grid(), split("z,a,b,c"));
        QCOMPARE(step(rows.deleteRow()), QStringLiteral("0, selector 0-0"));
    }

    // Tasks "time|seconds|title" on 24 December at 06:00; each row's mark and tooltip.
    void marksShowMissedAndClashingTasks_data()
    {
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<QStringList>("marks");
        const QString missed = QStringLiteral("missed 已错过: 录音时间已过");
        QTest::newRow("recording over") << QStringList{"05:00:00|60|early", "06:30:00|60|later"} << QStringList{missed, ""};
        QTest::newRow("late but still recording") << QStringList{"05:30:00|3600|running"} << QStringList{""};
        QTest::newRow("starts within the one before") << QStringList{"06:10:00|3600|long", "06:30:00|60|short", "08:00:00|60|apart"}
            << QStringList{"clash «short» 开始时, 本录音将于 12-24 06:30:00 被截断.", "clash 开始时将截断 «long» 的录音 (12-24 06:30:00).", ""};
        QTest::newRow("starts as the one before ends") << QStringList{"06:10:00|60|first", "06:11:00|60|second"} << QStringList{"", ""};
        QTest::newRow("a missed one cuts nothing off") << QStringList{"04:00:00|3600|gone", "04:30:00|60|gone too", "06:30:00|60|next"}
            << QStringList{missed, missed, ""};
    }
    void marksShowMissedAndClashingTasks()
    {
        QFETCH(QStringList, tasks);
        QFETCH(QStringList, marks);
        for (const QString &task : std::as_const(tasks)) {
            const QStringList fields = task.split(u'|');
            m_kit->dir.insert({"2026-12-24", fields[0], fields[2], "/tmp/x.mp3", fields[1], "-"});
        }
        m_kit->services.clock.set(QDateTime(QDate(2026, 12, 24), QTime(6, 0)));
        QVERIFY(m_kit->load() && m_kit->model());
        QStringList shown;
        for (int row = 0; row < m_kit->model()->rowCount(); ++row) {
            const QModelIndex cell = m_kit->model()->index(row, row * 2);
            const bool missed = cell.data(Qt::ForegroundRole).isValid();
            shown << (missed ? "missed " : cell.data(Qt::BackgroundRole).isValid() ? "clash " : "") + cell.data(Qt::ToolTipRole).toString();
        }
        QCOMPARE(shown, marks);
        // The last task becomes missed while the list is open, as its recording ends.
        QSignalSpy changed(m_kit->model(), &QAbstractItemModel::dataChanged);
        const QStringList last = tasks.last().split(u'|');
        m_kit->services.clock.set(QDateTime(QDate(2026, 12, 24), QTime::fromString(last[0])).addSecs(last[1].toInt()));
        QVERIFY(changed.wait(3000));
        QVERIFY(m_kit->model()->index(tasks.size() - 1, 0).data(Qt::ForegroundRole).isValid());
        // The whole grid is told, so the view repaints every mark, the last cell too.
        QCOMPARE(changed.last().at(1).toModelIndex(), m_kit->model()->index(tasks.size() - 1, ScheduleFields::Count - 1));
    }

    // A repeat chosen for a new task is stored with it and shown again; a newer store refuses it and stores nothing.
    void seriesIsSaved_data()
    {
        QTest::addColumn<Repeat>("repeat");
        // Entered on a Saturday: a series that passes over Saturdays starts on the Monday after.
        const QString start = QStringLiteral("2026-12-05 07:05:00 ");
        const QString monday = QStringLiteral("2026-12-07 07:05:00 ");
        QTest::newRow("weekdays, ten times")
            << Repeat{{2, 2}, {{"TxtRepeatCount", "10"}}, {}, 0, {monday + "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;COUNT=10"}};
        QTest::newRow("chosen days until") << Repeat{{4, 1}, {{"DtpRepeatUntil", "2026-12-31"}}, {"ChkRepeatDay1", "ChkRepeatDay3"}, 0,
                                                     {monday + "FREQ=WEEKLY;BYDAY=MO,WE;UNTIL=20261231T235959"}};
        QTest::newRow("every other week") << Repeat{{3, 0}, {{"TxtRepeatInterval", "2"}}, {}, 0, {start + "FREQ=WEEKLY;INTERVAL=2;BYDAY=SA"}};
        QTest::newRow("no repeat") << Repeat{{0, 0}, {}, {}, 0, {}};
        QTest::newRow("no repeat, newer store") << Repeat{{0, 0}, {}, {}, 1, {}};
        QTest::newRow("newer store") << Repeat{{1, 0}, {}, {}, 1, {}};
    }
    void seriesIsSaved()
    {
        QFETCH(Repeat, repeat);
        const auto &[picks, typed, clicked, versionsAhead, plans] = repeat;
        m_kit->dir.exec(QStringLiteral("PRAGMA user_version = %1").arg(SeriesPlans::StoreVersion + versionsAhead));
        QVERIFY(enterTask() && m_kit->pick("CboRepeat", picks[0]) && m_kit->pick("CboRepeatEnd", picks[1]));
        for (const auto &[name, text] : typed)
            QVERIFY(m_kit->type(name, text));
        for (const QString &name : clicked)
            QVERIFY(m_kit->click(qPrintable(name)));
        const QString chosen = m_kit->text("CboRepeat");
        QVERIFY(m_kit->click("CmdUpdate"));
        const bool refused = versionsAhead > 0 && picks[0] > 0;
        QCOMPARE(m_kit->messages(), refused ? QStringList{Newer} : QStringList());
        QCOMPARE(m_kit->dir.plans() << m_kit->layout() << m_kit->text("CboRepeat") << QString::number(m_kit->dir.rowCount()),
                 QStringList(plans) << (refused ? "entry adding" : "tasks browsing") << chosen << (refused ? "0" : "1"));
    }

    // A series' row shows its repeat; its edit is the series' (an unreadable rule is kept unless another is picked).
    void seriesIsEditedWhole_data()
    {
        QTest::addColumn<Edit>("edit");
        const QString monthly = QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=24");
        const QStringList monthlyShown{"其他规则", monthly, "skips", monthly + "\n2026-12-24 06:00:00\n2027-01-24 06:00:00\n2027-02-24 06:00:00"};
        QTest::newRow("made one-shot")
            << Edit{"FREQ=DAILY", {"每天", "每天", "skips", "每天\n2026-12-24 06:00:00\n2026-12-25 06:00:00\n2026-12-26 06:00:00"}, 0, {}};
        QTest::newRow("other rule kept") << Edit{monthly, monthlyShown, -1, {"2026-12-24 07:00:00 " + monthly}};
        QTest::newRow("other rule replaced") << Edit{monthly, monthlyShown, 3, {"2026-12-24 07:00:00 FREQ=WEEKLY;BYDAY=TH"}};
        QTest::newRow("unreadable kept") << Edit{"FREQ=SECONDLY", {"其他规则", "FREQ=SECONDLY", "stays", "重复规则无法读取, 本任务按单次任务录音: FREQ=SECONDLY"},
                                                 -1, {"2026-12-24 07:00:00 FREQ=SECONDLY"}};
    }
    void seriesIsEditedWhole()
    {
        QFETCH(Edit, edit);
        const auto &[rule, shown, picked, plans] = edit;
        m_kit->dir.insertSeries(TestAppDir::taskFields("2026-12-24 06:00:00 news"), rule);
        QVERIFY(m_kit->load() && m_kit->find<QWidget>("CmdSkip") && m_kit->find<QWidget>("CboRepeat"));
        QCOMPARE(QStringList({m_kit->text("CboRepeat"), m_kit->find<QWidget>("CboRepeat")->toolTip(),
                              m_kit->find<QWidget>("CmdSkip")->isEnabled() ? "skips" : "stays",
                              m_kit->model()->index(0, 2).data(Qt::ToolTipRole).toString()}), shown);
        QVERIFY(m_kit->click("CmdEdit") && m_kit->type("ComboSHour", "7") && (picked < 0 || m_kit->pick("CboRepeat", picked)));
        QVERIFY(m_kit->click("CmdUpdate"));
        const QString title = plans.isEmpty() ? "news" : "↻ news";
        QCOMPARE(m_kit->messages() + m_kit->dir.plans() + m_kit->stored() + m_kit->grid(),
                 QStringList(plans) << "2026-12-24 07:00:00 news" << title);
    }

    // Skipping moves a series' row to its next occurrence; one without a next, and a deleted series, go; a newer store's stay.
    void seriesIsSkippedOrDeleted_data()
    {
        QTest::addColumn<Skip>("skip");
        const QString last = QStringLiteral("删除录音 | 这个重复计划没有以后的录音了, 删除它吗? | YesNo | Question");
        const QByteArrayList skip{"CmdSkip"}, deletion{"CmdDelete"};
        QTest::newRow("next day") << Skip{"FREQ=DAILY", skip, false, {}, "2026-12-25", 0};
        QTest::newRow("Thursday to Monday") << Skip{"FREQ=WEEKLY;BYDAY=MO,TH;COUNT=3", skip, false, {}, "2026-12-28", 0};
        QTest::newRow("last one kept") << Skip{"FREQ=DAILY;COUNT=1", skip, false, {last}, "2026-12-24", 0};
        QTest::newRow("last one deleted") << Skip{"FREQ=DAILY;COUNT=1", skip, true, {last}, "", 0};
        QTest::newRow("series deleted") << Skip{"FREQ=DAILY", deletion, true, {SeriesQuestion}, "", 0};
        // The second skip counts from the series' first date, not from the skipped one.
        QTest::newRow("count kept") << Skip{"FREQ=DAILY;COUNT=2", skip + skip, false, {last}, "2026-12-25", 0};
        QTest::newRow("skip, newer store") << Skip{"FREQ=DAILY", skip, false, {Newer}, "2026-12-24", 1};
        QTest::newRow("deletion, newer store") << Skip{"FREQ=DAILY", deletion, true, {Newer}, "2026-12-24", 1};
    }
    void seriesIsSkippedOrDeleted()
    {
        QFETCH(Skip, skip);
        const auto &[rule, clicked, agreed, told, left, versionsAhead] = skip;
        m_kit->dir.insertSeries(TestAppDir::taskFields("2026-12-24 06:00:00 news"), rule);
        m_kit->dir.insertTasks({"2026-12-31 09:00:00 later"});
        m_kit->dir.exec(QStringLiteral("PRAGMA user_version = %1").arg(SeriesPlans::StoreVersion + versionsAhead));
        QVERIFY(m_kit->load());
        m_kit->services.boxes.queueAnswer(agreed ? MessageAnswer::Yes : MessageAnswer::No);
        for (const QByteArray &button : clicked)
            QVERIFY(m_kit->click(button.constData()));
        QCOMPARE(m_kit->messages(), told);
        const QStringList row = left.isEmpty() ? QStringList() : QStringList{left + " 06:00:00 news"};
        const QStringList title = left.isEmpty() ? QStringList() : QStringList{"↻ news"};
        QCOMPARE(m_kit->stored() + m_kit->grid() + m_kit->dir.plans(),
                 row + QStringList{"2026-12-31 09:00:00 later"} + title + QStringList{"later"}
                     + (left.isEmpty() ? QStringList() : QStringList{left + " 06:00:00 " + rule}));
        QCOMPARE(m_kit->text("DateRec") + ' ' + m_kit->layout(), (left.isEmpty() ? "2026-12-31" : left) + " tasks browsing");
    }

    // A device or a stream chosen gets a plan, which goes when the choice is the recorder's again unless it repeats; the
    // list then offers the stream. An address the recorder must not read, or a store that keeps no sources, saves nothing.
    void sourceIsSavedWithTheTask_data()
    {
        QTest::addColumn<Source>("source");
        QTest::newRow("what you hear") << Source{"", "", "所听到的声音: Test sink", "testsink.monitor"};
        QTest::newRow("input") << Source{"", "", "Built-in Audio Analog Stereo", "alsa_input.pci-0000_00_1b.0.analog-stereo"};
        QTest::newRow("stream") << Source{"", "", Stream, Stream};
        QTest::newRow("series keeps its rule") << Source{"", "FREQ=DAILY", Stream, Stream};
        QTest::newRow("recorder's choice") << Source{"", "", "录音程序的选择", ""};
        QTest::newRow("ftp") << Source{"", "", "ftp://127.0.0.1/a.mp3", App + "录音来源无效: ftp://127.0.0.1/a.mp3 | Ok | None"};
        QTest::newRow("newer store") << Source{"PRAGMA user_version = 3", "", Stream, "Error in Update |  3000 "
                                                   + QString::fromUtf8(TaskSources::NotWritableMessage) + " | Ok | None"};
    }
    void sourceIsSavedWithTheTask()
    {
        QFETCH(Source, source);
        const auto &[sql, rule, chosen, saved] = source;
        if (!sql.isEmpty())
            m_kit->dir.exec(sql);
        if (!rule.isEmpty())
            m_kit->dir.insertSeries(TestAppDir::taskFields("2026-12-05 07:05:00 Quillsound"), rule);
        QVERIFY(rule.isEmpty() ? enterTask() : m_kit->load() && m_kit->click("CmdEdit"));
        QVERIFY(m_kit->type("CboSource", chosen) && m_kit->click("CmdUpdate"));
        const QString plan = "2026-12-05 07:05:00 " + rule + '|';
        if (saved.startsWith(App) || saved.startsWith("Error")) {
            QCOMPARE(m_kit->messages() << QString::number(m_kit->dir.rowCount()) << m_kit->layout(), QStringList({saved, "0", "entry adding"}));
            return;
        }
        QCOMPARE(m_kit->messages() + m_kit->dir.plans(true) << m_kit->source(),
                 QStringList(saved.isEmpty() ? QStringList() : QStringList{plan + saved}) << chosen + " |  | shown");
        QVERIFY(m_kit->click("CmdAdd"));
        QCOMPARE(m_kit->find<QComboBox>("CboSource")->findData(Stream) >= 0, saved == Stream);
        QVERIFY(m_kit->click("CmdCancel") && m_kit->click("CmdEdit") && m_kit->type("CboSource", "录音程序的选择") && m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->dir.plans(true) << m_kit->source(),
                 QStringList(rule.isEmpty() ? QStringList() : QStringList{plan + "<null>"}) << "录音程序的选择 |  | shown");
    }

    // An address is tried as it is entered, and why it cannot be heard is shown; it is saved all the same.
    void streamIsTriedAsItIsEntered()
    {
        const QString closed = QStringLiteral("http://127.0.0.1:%1/a.mp3").arg(PrivateIcecast::closedPort());
        QVERIFY(enterTask() && m_kit->type("CboSource", closed));
        QTRY_COMPARE_WITH_TIMEOUT(m_kit->source(), closed + " | 无法收听: 无法打开: Connection refused | open", 7000);
        QVERIFY(m_kit->click("CmdUpdate"));
        QCOMPARE(m_kit->messages() + m_kit->dir.plans(true), QStringList{"2026-12-05 07:05:00 |" + closed});
    }
};

QTEST_MAIN(EditorTest)
#include "tst_editor.moc"
