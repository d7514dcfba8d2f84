#include "EditorTestKit.h"

#include "OutputFormat.h"
#include "ScheduleFields.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

const char *const EntryLists[] = {"ComboMonth",   "ComboDay",     "ComboYear",     "ComboSHour",   "ComboSMinute",
                                  "ComboSSecond", "ComboRecdays", "ComboRechours", "ComboRecmins", "ComboRecsecs"};
const char *const Boxes[] = {"DateRec", "StartTimeRec", "ProgramRec", "FilenameRec", "RecParameter", "RecLength"};
// The controls that the layouts show or hide, then those they enable or disable.
const QStringList Shown = QStringLiteral("ComboSHour ComboSMinute ComboSSecond ComboDay ComboMonth ComboYear ComboRecdays "
                                         "ComboRechours ComboRecmins ComboRecsecs Label15 RecLength StartTimeRec DateRec "
                                         "FilenameRec DBGrid1").split(u' ');
const QStringList Enabled = QStringLiteral("CmdAdd CmdEdit CmdDelete CmdUpdate CmdCancel CmdExit Option1 Option2 Option3 "
                                           "chooseFile ComboSAmPm").split(u' ');
const QString BoundBoxes = QStringLiteral("RecLength StartTimeRec DateRec FilenameRec DBGrid1; ");
const QHash<QString, QString> Layouts{
    {BoundBoxes + "CmdAdd CmdExit", "browsing"},
    {BoundBoxes + "CmdAdd CmdEdit CmdDelete CmdExit", "tasks"},
    {Shown.mid(0, 11).join(u' ') + " FilenameRec DBGrid1; CmdUpdate CmdCancel CmdExit Option1 Option2 Option3 chooseFile",
     "entry"}};

using Step = std::function<void(EditorTestKit &, const QString &)>;

void enter(EditorTestKit &kit, int first, const QStringList &texts)
{
    for (int i = 0; i < texts.size(); ++i)
        kit.list(EntryLists[first + i])->setEditText(texts.at(i));
}

