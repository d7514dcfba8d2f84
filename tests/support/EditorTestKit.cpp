#include "EditorTestKit.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

EditorTestKit::EditorTestKit(bool mainWindowLoadsEditor)
    : scheduler(std::make_unique<Scheduler>(
          services.forDir(dir, mainWindowLoadsEditor ? TaskEditorLoader(&AddSchedule::load) : TaskEditorLoader())))
{
}

EditorTestKit::~EditorTestKit()
{
    // The editor goes before the main window that it belongs to.
    held.reset();
}

AddSchedule *EditorTestKit::load()
{
    held = AddSchedule::load(*scheduler);
    return editor();
}

AddSchedule *EditorTestKit::editor() const
{
    if (held)
        return dynamic_cast<AddSchedule *>(held.get());
    return scheduler->findChild<AddSchedule *>();
}

AddSchedule *EditorTestKit::editorOrFail() const
{
    AddSchedule *loaded = editor();
    if (!loaded)
        qFatal("no editor is loaded");
    return loaded;
}

RecordCursor *EditorTestKit::data1() const
{
    return find<RecordCursor>("Data1");
}

void EditorTestKit::click(const char *name) const
{
    QTest::mouseClick(button(name), Qt::LeftButton);
}

void EditorTestKit::showAndClickRow(int row) const
{
    AddSchedule *shown = editorOrFail();
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QTableView *view = grid();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 2)).center());
}

QStringList EditorTestKit::listTexts(std::initializer_list<const char *> names) const
{
    QStringList texts;
    for (const char *name : names)
        texts << list(name)->currentText();
    return texts;
}

QStringList EditorTestKit::gridColumn(int column) const
{
    QStringList texts;
    const QAbstractItemModel *model = grid()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

QStringList EditorTestKit::messages() const
{
    static const char *const icons[] = {"None", "Information", "Warning", "Critical", "Question"};
    QStringList shown;
    for (const ScriptedMessageBoxes::Box &box : services.boxes.boxes())
        shown << QStringLiteral("%1 | %2 | %3 | %4")
                     .arg(box.title, box.text,
                          box.buttons == MessageButtons::YesNo ? QStringLiteral("YesNo") : QStringLiteral("Ok"),
                          QString::fromLatin1(icons[int(box.icon)]));
    return shown;
}

QString EditorTestKit::mainLabel(const char *name) const
{
    const auto *label = scheduler->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(QString::fromLatin1(name));
}

void EditorTestKit::enterStart(const QString &month, const QString &day, const QString &year, const QString &hour,
                               const QString &minute, const QString &second) const
{
    list("ComboMonth")->setEditText(month);
    list("ComboDay")->setEditText(day);
    list("ComboYear")->setEditText(year);
    list("ComboSHour")->setEditText(hour);
    list("ComboSMinute")->setEditText(minute);
    list("ComboSSecond")->setEditText(second);
}

void EditorTestKit::enterLength(const QString &days, const QString &hours, const QString &minutes,
                                const QString &seconds) const
{
    list("ComboRecdays")->setEditText(days);
    list("ComboRechours")->setEditText(hours);
    list("ComboRecmins")->setEditText(minutes);
    list("ComboRecsecs")->setEditText(seconds);
}

void EditorTestKit::whileShown(const std::function<void(AddSchedule &)> &work)
{
    QTimer::singleShot(0, scheduler.get(), [work] {
        auto *shown = qobject_cast<AddSchedule *>(QApplication::activeModalWidget());
        if (!shown) {
            qWarning("the editor is not shown modally");
            return;
        }
        work(*shown);
        if (shown->isVisible())
            shown->close();
    });
    QTest::mouseClick(scheduler->findChild<QPushButton *>(QStringLiteral("CmdViewRec")), Qt::LeftButton);
}

TestAppDir::Row EditorTestKit::task(const QString &date, const QString &time, const QString &program)
{
    return {date, time, program, QStringLiteral("/rec/%1.mp3").arg(program), QStringLiteral("5400"),
            QStringLiteral("0 天 1 小时 30 分钟 0 秒 之后")};
}
