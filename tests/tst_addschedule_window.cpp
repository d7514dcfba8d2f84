#include "CursorTableModel.h"
#include "EditorTestKit.h"
#include "OutputFormat.h"
#include "Twips.h"

#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QRadioButton>
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

    static QString textOf(const QWidget *control)
    {
        if (const auto *label = qobject_cast<const QLabel *>(control))
            return label->text();
        if (const auto *box = qobject_cast<const QLineEdit *>(control))
            return box->text();
        if (const auto *list = qobject_cast<const QComboBox *>(control))
            return list->currentText();
        if (const auto *button = qobject_cast<const QAbstractButton *>(control))
            return button->text();
        if (const auto *frame = qobject_cast<const QGroupBox *>(control))
            return frame->title();
        return {};
    }

    int blueCaptionPixels(QGroupBox *frame)
    {
        const QImage image = frame->grab(QRect(0, 0, frame->width(), 16)).toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.blue() > 200 && pixel.red() < 80 && pixel.green() < 80)
                    ++count;
            }
        }
        return count;
    }

private slots:
    void init() { m_kit = std::make_unique<EditorTestKit>(); }
    void cleanup() { m_kit.reset(); }

    void windowIsAFixedModalDialogOverTheMainWindow()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        QCOMPARE(editor->objectName(), QStringLiteral("AddSchedule"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("编辑计划"));
        QCOMPARE(editor->size(), QSize(385, 482));
        QCOMPARE(editor->minimumSize(), editor->maximumSize());
        QVERIFY(editor->isModal());
        QVERIFY(editor->isWindow());
        QCOMPARE(editor->parentWidget(), m_kit->scheduler.get());
        QVERIFY(!(editor->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(editor->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(editor->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!editor->isVisible());
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
    }

    void controlsAfterLoad_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("container");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("enabled");

        const auto row = [](const char *name, const char *container, int left, int top, int width, const char *text,
                            bool shown, bool enabled) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container) << left << top
                                << width << QString::fromUtf8(text) << shown << enabled;
        };
        // In twips; a left of -1 or a width of 0 is one that the layout leaves open.
        row("FrameTime", "AddSchedule", 120, 120, 5535, "开始时间设置", true, true);
        row("LabelDate", "FrameTime", 240, 360, 0, "开始日期 :", true, true);
        row("DateRec", "FrameTime", 1080, 360, 2415, "", true, true);
        row("ComboMonth", "FrameTime", 1080, 360, 0, "01", false, true);
        row("Label6", "FrameTime", 1810, 360, 0, "/", true, true);
        row("ComboDay", "FrameTime", 1920, 360, 0, "01", false, true);
        row("Label7", "FrameTime", 2650, 360, 0, "/", true, true);
        row("ComboYear", "FrameTime", 2760, 360, 0, "01", false, true);
        row("Label8", "FrameTime", 3720, 405, 0, "月/日/年", true, true);
        row("LabelSTime", "FrameTime", 240, 840, 0, "开始时间 :", true, true);
        row("StartTimeRec", "FrameTime", 1080, 840, 2415, "", true, true);
        row("Label4", "FrameTime", 1830, 840, 0, ":", true, true);
        row("Label5", "FrameTime", 2670, 840, 0, ":", true, true);
        row("Label9", "FrameTime", 3720, 840, 0, "时:分:秒", true, true);
        row("LabelDateCap", "FrameTime", -1, 1560, 0, "", true, true);
        row("LabelSTimeCap", "FrameTime", -1, 1560, 0, "", true, true);
        row("ComboSHour", "AddSchedule", 1200, 960, 0, "12", false, true);
        row("ComboSMinute", "AddSchedule", 2040, 960, 0, "00", false, true);
        row("ComboSSecond", "AddSchedule", 2880, 960, 0, "00", false, true);
        row("ComboSAmPm", "AddSchedule", 4920, 240, 0, "AM", true, false);
        row("Frame2", "AddSchedule", 120, 1680, 5535, "录音自动停止设置", true, true);
        row("Label1", "Frame2", 240, 360, 0, "录音自动停止时间为:", true, true);
        row("RecLength", "Frame2", 240, 720, 4455, "", true, true);
        row("ComboRecdays", "Frame2", 240, 720, 0, "0", false, true);
        row("Label16", "Frame2", 960, 765, 0, " 日", true, true);
        row("ComboRechours", "Frame2", 1440, 720, 0, "0", false, true);
        row("Label13", "Frame2", 2160, 765, 0, " 时", true, true);
        row("ComboRecmins", "Frame2", 2760, 720, 0, "0", false, true);
        row("Label14", "Frame2", 3480, 765, 0, " 分", true, true);
        row("ComboRecsecs", "Frame2", 3960, 720, 0, "0", false, true);
        row("Label15", "Frame2", 4680, 765, 0, " 秒", false, true);
        row("FrameProgram", "AddSchedule", 120, 3120, 5535, "录音输出文件设置", true, true);
        row("LabelFilename", "FrameProgram", 240, 240, 0, "文件名 :", true, true);
        row("FilenameRec", "FrameProgram", 1200, 360, 3375, "", true, true);
        row("chooseFile", "FrameProgram", 4680, 360, 0, "保存", true, false);
        row("Label10", "FrameProgram", 240, 840, 0, " 格式 :", true, true);
        row("Option1", "FrameProgram", 1200, 840, 0, "wav 格式", true, false);
        row("Option2", "FrameProgram", 2400, 840, 0, "mp3 格式", true, false);
        row("Option3", "FrameProgram", 3600, 840, 0, "wma 格式", true, false);
        row("Label11", "FrameProgram", 120, 1440, 0, "Parameter:", true, true);
        row("RecParameter", "FrameProgram", 1200, 1440, 0, "", true, true);
        row("LabelProgram", "FrameProgram", 0, 1680, 0, "计划名称 :", true, true);
        row("ProgramRec", "FrameProgram", 1200, 1800, 0, "", true, true);
        row("CmdAdd", "AddSchedule", 120, 4560, 735, "添加", true, true);
        row("CmdEdit", "AddSchedule", 1080, 4560, 735, "编辑", true, false);
        row("CmdDelete", "AddSchedule", 2040, 4560, 735, "删除", true, false);
        row("CmdUpdate", "AddSchedule", 3000, 4560, 735, "录制", true, false);
        row("CmdCancel", "AddSchedule", 3960, 4560, 735, "取消", true, false);
        row("CmdExit", "AddSchedule", 4920, 4560, 735, "退出", true, true);
        row("DBGrid1", "AddSchedule", 120, 5040, 5535, "", true, true);
    }

    void controlsAfterLoad()
    {
        QFETCH(QString, name);
        QFETCH(QString, container);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QFETCH(QString, text);
        QFETCH(bool, shown);
        QFETCH(bool, enabled);

        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        auto *control = editor->findChild<QWidget *>(name);
        QVERIFY(control);
        auto *holder = editor->findChild<QWidget *>(container);
        if (!holder)
            holder = editor;
        QCOMPARE(holder->objectName(), container);
        QVERIFY(holder == editor || holder->isAncestorOf(control));
        const QPoint origin = control->mapTo(holder, QPoint(0, 0));
        const QRect place = twipsRect(qMax(left, 0), top, width, 0);
        if (left >= 0)
            QCOMPARE(origin.x(), place.left());
        QCOMPARE(origin.y(), place.top());
        if (width > 0)
            QCOMPARE(control->width(), place.width());
        QCOMPARE(textOf(control), text);
        QCOMPARE(control->isVisibleTo(editor), shown);
        QCOMPARE(control->isEnabled(), enabled);
    }

    void boxesOutOfSightLieBelowTheirGroup_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"LabelDateCap", "LabelSTimeCap", "Label11", "RecParameter", "LabelProgram", "ProgramRec"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void boxesOutOfSightLieBelowTheirGroup()
    {
        QFETCH(QString, name);
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        auto *control = editor->findChild<QWidget *>(name);
        QVERIFY(control);
        QVERIFY(control->geometry().top() >= control->parentWidget()->height());
    }

    void groupCaptionsAreBlueAndBold()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        for (const char *name : {"FrameTime", "Frame2", "FrameProgram"}) {
            auto *frame = editor->findChild<QGroupBox *>(QString::fromLatin1(name));
            QVERIFY(frame);
            QVERIFY2(blueCaptionPixels(frame) > 10, name);
            QVERIFY2(frame->font().bold(), name);
        }
        // The controls in the groups keep the window's plain font.
        QVERIFY(!editor->findChild<QLabel *>(QStringLiteral("LabelDate"))->font().bold());
    }

    void formatOptionsFormOneGroup()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        auto *picture1 = editor->findChild<QWidget *>(QStringLiteral("Picture1"));
        QVERIFY(picture1);
        const QList<QRadioButton *> options = picture1->findChildren<QRadioButton *>();
        QCOMPARE(options.size(), 3);
        auto *option1 = editor->findChild<QRadioButton *>(QStringLiteral("Option1"));
        auto *option2 = editor->findChild<QRadioButton *>(QStringLiteral("Option2"));
        QVERIFY(option2->isChecked());
        option1->setChecked(true);
        QVERIFY(!option2->isChecked());
    }

    void eachLoadSelectsMp3()
    {
        OutputFormatIndex = 3;
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        editor->findChild<QRadioButton *>(QStringLiteral("Option3"))->setChecked(true);
        editor->unload();

        QVERIFY(m_kit->load());
        QVERIFY(m_kit->editor()->findChild<QRadioButton *>(QStringLiteral("Option2"))->isChecked());
        QCOMPARE(OutputFormatIndex, std::int16_t(3));
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
        QVERIFY(list->isEditable());
        QCOMPARE(list->insertPolicy(), QComboBox::NoInsert);
    }

    void amPmListIsEmptyAndDisabled()
    {
        QVERIFY(m_kit->load());
        QComboBox *amPm = m_kit->list("ComboSAmPm");
        QCOMPARE(amPm->count(), 0);
        QVERIFY(!amPm->isEnabled());
        m_kit->click("CmdAdd");
        QCOMPARE(amPm->count(), 0);
        QVERIFY(!amPm->isEnabled());
        QCOMPARE(amPm->currentText(), QStringLiteral("AM"));
    }

    void typedTextDoesNotJoinTheList()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        m_kit->click("CmdAdd");
        QComboBox *hours = m_kit->list("ComboRechours");
        hours->lineEdit()->clear();
        QTest::keyClicks(hours->lineEdit(), QStringLiteral("1.5"));
        QTest::keyClick(hours->lineEdit(), Qt::Key_Return);
        QCOMPARE(hours->currentText(), QStringLiteral("1.5"));
        QCOMPARE(hours->count(), 24);
        QVERIFY(editor->isVisible());
    }

    void loadWithAnEmptyStore()
    {
        AddSchedule *editor = m_kit->load();
        QVERIFY(editor);
        for (const char *name : {"DateRec", "StartTimeRec", "ProgramRec", "FilenameRec", "RecParameter", "RecLength"})
            QCOMPARE(m_kit->box(name)->text(), QString());
        QCOMPARE(m_kit->grid()->model()->rowCount(), 0);
        QVERIFY(!m_kit->button("CmdEdit")->isEnabled());
        QVERIFY(!m_kit->button("CmdDelete")->isEnabled());
        QVERIFY(m_kit->button("CmdAdd")->isEnabled());
        QVERIFY(m_kit->button("CmdExit")->isEnabled());
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

        const QAbstractItemModel *rows = m_kit->grid()->model();
        QCOMPARE(rows->rowCount(), 3);
        QStringList programs;
        for (int row = 0; row < rows->rowCount(); ++row)
            programs << rows->index(row, 2).data().toString();
        QCOMPARE(programs, QStringList({"second-nine", "second-ten", "tenth"}));
        QCOMPARE(rows->headerData(0, Qt::Vertical).toString(), QString::fromUtf8(CursorTableModel::CurrentRowMarker));
        QCOMPARE(m_kit->grid()->selectionModel()->selectedRows().first().row(), 0);
        QVERIFY(m_kit->button("CmdEdit")->isEnabled());
        QVERIFY(m_kit->button("CmdDelete")->isEnabled());
        QVERIFY(!m_kit->button("CmdUpdate")->isEnabled());
        QVERIFY(m_kit->services.boxes.boxes().isEmpty());
        QCOMPARE(m_kit->dir.rowCount(), 3);
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
        QCOMPARE(m_kit->services.boxes.boxes().size(), 1);
        const ScriptedMessageBoxes::Box box = m_kit->services.boxes.boxes().first();
        QVERIFY2(box.text.contains(QStringLiteral("%1").arg(errorNumber)), qPrintable(box.text));
        QVERIFY2(box.text.contains(dir.storePath()), qPrintable(box.text));
        QCOMPARE(box.title, QStringLiteral("QuillScheduler"));
        QCOMPARE(box.buttons, MessageButtons::Ok);
        QCOMPARE(box.icon, MessageIcon::Critical);
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