QString yes(bool yes)
{
    return yes ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

EditorTestKit::EditorTestKit() : scheduler(std::make_unique<Scheduler>(services.forDir(dir)))
{
}

EditorTestKit::~EditorTestKit()
{
    // The editor goes before the main window that it belongs to.
    held.reset();
}

AddSchedule *EditorTestKit::load()
{
    held = AddSchedule::load(*scheduler, services.windowsForDir(dir));
    return editor();
}

AddSchedule *EditorTestKit::editor() const
{
    return dynamic_cast<AddSchedule *>(held.get());
}

void EditorTestKit::insert(const QStringList &tasks) const
{
    for (const QString &task : tasks) {
        const QString day = task.section(u' ', 0, 0);
        const QString title = task.section(u' ', 2);
        dir.insert({day == QLatin1String("-") ? QString() : day, task.section(u' ', 1, 1), title,
                    QStringLiteral("/rec/%1.mp3").arg(title), QStringLiteral("5400"),
                    QStringLiteral("0 天 1 小时 30 分钟 0 秒 之后")});
    }
}

void EditorTestKit::act(QString steps)
{
    using Kit = EditorTestKit;
    static const QHash<QString, Step> verbs{
        {"start", [](Kit &kit, const QString &texts) { enter(kit, 0, texts.split(u',')); }},
        {"length", [](Kit &kit, const QString &texts) { enter(kit, 6, texts.split(u',')); }},
        {"up", [](Kit &kit, const QString &) { QTest::keyClick(kit.find<QWidget>("DBGrid1"), Qt::Key_Up); }},
        {"escape", [](Kit &kit, const QString &) { QTest::keyClick(kit.editor(), Qt::Key_Escape); }},
        {"yes", [](Kit &kit, const QString &) { kit.services.boxes.queueAnswer(MessageAnswer::Yes); }},
        {"no", [](Kit &kit, const QString &) { kit.services.boxes.queueAnswer(MessageAnswer::No); }},
        {"file", [](Kit &kit, const QString &path) { kit.services.fileDialog.queueAnswer(path); }},
        {"enable", [](Kit &kit, const QString &name) { kit.find<QWidget>(qPrintable(name))->setEnabled(true); }},
        {"unload", [](Kit &kit, const QString &) { kit.editor()->unload(); }},
        {"load", [](Kit &kit, const QString &) { QVERIFY(kit.load()); }},
        {"insert", [](Kit &kit, const QString &task) { kit.insert({task}); }},
        {"task", [](Kit &kit, const QString &row) {
             QStringList fields = row.split(u'|');
             for (QString &field : fields)
                 field = field.isEmpty() ? QString() : field;
             kit.dir.insert({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
         }},
        {"sql", [](Kit &kit, const QString &statement) { kit.dir.exec(statement); }},
        {"clock", [](Kit &kit, const QString &now) { kit.services.clock.set(QDateTime::fromString(now, Qt::ISODate)); }},
        {"touch", [](Kit &, const QString &path) {
             QFile file(path);
             QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x"));
         }},
        {"snapshot", [](Kit &kit, const QString &) {
             kit.m_snapshot = kit.dir.rows();
             kit.m_entry = kit.state("lists") + kit.state("boxes") + kit.state("layout") + kit.state("mode");
         }},
        {"row", [](Kit &kit, const QString &row) {
             kit.editor()->show();
             QVERIFY(QTest::qWaitForWindowExposed(kit.editor()));
             const auto *grid = kit.find<QTableView>("DBGrid1");
             QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(kit.model()->index(row.toInt(), 2)).center());
         }}};
    for (const QString &step : steps.replace(QStringLiteral("<dir>"), dir.path()).split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const QString verb = step.section(u' ', 0, 0);
        const QByteArray name = step.section(u'=', 0, 0).toLatin1();
        if (verb.startsWith(u'?'))
            QTRY_VERIFY2(state(verb.mid(1)) == step.section(u' ', 1), qPrintable(step + "\n   but: " + state(verb.mid(1))));
        else if (step.contains(u'=') && !name.contains(' ') && name.startsWith("Combo"))
            list(name)->setEditText(step.section(u'=', 1));
        else if (step.contains(u'=') && !name.contains(' '))
            find<QLineEdit>(name)->setText(step.section(u'=', 1));
        else if (verbs.contains(verb))
            verbs[verb](*this, step.section(u' ', 1));
        else
            QTest::mouseClick(find<QAbstractButton>(qPrintable(step)), Qt::LeftButton);
    }
}

QString EditorTestKit::iso(const QString &shown) const
{
    const QDate date = services.texts.readDate(shown);
    const QTime time = services.texts.readTime(shown);
    return date.isValid() ? date.toString(Qt::ISODate) : time.isValid() ? time.toString(Qt::ISODate) : shown;
}

QString EditorTestKit::state(const QString &facet) const
{
    QStringList parts;
    const auto is = [&facet](const char *name) { return facet == QLatin1String(name); };
    if (is("layout")) {
        QStringList enabled;
        for (const QString &name : Shown) {
            if (find<QWidget>(qPrintable(name))->isVisibleTo(editor()))
                parts << name;
        }
        for (const QString &name : Enabled) {
            if (find<QWidget>(qPrintable(name))->isEnabled())
                enabled << name;
        }
        const QString layout = parts.join(u' ') + "; " + enabled.join(u' ');
        return Layouts.value(layout, layout);
    }
    if (is("mode"))
        return QStringList{"browsing", "adding", "editing"}.at(int(rows().editMode()));
    if (is("current") || is("format"))
        return QString::number(is("format") ? int(OutputFormatIndex) : rows().currentIndex());
    if (is("window"))
        return editor()->isUnloaded() ? "unloaded" : editor()->isVisible() ? "shown" : "hidden";
    if (is("kept") || is("untouched"))
        return yes(is("kept") ? dir.rows() == m_snapshot : state("lists") + state("boxes") + state("layout") + state("mode") == m_entry);
    if (is("lists")) {
        for (const char *name : EntryLists) {
            const QComboBox *shown = list(name);
            const bool entry = shown->currentIndex() >= 0 && shown->currentText() == shown->itemText(shown->currentIndex());
            parts << shown->currentText() + (entry ? "" : "*");
        }
        return parts.join(u',');
    }
    if (is("boxes")) {
        for (const char *name : Boxes)
            parts << state(name);
        return parts.join(u'|');
    }
    if (is("grid") || is("stored") || is("tasks") || is("files")) {
        for (int row = 0; is("grid") && row < model()->rowCount(); ++row)
            parts << model()->index(row, 2).data().toString();
        for (const QStringList &row : is("grid") ? QList<QStringList>() : dir.rows())
            parts << (is("tasks") ? row.mid(0, 3).join(u' ') : row.at(is("files") ? 3 : 2));
        return parts.join(u',');
    }
    if (is("marked") || is("selected")) {
        const QString marker = QString::fromUtf8(CursorTableModel::CurrentRowMarker);
        for (int row = 0; row < model()->rowCount(); ++row) {
            if (is("marked") ? model()->headerData(row, Qt::Vertical).toString() == marker
                             : find<QTableView>("DBGrid1")->selectionModel()->isRowSelected(row))
                parts << QString::number(row);
        }
        return parts.isEmpty() ? QStringLiteral("none") : parts.join(u',');
    }
    if (is("messages")) {
        const char *const icons[] = {"None", "Information", "Warning", "Critical", "Question"};
        for (const ScriptedMessageBoxes::Box &box : services.boxes.boxes()) {
            const char *buttons = box.buttons == MessageButtons::YesNo ? "YesNo" : "Ok";
            parts << QStringLiteral("%1 | %2 | %3 | %4").arg(box.title, box.text, buttons, icons[int(box.icon)]);
        }
        return parts.join(u'\n');
    }
    if (is("dialog") || is("dialogtext")) {
        for (const ScriptedFileDialog::Showing &shown : services.fileDialog.showings())
            parts << (is("dialog") ? QString::number(shown.selectedType) : shown.title + ": " + shown.fileTypes.join(", "));
        return is("dialog") ? parts.join(u',') : parts.value(parts.size() - 1);
    }
    const bool dated = facet.contains(QLatin1String("Date")) || facet.contains(QLatin1String("Time"));
    if (const auto *box = editor() ? editor()->findChild<QLineEdit *>(facet) : nullptr)
        return dated ? iso(box->text()) : box->text();
    if (const auto *option = editor() ? editor()->findChild<QRadioButton *>(facet) : nullptr)
        return option->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    const auto *label = scheduler->findChild<QLabel *>(facet);
    return !label ? QStringLiteral("<no %1>").arg(facet) : dated ? iso(label->text()) : label->text();
}
