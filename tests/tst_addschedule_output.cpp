#include "EditorTestKit.h"
#include "FileExistence.h"
#include "OutputFormat.h"

#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class AddScheduleOutputTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorTestKit> m_kit;
    QTemporaryDir m_files;

    QString filePath(const QString &name) const { return m_files.filePath(name); }

    static void makeFile(const QString &path, const QByteArray &contents = "RIFF")
    {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
        file.write(contents);
    }

    void clickOption(const char *name) const
    {
        QTest::mouseClick(m_kit->find<QRadioButton>(name), Qt::LeftButton);
    }

    // Loads the editor over one stored task and begins a new task, whose file the test then chooses.
    void beginEntry()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "stored"));
        QVERIFY(m_kit->load());
        m_kit->click("CmdAdd");
    }

    void expectReplaceQuestions(int count) const
    {
        QCOMPARE(m_kit->messages(),
                 QStringList(count, QStringLiteral("Wavesmith | 文件已存在, 您希望替换它吗? | YesNo | Question")));
    }

private slots:
    void init()
    {
        QVERIFY(m_files.isValid());
        OutputFormatIndex = 2;
        m_kit = std::make_unique<EditorTestKit>();
    }

    void cleanup() { m_kit.reset(); }

    void formatButtonChangesTheExtension_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("format");

        QTest::newRow("mp3 to wma") << "C:\\rec\\news.mp3" << "Option3" << "C:\\rec\\news.wma" << 3;
        QTest::newRow("wav to mp3") << "/rec/news.wav" << "Option2" << "/rec/news.mp3" << 2;
        QTest::newRow("no extension") << "C:\\rec\\news" << "Option1" << "C:\\rec\\news.wav" << 1;
        QTest::newRow("dotted directory") << "/rec.d/news" << "Option1" << "/rec.d/news.wav" << 1;
        QTest::newRow("dotted directory and extension") << "/rec.d/news.mp3" << "Option1" << "/rec.d/news.wav" << 1;
        QTest::newRow("short extension") << "/rec/news.a" << "Option1" << "/rec/news.wav" << 1;
        QTest::newRow("trailing dot") << "/rec/news." << "Option3" << "/rec/news.wma" << 3;
        QTest::newRow("two characters") << "ab" << "Option1" << "ab.wav" << 1;
        QTest::newRow("empty") << "" << "Option1" << "" << 1;
        QTest::newRow("directory only") << "/rec/" << "Option3" << "/rec/" << 3;
    }

    void formatButtonChangesTheExtension()
    {
        QFETCH(QString, before);
        QFETCH(QString, option);
        QFETCH(QString, after);
        QFETCH(int, format);
        beginEntry();
        const QList<QStringList> stored = m_kit->dir.rows();
        m_kit->box("FilenameRec")->setText(before);

        clickOption(qPrintable(option));
        QCOMPARE(m_kit->box("FilenameRec")->text(), after);
        QCOMPARE(int(OutputFormatIndex), format);
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        // Only what the box shows changes.
        QCOMPARE(m_kit->dir.rows(), stored);
        QCOMPARE(m_kit->data1()->recordset().editMode(), ResultSet::EditMode::Adding);
    }

    void formatButtonsAreDisabledWhileBrowsing()
    {
        m_kit->dir.insert(EditorTestKit::task("2026-12-25", "20:00:00", "stored"));
        QVERIFY(m_kit->load());
        clickOption("Option1");
        QCOMPARE(int(OutputFormatIndex), 2);
        QCOMPARE(m_kit->box("FilenameRec")->text(), QStringLiteral("/rec/stored.mp3"));
        QVERIFY(m_kit->find<QRadioButton>("Option2")->isChecked());
    }

    void formatChoiceOutlivesTheEditor()
    {
        beginEntry();
        clickOption("Option1");
        QCOMPARE(int(OutputFormatIndex), 1);
        m_kit->editor()->unload();
        m_kit->held.reset();

        QVERIFY(m_kit->load());
        QVERIFY(m_kit->find<QRadioButton>("Option2")->isChecked());
        QCOMPARE(int(OutputFormatIndex), 1);
        m_kit->click("CmdAdd");
        m_kit->click("chooseFile");
        QCOMPARE(m_kit->services.fileDialog.showings().size(), 1);
        QCOMPARE(m_kit->services.fileDialog.showings().first().selectedType, 0);
    }

    void dialogOffersTheTypesWithTheChosenOneFirst_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("selectedType");
        QTest::newRow("as loaded") << QString() << 1;
        QTest::newRow("wav") << "Option1" << 0;
        QTest::newRow("wma") << "Option3" << 2;
    }

    void dialogOffersTheTypesWithTheChosenOneFirst()
    {
        QFETCH(QString, option);
        QFETCH(int, selectedType);
        beginEntry();
        if (!option.isEmpty())
            clickOption(qPrintable(option));
        const QString shown = m_kit->box("FilenameRec")->text();

        m_kit->click("chooseFile");
        const QList<ScriptedFileDialog::Showing> &showings = m_kit->services.fileDialog.showings();
        QCOMPARE(showings.size(), 1);
        QCOMPARE(showings.first().title, QStringLiteral("保存"));
        QCOMPARE(showings.first().fileTypes,
                 QStringList({"WAV 文件 (*.wav)", "MP3 文件 (*.mp3)", "WMA 文件 (*.wma)"}));
        QCOMPARE(showings.first().selectedType, selectedType);
        // Cancelled: nothing changes.
        QCOMPARE(m_kit->box("FilenameRec")->text(), shown);
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
    }

    void existingFileAsksBeforeItIsTaken_data()
    {
        // Each dialog answer is "existing", "hidden", "fresh", "directory" or "cancel"; each box answer Yes or No.
        QTest::addColumn<QStringList>("dialogAnswers");
        QTest::addColumn<QList<MessageAnswer>>("boxAnswers");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("showings");

        using A = MessageAnswer;
        QTest::newRow("new name, no question") << QStringList{"fresh"} << QList<A>{} << "fresh" << 1;
        QTest::newRow("directory, no question") << QStringList{"directory"} << QList<A>{} << "directory" << 1;
        QTest::newRow("yes") << QStringList{"existing"} << QList<A>{A::Yes} << "existing" << 1;
        QTest::newRow("no, then cancel") << QStringList{"existing", "cancel"} << QList<A>{A::No} << "unchanged" << 2;
        QTest::newRow("no, then a new name") << QStringList{"existing", "fresh"} << QList<A>{A::No} << "fresh" << 2;
        QTest::newRow("no, no, then yes") << QStringList{"existing", "existing", "existing"}
                                          << QList<A>{A::No, A::No, A::Yes} << "existing" << 3;
        QTest::newRow("hidden file, yes") << QStringList{"hidden"} << QList<A>{A::Yes} << "hidden" << 1;
        QTest::newRow("hidden file, no, then cancel") << QStringList{"hidden", "cancel"} << QList<A>{A::No}
                                                      << "unchanged" << 2;
    }

    void existingFileAsksBeforeItIsTaken()
    {
        QFETCH(QStringList, dialogAnswers);
        QFETCH(QList<MessageAnswer>, boxAnswers);
        QFETCH(QString, result);
        QFETCH(int, showings);

        const QHash<QString, QString> paths{{"existing", filePath(QStringLiteral("news.mp3"))},
                                            {"hidden", filePath(QStringLiteral(".news.mp3"))},
                                            {"fresh", filePath(QStringLiteral("fresh.mp3"))},
                                            {"directory", filePath(QStringLiteral("takes.mp3"))},
                                            {"cancel", QString()}};
        makeFile(paths.value("existing"), "existing");
        makeFile(paths.value("hidden"), "hidden");
        QVERIFY(QDir().mkpath(paths.value("directory")));
        beginEntry();
        const QString before = m_kit->box("FilenameRec")->text();
        for (const QString &answer : std::as_const(dialogAnswers))
            m_kit->services.fileDialog.queueAnswer(paths.value(answer));
        for (const MessageAnswer answer : std::as_const(boxAnswers))
            m_kit->services.boxes.queueAnswer(answer);

        m_kit->click("chooseFile");
        const QString expected = result == QLatin1String("unchanged") ? before : paths.value(result);
        QCOMPARE(m_kit->box("FilenameRec")->text(), expected);
        expectReplaceQuestions(int(boxAnswers.size()));
        QCOMPARE(m_kit->services.fileDialog.showings().size(), showings);
        // The files are neither removed nor touched.
        for (const char *name : {"existing", "hidden"}) {
            QFile file(paths.value(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray(name));
        }
        QVERIFY(!QFile::exists(paths.value("fresh")));
    }

    void chosenFileReachesTheStoreOnlyBySaving()
    {
        beginEntry();
        m_kit->enterStart("12", "24", "2026", "21", "30", "0");
        m_kit->enterLength("0", "0", "45", "0");
        const QString chosen = filePath(QStringLiteral("evening.mp3"));
        m_kit->services.fileDialog.queueAnswer(chosen);
        m_kit->click("chooseFile");
        clickOption("Option3");
        QCOMPARE(m_kit->dir.rowCount(), 1);

        m_kit->click("CmdUpdate");
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        const QList<QStringList> rows = m_kit->dir.rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.first().at(2), QStringLiteral("Quillsound"));
        QCOMPARE(rows.first().at(3), filePath(QStringLiteral("evening.wma")));
        QCOMPARE(rows.last().at(3), QStringLiteral("/rec/stored.mp3"));
    }

    void fileExistsCountsOrdinaryFilesOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("ordinary file") << "plain.wav" << true;
        QTest::newRow("link to a file") << "link.wav" << true;
        QTest::newRow("directory") << "folder.wav" << false;
        QTest::newRow("link to a directory") << "folderlink.wav" << false;
        QTest::newRow("dangling link") << "dangling.wav" << false;
        QTest::newRow("missing") << "missing.wav" << false;
        QTest::newRow("below a file") << "plain.wav/inside.wav" << false;
        QTest::newRow("the directory itself") << "" << false;
    }

    void fileExistsCountsOrdinaryFilesOnly()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        makeFile(filePath(QStringLiteral("plain.wav")));
        QVERIFY(QDir().mkpath(filePath(QStringLiteral("folder.wav"))));
        QFile::link(filePath(QStringLiteral("plain.wav")), filePath(QStringLiteral("link.wav")));
        QFile::link(filePath(QStringLiteral("folder.wav")), filePath(QStringLiteral("folderlink.wav")));
        QFile::link(filePath(QStringLiteral("gone.wav")), filePath(QStringLiteral("dangling.wav")));

        QCOMPARE(FileExistence::FileExists(filePath(name)), exists);
        QVERIFY(!FileExistence::FileExists(QString()));
    }
};

QTEST_MAIN(AddScheduleOutputTest)
#include "tst_addschedule_output.moc"
