#pragma once

#include "AddSchedule.h"
#include "CursorTableModel.h"
#include "RecordCursor.h"
#include "Scheduler.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <memory>

// A fresh store, the main window over it and its task editor; without the control, an action fails, a reading says <no NAME>.
class EditorTestKit
{
public:
    EditorTestKit() : scheduler(std::make_unique<Scheduler>(services.forDir(dir))) {}
    ~EditorTestKit() { held.reset(); } // before the main window that it belongs to

    TestServices services;
    TestAppDir dir;
    std::unique_ptr<Scheduler> scheduler;
    std::unique_ptr<TaskEditor> held;

    // The one place that makes the editor: loads it as the main window does; nullptr when it did not load.
    AddSchedule *load() { held = AddSchedule::load(*scheduler, services.windowsForDir(dir)); return editor(); }
    AddSchedule *editor() const { return dynamic_cast<AddSchedule *>(held.get()); }
    template<typename Control>
    Control *find(const char *name) const { return editor() ? editor()->findChild<Control *>(QLatin1String(name)) : nullptr; }
    CursorTableModel *model() const;
    ResultSet *rows() const { return find<RecordCursor>("Data1") ? &find<RecordCursor>("Data1")->recordset() : nullptr; }

    // Clicks a button, an option or a check box; types into a box, an entry list, a number or a date box; picks a list's entry.
    bool click(const char *name) const;
    bool type(const char *name, const QString &text) const;
    bool pick(const char *name, int entry) const;
    // Month, day, year, hour, minute and second; days, hours, minutes and seconds.
    bool typeStart(const QStringList &texts) const { return typeLists(0, texts); }
    bool typeLength(const QStringList &texts) const { return typeLists(6, texts); }
    // Shows the editor and clicks a row of the grid.
    bool clickRow(int row) const;

    // A box's, a list's or a main window label's text (dates and times as ISO), an option's checked or unchecked.
    QString text(const char *name) const;
    // The entry lists, month to second, then days to seconds; a text that is not the list's entry ends in '*'.
    QStringList lists() const;
    QStringList boxes() const;
    // "entry", "browsing" or "tasks" (with tasks), else the controls shown and enabled; then the cursor's mode.
    QString layout() const;
    int current() const { return rows() ? rows()->currentIndex() : -2; }
    QStringList grid() const;
    // The grid's rows that carry the marker, or that are selected.
    QList<int> marked(bool selected = false) const;
    // These fields of each stored task, in start order, "date time title" by default.
    QStringList stored(int first = 0, int count = 3) const;
    // "title | text | buttons | icon" of each message box, then " | informative text" when there is one.
    QStringList messages() const;
    QString window() const;
    // The source list's text and the line below it, and whether it is open to change.
    QString source() const;

private:
    bool typeLists(int first, const QStringList &texts) const;
};
