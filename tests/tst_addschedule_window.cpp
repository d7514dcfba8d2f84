#include "CursorTableModel.h"
#include "EditorTestKit.h"

#include <QFile>
#include <QTest>

class AddScheduleWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;

    static TestAppDir::Row task(const QString &date, const QString &time, const QString &program)
    {
        return EditorTestKit::task(date, time, program);
    }

private slots:
    void init() { m_kit = std::make_unique<EditorTestKit>(); }
    void cleanup() { m_kit.reset(); }

    void windowIsAFixedModalDialogOverTheMainWindow()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QStringLiteral("编辑计划"));
        QCOMPARE(editor->size(), QSize(385, 482));
        QCOMPARE(editor->minimumSize(), editor->maximumSize());
        QVERIFY(editor->isModal());
        QCOMPARE(editor->parentWidget(), m_kit->scheduler.get());
        QVERIFY(!(editor->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!editor->isVisible());
    }

    void controlsAfterLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("enabled");
        // Browsing: the bound boxes show, the entry lists wait hidden, only add and exit work.
        const auto row = [](const char *name, bool shown, bool enabled) {
            QTest::newRow(name) << QString::fromLatin1(name) << shown << enabled;
        };
        for (const char *name : {"DateRec", "StartTimeRec", "RecLength", "FilenameRec", "CmdAdd", "CmdExit", "DBGrid1"})
            row(name, true, true);
        for (const char *name : {"ComboMonth", "ComboSHour", "ComboRecdays", "ComboRecsecs", "Label15"})
            row(name, false, true);
        for (const char *name : {"CmdEdit", "CmdDelete", "CmdUpdate", "CmdCancel", "chooseFile", "Option1", "Option3",
                                 "ComboSAmPm"})
            row(name, true, false);
    }

    void controlsAfterLoad()
    {
        QFETCH(QString, name);
        QFETCH(bool, shown);
        QFETCH(bool, enabled);
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        auto *control = editor->findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->isVisibleTo(editor), shown);
        QCOMPARE(control->isEnabled(), enabled);
    }

    void listsHoldTheirEntries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QString>("designText");
        QTest::newRow("ComboSHour") << "ComboSHour" << 0 << 23 << "12";
        QTest::newRow("ComboRechours") << "ComboRechours" << 0 << 23 << "0";
        QTest::newRow("ComboSMinute") << "ComboSMinute" << 0 << 59 << "00";
        QTest::newRow("ComboSSecond") << "ComboSSecond" << 0 << 59 << "00";
        QTest::newRow("ComboRecmins") << "ComboRecmins" << 0 << 59 << "0";
        QTest::newRow("ComboRecsecs") << "ComboRecsecs" << 0 << 59 << "0";
        QTest::newRow("ComboDay") << "ComboDay" << 1 << 31 << "01";
        QTest::newRow("ComboRecdays") << "ComboRecdays" << 0 << 31 << "0";
        QTest::newRow("ComboMonth") << "ComboMonth" << 1 << 12 << "01";
        QTest::newRow("ComboYear") << "ComboYear" << 2004 << 2011 << "01";
    }

    void listsHoldTheirEntries()
    {
        QFETCH(QString, name);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QString, designText);

        // Loaded twice: a second load starts from a fresh window, so each entry is there once.
        QVERIFY(m_kit->load());
        m_kit->editor()->unload();
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        auto *list = editor->findChild<QComboBox *>(name);
        QVERIFY(list);
        QStringList expected;
        for (int value = first; value <= last; ++value)
            expected << QString::number(value);
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        QCOMPARE(entries, expected);
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->currentText(), designText);
        QCOMPARE(list->insertPolicy(), QComboBox::NoInsert);
    }

    void loadWithAnEmptyStore()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        for (const char *name : {"DateRec", "StartTimeRec", "ProgramRec", "FilenameRec", "RecParameter", "RecLength"})
            QCOMPARE(m_kit->box(name)->text(), QString());
        QCOMPARE(m_kit->grid()->model()->rowCount(), 0);
        QVERIFY(m_kit->data1()->recordset().bof());
        QVERIFY(m_kit->data1()->recordset().eof());
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
    }

    void loadWithTasksShowsTheFirstInStartOrder()
    {
        m_kit->dir.insert(task("2026-12-10", "09:00:00", "tenth"));
        m_kit->dir.insert(task("2026-12-02", "10:00:00", "second-ten"));
        m_kit->dir.insert({"2026-12-02", "09:00:00", "second-nine", "/rec/nine.mp3", "90", "0 天 0 小时 1 分钟 30 秒 之后"});
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        const DateTimeText &texts = m_kit->services.texts;
        QCOMPARE(m_kit->box("DateRec")->text(), texts.dateText(QDate(2026, 12, 2)));
        QCOMPARE(m_kit->box("StartTimeRec")->text(), texts.timeText(QTime(9, 0, 0)));
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("second-nine"));
        QCOMPARE(m_kit->box("FilenameRec")->text(), QStringLiteral("/rec/nine.mp3"));
        QCOMPARE(m_kit->box("RecParameter")->text(), QStringLiteral("90"));
        QCOMPARE(m_kit->box("RecLength")->text(), QStringLiteral("0 天 0 小时 1 分钟 30 秒 之后"));

        QCOMPARE(m_kit->gridColumn(2), QStringList({"second-nine", "second-ten", "tenth"}));
        QCOMPARE(m_kit->grid()->model()->headerData(0, Qt::Vertical).toString(), QString::fromUtf8(CursorTableModel::CurrentRowMarker));
        QCOMPARE(m_kit->grid()->selectionModel()->selectedRows().first().row(), 0);
        QVERIFY(m_kit->button("CmdEdit")->isEnabled());
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
    }

    void loadWithAFirstTaskMissingAFieldShowsWhatItHas()
    {
        m_kit->dir.insert({"2026-12-01", "08:00:00", "first", QString(), "60", "0 天 0 小时 1 分钟 0 秒 之后"});
        m_kit->dir.exec(QStringLiteral("UPDATE AddSchTab SET Filename = NULL"));
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        QCOMPARE(m_kit->box("ProgramRec")->text(), QStringLiteral("first"));
        QCOMPARE(m_kit->box("FilenameRec")->text(), QString());
        QVERIFY(m_kit->button("CmdEdit")->isEnabled());
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
    }

    void storeThatCannotBeReadIsReported_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("errorNumber");
        QTest::newRow("missing") << "remove" << 3024;
        QTest::newRow("not a store") << "garbage" << 3343;
        QTest::newRow("table missing") << "drop" << 3078;
        QTest::newRow("field missing") << "column" << 3265;
    }

    void storeThatCannotBeReadIsReported()
    {
        QFETCH(QString, damage);
        QFETCH(int, errorNumber);
        const TestAppDir &dir = m_kit->dir;
        if (damage == QLatin1String("remove")) {
            QVERIFY(QFile::remove(dir.storePath()));
        } else if (damage == QLatin1String("garbage")) {
            QFile file(dir.storePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(4096, 'x'));
        } else if (damage == QLatin1String("drop")) {
            dir.exec(QStringLiteral("DROP TABLE AddSchTab"));
        } else {
            dir.exec(QStringLiteral("DROP TABLE AddSchTab"));
            dir.exec(QStringLiteral("CREATE TABLE AddSchTab (StartDate TEXT, Program TEXT, Filename TEXT, "
                                    "Parameter TEXT, RecordLength TEXT)"));
        }

        QVERIFY(!m_kit->load());
        QVERIFY(!m_kit->scheduler->findChild<AddSchedule *>());
        const QStringList shown = m_kit->messages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("QuillScheduler | ")), qPrintable(shown.first()));
        QVERIFY2(shown.first().endsWith(QStringLiteral(" | Ok | Critical")), qPrintable(shown.first()));
        QVERIFY2(shown.first().contains(QString::number(errorNumber)), qPrintable(shown.first()));
        QVERIFY2(shown.first().contains(dir.storePath()), qPrintable(shown.first()));
    }

    void escapeDoesNotCloseTheEditor()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QTest::keyClick(editor, Qt::Key_Escape);
        QVERIFY(editor->isVisible());
        QVERIFY(!editor->isUnloaded());
    }
};

QTEST_MAIN(AddScheduleWindowTest)
#include "tst_addschedule_window.moc"
