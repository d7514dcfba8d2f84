#include "EditorTestKit.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

class AddScheduleSaveTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;

    // Loads the editor over one stored task and begins a new one with a valid entry.
    void beginValidEntry()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-10", "09:00:00", "stored"));
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");
        m_kit->enterStart("12", "5", "2026", "7", "5", "0");
        m_kit->enterLength("0", "1", "30", "0");
    }

    void expectOneBox(const QString &text, const QString &title)
    {
        QCOMPARE(m_kit->messages(), QStringList(title + QStringLiteral(" | ") + text + QStringLiteral(" | Ok | None")));
    }

    // The entry is as the user left it, ready to be corrected.
    void expectEntryKept()
    {
        QVERIFY(m_kit->button("CmdUpdate")->isEnabled());
        QVERIFY(m_kit->list("ComboSHour")->isVisibleTo(m_kit->editor()));
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Adding);
        QVERIFY(!m_kit->editor()->isUnloaded());
    }

private slots:
    void init() { m_kit = std::make_unique<EditorTestKit>(); }
    void cleanup() { m_kit.reset(); }

    void savedTaskIsStoredAndListed()
    {
        beginValidEntry();
        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());

        const QString file = m_kit->dir.path() + QDir::separator() + QStringLiteral("quillDefault.mp3");
        QCOMPARE(m_kit->dir.rows(),
                 QList<QStringList>({{"2026-12-05", "07:05:00", "Quillsound", file, "5400",
                                      "0 天 1 小时 30 分钟 0 秒 之后"},
                                     {"2026-12-10", "09:00:00", "stored", "/rec/stored.mp3", "5400",
                                      "0 天 1 小时 30 分钟 0 秒 之后"}}));
        QCOMPARE(m_kit->find<QLabel>("LabelSTimeCap")->text(), QStringLiteral("7:5:0"));
        QCOMPARE(m_kit->find<QLabel>("LabelDateCap")->text(), QStringLiteral("12-5-2026"));

        // Browsing again, over the list read afresh in start order.
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Browsing);
        QVERIFY(!m_kit->list("ComboSHour")->isVisibleTo(m_kit->editor()));
        QVERIFY(m_kit->button("CmdEdit")->isEnabled());
        QVERIFY(!m_kit->button("CmdUpdate")->isEnabled());
        QCOMPARE(m_kit->gridColumn(2), QStringList({"Quillsound", "stored"}));
        QCOMPARE(m_kit->box("DateRec")->text(), m_kit->services.texts.dateText(QDate(2026, 12, 5)));
    }

    void entryIsStoredAsTyped_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QStringList>("length");
        // Date, time, length in seconds and as a sentence.
        QTest::addColumn<QStringList>("stored");
        const QStringList start{"12", "5", "2026", "7", "5", "0"};
        const auto row = [](const char *date, const char *time, const char *seconds, const QStringList &length) {
            return QStringList{date, time, seconds,
                               QStringLiteral("%1 天 %2 小时 %3 分钟 %4 秒 之后").arg(length.at(0), length.at(1),
                                                                               length.at(2), length.at(3))};
        };
        const QStringList oneSecond{"0", "0", "0", "1"};
        const QStringList longest{"31", "23", "59", "59"};
        const QStringList hourAndHalf{"0", "1.5", "0", "0"};
        const QStringList negativeDays{"-1", "30", "0", "0"};
        const QStringList roundsToEven{"0", "0", "0", "2.5"};
        QTest::newRow("one second") << start << oneSecond << row("2026-12-05", "07:05:00", "1", oneSecond);
        QTest::newRow("longest listed") << start << longest << row("2026-12-05", "07:05:00", "2764799", longest);
        QTest::newRow("typed 1.5 hours") << start << hourAndHalf << row("2026-12-05", "07:05:00", "5400", hourAndHalf);
        QTest::newRow("negative days") << start << negativeDays << row("2026-12-05", "07:05:00", "21600", negativeDays);
        QTest::newRow("half rounds to even") << start << roundsToEven << row("2026-12-05", "07:05:00", "2", roundsToEven);
        QTest::newRow("a past year") << QStringList{"3", "4", "2003", "8", "0", "0"} << oneSecond
                                     << row("2003-03-04", "08:00:00", "1", oneSecond);
    }

    void entryIsStoredAsTyped()
    {
        QFETCH(QStringList, start);
        QFETCH(QStringList, length);
        QFETCH(QStringList, stored);
        beginValidEntry();
        m_kit->enterStart(start.at(0), start.at(1), start.at(2), start.at(3), start.at(4), start.at(5));
        m_kit->enterLength(length.at(0), length.at(1), length.at(2), length.at(3));
        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        const QList<QStringList> rows = m_kit->dir.rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(QStringList({rows.first().at(0), rows.first().at(1), rows.first().at(4), rows.first().at(5)}), stored);
    }

    void checksAndErrorsLeaveTheStoreAndTheEntry_data()
    {
        // Each change is "control=text", made to the valid entry before the save.
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");

        const QString app = QStringLiteral("QuillScheduler");
        const QString update = QStringLiteral("Error in Update");
        const QString fileMessage = QStringLiteral("Please enter data for program title and filename field");
        const QString lengthMessage = QStringLiteral("您必须首先设置自动停止录音选项!");
        const QString conversion = QStringLiteral(" 3421 Data type conversion error.");
        const QStringList noLength{"ComboRechours=0", "ComboRecmins=0"};

        QTest::newRow("no file name") << QStringList{"FilenameRec="} << fileMessage << app;
        QTest::newRow("no file name and no length") << noLength + QStringList{"FilenameRec="} << fileMessage << app;
        QTest::newRow("no length") << noLength << lengthMessage << app;
        QTest::newRow("half a second") << noLength + QStringList{"ComboRecsecs=0.5"} << lengthMessage << app;
        QTest::newRow("no title") << QStringList{"ProgramRec="} << "'Program Title:' Field cann't be blank!" << app;
        QTest::newRow("letter in days") << QStringList{"ComboRecdays=x"} << " 13 Type mismatch" << update;
        QTest::newRow("letter comes before the title") << QStringList{"ComboRecsecs=a", "ProgramRec="}
                                                       << " 13 Type mismatch" << update;
        QTest::newRow("days beyond 32 bits") << QStringList{"ComboRecdays=24856"} << " 6 Overflow" << update;
        QTest::newRow("day 31 in April") << QStringList{"ComboMonth=4", "ComboDay=31"} << conversion << update;
        QTest::newRow("hour 24") << QStringList{"ComboSHour=24"} << conversion << update;
        QTest::newRow("title comes before the time") << QStringList{"ComboSHour=24", "ProgramRec="}
                                                     << "'Program Title:' Field cann't be blank!" << app;
        QTest::newRow("empty year") << QStringList{"ComboYear="} << " 13 Type mismatch" << update;
    }

    void checksAndErrorsLeaveTheStoreAndTheEntry()
    {
        QFETCH(QStringList, changes);
        QFETCH(QString, text);
        QFETCH(QString, title);
        beginValidEntry();
        const QList<QStringList> before = m_kit->dir.rows();
        for (const QString &change : std::as_const(changes)) {
            const QString name = change.section(u'=', 0, 0);
            const QString value = change.section(u'=', 1);
            if (name.startsWith(QLatin1String("Combo")))
                m_kit->list(qPrintable(name))->setEditText(value);
            else
                m_kit->box(qPrintable(name))->setText(value);
        }

        m_kit->click("CmdUpdate");
        expectOneBox(text, title);
        QCOMPARE(m_kit->dir.rows(), before);
        expectEntryKept();
        for (const QString &change : std::as_const(changes)) {
            const QString name = change.section(u'=', 0, 0);
            if (name.startsWith(QLatin1String("Combo")))
                QCOMPARE(m_kit->list(qPrintable(name))->currentText(), change.section(u'=', 1));
        }
        QCOMPARE(m_kit->grid()->model()->rowCount(), 1);
    }

    void correctedEntrySavesOnce()
    {
        beginValidEntry();
        m_kit->list("ComboDay")->setEditText(QStringLiteral("31"));
        m_kit->list("ComboMonth")->setEditText(QStringLiteral("4"));
        m_kit->click("CmdUpdate");
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->list("ComboDay")->currentText(), QStringLiteral("31"));

        m_kit->list("ComboDay")->setEditText(QStringLiteral("30"));
        m_kit->click("CmdUpdate");
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->dir.rowCount(), 2);
        QCOMPARE(m_kit->dir.rows().first().at(0), QStringLiteral("2026-04-30"));
    }

    void lostEntryTellsAndClosesTheEditor()
    {
        EditorTestKit shown(true);
        shown.dir.insert(EditorTestKit::task("2026-12-10", "09:00:00", "stored"));
        const QList<QStringList> before = shown.dir.rows();
        QVERIFY(!shown.scheduler->Form_Load());
        bool closedBySave = false;
        shown.whileShown([&](AddSchedule &editor) {
            shown.click("CmdAdd");
            shown.enterLength("0", "0", "1", "0");
            // The pending row is lost behind the editor's back.
            shown.data1()->recordset().cancelUpdate();
            shown.click("CmdUpdate");
            closedBySave = !editor.isVisible();
        });
        QVERIFY(closedBySave);
        QVERIFY(!shown.scheduler->findChild<AddSchedule *>());
        QCOMPARE(shown.messages(), QStringList(QStringLiteral("User Guide | Record cannot be created/edited.Please load "
                                                              "form again.Click OK to exit Task Editor. | Ok | None")));
        QCOMPARE(shown.dir.rows(), before);
        QCOMPARE(shown.mainLabel("LblProgramRec"), QStringLiteral("stored"));
    }

    void refusedEmptyTextAsksForTitleAndFile()
    {
        // A store whose rules refuse the length text as empty.
        m_kit->dir.exec(QStringLiteral("DROP TABLE AddSchTab"));
        m_kit->dir.exec(QStringLiteral(
            "CREATE TABLE AddSchTab (StartDate TEXT, StartTime TEXT, Program TEXT, Filename TEXT, Parameter TEXT, "
            "RecordLength TEXT CONSTRAINT RecordLengthNotEmpty CHECK (RecordLength NOT LIKE '0 天 0 小时 0 分钟 1 秒%'))"));
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");
        m_kit->enterLength("0", "0", "0", "1");
        m_kit->click("CmdUpdate");
        expectOneBox(QStringLiteral("Please enter data for program title and filename field"),
                     QStringLiteral("QuillScheduler"));
        QCOMPARE(m_kit->dir.rowCount(), 0);
        expectEntryKept();
    }

    void storeFailureIsShownWithItsNumber()
    {
        beginValidEntry();
        const QList<QStringList> before = m_kit->dir.rows();
        // Another program holds the store locked while the user saves.
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            other.setDatabaseName(m_kit->dir.storePath());
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));

            m_kit->click("CmdUpdate");
            QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
            const ScriptedMessageBoxes::Box box = m_kit->services.boxes.boxes().first();
            QVERIFY2(box.text.startsWith(QStringLiteral(" 3260 ")), qPrintable(box.text));
            QVERIFY2(box.text.contains(m_kit->dir.storePath()), qPrintable(box.text));
            QCOMPARE(box.title, QStringLiteral("Error in Update"));
            expectEntryKept();

            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
            other.close();
        }
        QSqlDatabase::removeDatabase(name);
        QCOMPARE(m_kit->dir.rows(), before);

        // Once the store is free again the same entry saves.
        m_kit->click("CmdUpdate");
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        QCOMPARE(m_kit->dir.rowCount(), 2);
    }
};

QTEST_MAIN(AddScheduleSaveTest)
#include "tst_addschedule_save.moc"
