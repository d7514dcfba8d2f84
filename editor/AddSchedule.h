#pragma once

#include "EditorControls.h"
#include "EditorEntryLists.h"
#include "SeriesPlans.h"
#include "StoreError.h"
#include "TaskEditor.h"
#include "WindowServices.h"

#include <QDialog>

#include <memory>

class BoundViews;
class MainWindowLink;
class RecordCursor;
class SourceChoice;
class StoreConnection;

// The task editor window: all tasks in start order, the current one in bound boxes, and the
// entry, change and deletion of tasks. Each load opens the store afresh; each unload brings the
// main window up to date.
class AddSchedule : public QDialog, public TaskEditor
{
    Q_OBJECT

public:
    AddSchedule(MainWindowLink &mainWindow, const WindowServices &services);
    ~AddSchedule() override;

    // Makes and loads an editor for the main window; nullptr, after telling the user, when the
    // store cannot be opened or read.
    static std::unique_ptr<TaskEditor> load(MainWindowLink &mainWindow, const WindowServices &services);

    AfterShowing showModal() override;
    void unload() override;

    // The window's handlers and procedures, as the buttons and the main window run them.
    StoreError Form_Load();
    void CmdAdd_Click();
    void CmdEdit_Click();
    void CmdDelete_Click();
    void CmdSkip_Click();
    void CmdUpdate_Click();
    void CmdCancel_Click();
    void CmdExit_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void chooseFile_Click();
    void hide_addschedule();

    bool isUnloaded() const { return m_unloaded; }

    static constexpr auto Caption = "编辑计划";
    static constexpr auto NoTaskMessage = "   当前未录音!";
    static constexpr auto FilenameMessage = "Please enter data for program title and filename field";
    static constexpr auto LengthMessage = "您必须首先设置自动停止录音选项!";
    static constexpr auto TitleMessage = "'Program Title:' Field cann't be blank!";
    static constexpr auto LostEntryMessage =
        "Record cannot be created/edited.Please load form again.Click OK to exit Task Editor.";
    static constexpr auto LostEntryTitle = "User Guide";
    static constexpr auto UpdateErrorTitle = "Error in Update";
    static constexpr auto NoTasksMessage = "目前没有计划任务, 请先添加!";
    static constexpr auto NothingToEditMessage = "没有录音可供编辑.";
    static constexpr auto DeleteQuestion = "删除本次录音吗?";
    static constexpr auto DeleteTitle = "删除录音";
    static constexpr auto SeriesDeleteText = "这是重复计划: 将删除整个系列 (以后的各次录音).";
    static constexpr auto LastOccurrenceQuestion = "这个重复计划没有以后的录音了, 删除它吗?";
    static constexpr auto NewerStoreMessage = "计划数据库来自较新版本的程序, 无法保存重复计划.";
    static constexpr auto NothingToDeleteMessage = "没有录音可供删除.";
    static constexpr auto FileDialogTitle = "保存";
    static constexpr auto ReplaceQuestion = "文件已存在, 您希望替换它吗?";
    static constexpr auto ReplaceTitle = "Wavesmith";

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showCurrentTaskTexts();
    StoreError copyCurrentTaskTexts();
    // Browsing shows the bound boxes; entry shows the lists and enables saving and cancelling.
    enum class Layout { Browsing, Entry };
    void setLayout(Layout layout);
    void enableTaskButtons();
    void showTaskInLists();
    void showCurrentTaskAgain();
    StoreError deleteCurrentTask();
    // The current task's plan as stored, and the repeat group showing it.
    std::optional<SeriesPlan> currentPlan();
    void showCurrentRepeat();
    StoreError skipTo(const SeriesPlan &plan, QDate next);
    void chooseFormat(int position);
    QString ShowDialog(const QString &title);
    StoreError writeEntry(int totalSeconds);
    void reportUpdateError(const StoreError &error);
    StoreError requery();
    void Form_Unload();
    void dropPendingEntry();
    void tell(const QString &text, const QString &title);
    bool confirmed(const QString &question, const QString &title, const QString &informativeText = {});
    QWidget *messageParent();

    MainWindowLink &m_mainWindow;
    WindowServices m_services;
    QString m_databasePath;
    std::shared_ptr<StoreConnection> m_database;
    // The store's version as the listed tasks were read.
    qint64 m_listedVersion = -1;
    RecordCursor *m_data1;
    BoundViews *m_boundViews;
    EditorControls m_controls;
    EditorEntryLists m_lists;
    // Whether the current task is a series that can move on to its next occurrence.
    bool m_skippable = false;
    SourceChoice *m_source;
    bool m_inModalLoop = false;
    bool m_unloaded = false;
};
