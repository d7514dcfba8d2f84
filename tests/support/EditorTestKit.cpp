#include "EditorTestKit.h"

#include <QTest>
#include <QtWidgets>

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
    {Shown.mid(0, 11).join(u' ') + " FilenameRec DBGrid1; CmdUpdate CmdCancel CmdExit Option1 Option2 Option3 chooseFile", "entry"}};

QString missing(const char *name) { return QStringLiteral("<no %1>").arg(QLatin1String(name)); }

} // namespace

CursorTableModel *EditorTestKit::model() const
{
    const auto *grid = find<QTableView>("DBGrid1");
    return grid ? qobject_cast<CursorTableModel *>(grid->model()) : nullptr;
}

bool EditorTestKit::click(const char *name) const
{
    auto *button = find<QAbstractButton>(name);
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
    return button;
}

bool EditorTestKit::type(const char *name, const QString &text) const
{
    if (auto *list = find<QComboBox>(name))
        list->setEditText(text);
    else if (auto *box = find<QLineEdit>(name))
        box->setText(text);
    else if (auto *number = find<QSpinBox>(name))
        number->setValue(text.toInt());
    else if (auto *date = find<QDateEdit>(name))
        date->setDate(QDate::fromString(text, Qt::ISODate));
    return find<QComboBox>(name) || find<QLineEdit>(name) || find<QSpinBox>(name) || find<QDateEdit>(name);
}

bool EditorTestKit::pick(const char *name, int entry) const
{
    auto *list = find<QComboBox>(name);
    if (list)
        list->setCurrentIndex(entry);
    return list && list->currentIndex() == entry;
}

bool EditorTestKit::typeLists(int first, const QStringList &texts) const
{
    bool typed = true;
    for (int i = 0; i < texts.size(); ++i)
        typed = type(EntryLists[first + i], texts.at(i)) && typed;
    return typed;
}

bool EditorTestKit::clickRow(int row) const
{
    const auto *grid = find<QTableView>("DBGrid1");
    if (!grid || !model())
        return false;
    editor()->show();
    if (!QTest::qWaitForWindowExposed(editor()))
        return false;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(model()->index(row, 2)).center());
    return true;
}

QString EditorTestKit::text(const char *name) const
{
    if (const auto *option = find<QRadioButton>(name))
        return option->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked");
    if (const auto *list = find<QComboBox>(name))
        return list->currentText();
    const auto *box = find<QLineEdit>(name);
    const auto *label = scheduler->findChild<QLabel *>(QLatin1String(name));
    const QString shown = box ? box->text() : label ? label->text() : missing(name);
    const QDate date = services.texts.readDate(shown);
    const QTime time = services.texts.readTime(shown);
    const bool dated = QByteArray(name).contains("Date") || QByteArray(name).contains("Time");
    return !dated ? shown : date.isValid() ? date.toString(Qt::ISODate) : time.isValid() ? time.toString(Qt::ISODate) : shown;
}

QStringList EditorTestKit::lists() const
{
    QStringList texts;
    for (const char *name : EntryLists) {
        const auto *list = find<QComboBox>(name);
        const bool entry = list && list->currentIndex() >= 0 && list->currentText() == list->itemText(list->currentIndex());
        texts << (!list ? missing(name) : list->currentText() + (entry ? "" : "*"));
    }
    return texts;
}

QStringList EditorTestKit::boxes() const
{
    QStringList texts;
    for (const char *name : Boxes)
        texts << text(name);
    return texts;
}

QString EditorTestKit::layout() const
{
    QStringList shown, enabled;
    for (const QString &name : Shown + Enabled) {
        const auto *control = find<QWidget>(qPrintable(name));
        if (!Enabled.contains(name) && (!control || control->isVisibleTo(editor())))
            shown << name;
        else if (Enabled.contains(name) && (!control || control->isEnabled()))
            enabled << name;
    }
    const QString layout = shown.join(u' ') + "; " + enabled.join(u' ');
    const QString mode = rows() ? QStringList{"browsing", "adding", "editing"}.at(int(rows()->editMode())) : missing("Data1");
    return Layouts.value(layout, layout) + ' ' + mode;
}

QStringList EditorTestKit::grid() const
{
    QStringList titles;
    for (int row = 0; model() && row < model()->rowCount(); ++row)
        titles << model()->index(row, 2).data().toString();
    return model() ? titles : QStringList{missing("DBGrid1")};
}

QList<int> EditorTestKit::marked(bool selected) const
{
    QList<int> rows;
    const auto *grid = find<QTableView>("DBGrid1");
    for (int row = 0; grid && row < model()->rowCount(); ++row) {
        if (selected ? grid->selectionModel()->isRowSelected(row)
                     : model()->headerData(row, Qt::Vertical).toString() == QString::fromUtf8(CursorTableModel::CurrentRowMarker))
            rows << row;
    }
    return rows;
}

QStringList EditorTestKit::stored(int first, int count) const
{
    QStringList texts;
    for (const QStringList &row : dir.rows())
        texts << row.mid(first, count).join(u' ');
    return texts;
}

QStringList EditorTestKit::messages() const
{
    const char *const icons[] = {"None", "Information", "Warning", "Critical", "Question"};
    QStringList texts;
    for (const ScriptedMessageBoxes::Box &box : services.boxes.boxes())
        texts << QStringLiteral("%1 | %2 | %3 | %4").arg(box.title, box.text, box.buttons == MessageButtons::YesNo ? "YesNo" : "Ok",
                                                         icons[int(box.icon)])
                     + (box.informativeText.isEmpty() ? QString() : " | " + box.informativeText);
    return texts;
}

QString EditorTestKit::window() const
{
    return !editor() ? missing("editor") : editor()->isUnloaded() ? "unloaded" : editor()->isVisible() ? "shown" : "hidden";
}

QString EditorTestKit::source() const
{
    const auto *list = find<QComboBox>("CboSource");
    const auto *info = find<QLabel>("LblSourceInfo");
    if (!list || !info)
        return missing("CboSource");
    return list->currentText() + " | " + info->text() + (list->isEnabled() ? " | open" : " | shown");
}
