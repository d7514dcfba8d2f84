#pragma once

#include "AddSchedule.h"
#include "CursorTableModel.h"
#include "RecordCursor.h"
#include "ResultSet.h"
#include "Scheduler.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableView>

#include <memory>

// A fresh application directory, the main window over it and, once loaded, its task editor.
// The main window loads no editor of its own, so each test decides when the editor loads.
class EditorTestKit
{
public:
    EditorTestKit();
    ~EditorTestKit();

    TestServices services;
    TestAppDir dir;
    std::unique_ptr<Scheduler> scheduler;
    std::unique_ptr<TaskEditor> held;

    // Loads the editor as the main window does and holds it; nullptr when it did not load.
    AddSchedule *load();
    // The editor this kit loaded.
    AddSchedule *editor() const;

    // A control of the editor by its name; a missing one ends the test run.
    template<typename Control>
    Control *find(const char *name) const
    {
        auto *control = editor() ? editor()->findChild<Control *>(QString::fromLatin1(name)) : nullptr;
        if (!control)
            qFatal("the editor has no %s", name);
        return control;
    }
    QComboBox *list(const char *name) const { return find<QComboBox>(name); }
    CursorTableModel *model() const { return qobject_cast<CursorTableModel *>(find<QTableView>("DBGrid1")->model()); }
    ResultSet &rows() const { return find<RecordCursor>("Data1")->recordset(); }

    // Each task "date time title", '-' for no date, with file /rec/<title>.mp3 and 5400 seconds.
    void insert(const QStringList &tasks) const;
    // Runs steps split by "; ". Name clicks a button or option; Name=text types into a list or box; "start m,d,y,h,m,s"
    // and "length d,h,m,s" type into the lists; "row N" shows the editor and clicks a grid row; up and escape press
    // the key; yes and no answer the next question; "file PATH" the next file dialog; "enable Name"; unload, load;
    // "insert TASK"; "task date|time|title|file|seconds|sentence"; "sql TEXT"; "clock ISO"; "touch PATH"; snapshot
    // remembers the store and the entry; "?facet text" checks state(facet). "<dir>" is the application folder.
    void act(QString steps);
    // layout: entry, browsing, tasks (browsing with tasks) or the controls shown and enabled; mode: browsing,
    // adding, editing; lists: month to second, then days to seconds, a text that is not the chosen entry
    // ending in '*'; boxes: date|time|title|file|seconds|sentence, a date or time as ISO text; grid, stored:
    // the titles listed, stored; tasks: each stored "date time title"; files: the files stored; kept,
    // untouched: yes while the store, the entry, are as at the snapshot; current: the cursor's row; marked,
    // selected: the grid's rows; messages: "title | text | buttons | icon" a line each; window: shown, hidden,
    // unloaded; format: the file type; dialog: the type each file dialog offered first; dialogtext: the last
    // one's "title: types"; else a box's or main window label's text (dates and times as ISO), or an option's
    // checked or unchecked.
    QString state(const QString &facet) const;

private:
    QString iso(const QString &shown) const;

    QList<QStringList> m_snapshot;
    QString m_entry;
};
