#pragma once

#include "AddSchedule.h"
#include "RecordCursor.h"
#include "Scheduler.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <functional>
#include <initializer_list>
#include <memory>

// A fresh application directory, the main window over it and, once loaded, its task editor.
// The main window loads no editor of its own unless asked to, so each test decides when the editor loads.
class EditorTestKit
{
public:
    explicit EditorTestKit(bool mainWindowLoadsEditor = false);
    ~EditorTestKit();

    TestServices services;
    TestAppDir dir;
    std::unique_ptr<Scheduler> scheduler;
    std::unique_ptr<TaskEditor> held;

    // Loads the editor as the main window does and holds it; nullptr when it did not load.
    AddSchedule *load();
    // The editor this kit loaded, or else the one that the main window holds.
    AddSchedule *editor() const;

    // A control of the editor by its name; a missing one ends the test run.
    template<typename Control>
    Control *find(const char *name) const
    {
        auto *control = editorOrFail()->findChild<Control *>(QString::fromLatin1(name));
        if (!control)
            qFatal("the editor has no %s", name);
        return control;
    }

    QComboBox *list(const char *name) const { return find<QComboBox>(name); }
    QLineEdit *box(const char *name) const { return find<QLineEdit>(name); }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    QTableView *grid() const { return find<QTableView>("DBGrid1"); }
    RecordCursor *data1() const;

    void click(const char *name) const;
    // Shows the editor and clicks the grid row, as the user picks a task.
    void showAndClickRow(int row) const;
    QStringList listTexts(std::initializer_list<const char *> names) const;
    QStringList gridColumn(int column) const;
    // Each box shown so far as "title | text | buttons | icon".
    QStringList messages() const;
    QString mainLabel(const char *name) const;

    // Types the texts into the lists, as the user would after picking or typing.
    void enterStart(const QString &month, const QString &day, const QString &year, const QString &hour,
                    const QString &minute, const QString &second) const;
    void enterLength(const QString &days, const QString &hours, const QString &minutes, const QString &seconds) const;

    // Clicks CmdViewRec of the main window and runs the work while the editor is shown modally;
    // the editor is closed afterwards if the work left it open, so a failing check cannot hang the test.
    void whileShown(const std::function<void(AddSchedule &)> &work);

    static TestAppDir::Row task(const QString &date, const QString &time, const QString &program);

private:
    AddSchedule *editorOrFail() const;
};
