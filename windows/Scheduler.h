#pragma once

#include "MainWindowLink.h"
#include "StoreError.h"
#include "TaskEditor.h"
#include "WindowServices.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class BoundViews;
class DesktopNotices;
class SleepInhibitor;
class RecorderLaunch;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class RecordCursor;
class ScheduleMonitor;

// The main window: the clock, the next task due, and the way into the task editor.
class Scheduler : public QWidget, public MainWindowLink
{
    Q_OBJECT

public:
    // Everything the window needs from outside.
    struct Services : WindowServices
    {
        RecorderLaunch &recorder;
        DesktopNotices &notices;
        SleepInhibitor &sleepInhibitor;
        TaskEditorLoader loadEditor;
    };

    explicit Scheduler(const Services &services, QWidget *parent = nullptr);
    ~Scheduler() override;

    static constexpr auto Caption = "Quillsound 计划";

    // Places the window and opens the store; an error means the window cannot work.
    StoreError Form_Load();
    // Re-reads the tasks in start order and removes a first task that has no start date.
    StoreError read_recorder() override;
    // Another program may hold the store this long at start-up before the user is told.
    static constexpr int StartupLockWaitMs = 10000;
    void setNextTaskCaption(NextTaskLabel label, const QString &text) override;
    QWidget &ownerWindow() override { return *this; }
    // One tick of the monitor: the clock labels, then the next task, fired when it is due.
    void Timer2_Timer();
    const Services &services() const { return m_services; }
    void waitForOwnClaims() override;
    QString storePath() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    bool Form_QueryUnload();
    void Form_Unload();
    void CmdExit_Click();
    void CmdViewRec_Click();
    void Command1_Click();
    void unloadEditor();
    void scheduleNextTick();
    StoreError reread(int lockWaitMs);
    // Says whether the shown task repeats, and how.
    void showRepeat();
    QString countdownText(const QDateTime &now) const;
    QString lostTaskWarning() const;

    Services m_services;
    RecordCursor *m_data1;
    BoundViews *m_boundViews;
    std::unique_ptr<TaskEditor> m_editor;
    QTimer *m_timer2;
    ScheduleMonitor *m_monitor = nullptr;
    // The start of a task that the next tick is to meet.
    std::optional<qint64> m_awaitedStartMs;

    QLabel *m_lblCurrentTime = nullptr;
    QLabel *m_lblCurrentDate = nullptr;
    QLabel *m_lblDateRec = nullptr;
    QLabel *m_lblStartTimeRec = nullptr;
    QLabel *m_lblEndTimeRec = nullptr;
    QLabel *m_lblProgramRec = nullptr;
    QLabel *m_lblFilenameRec = nullptr;
    QLabel *m_lblParamarRec = nullptr;
    QLabel *m_lblCountdown = nullptr;
    QLabel *m_lblRepeatRec = nullptr;
    QPushButton *m_cmdViewRec = nullptr;
    QPushButton *m_cmdExit = nullptr;
    QPushButton *m_command1 = nullptr;
    QTableView *m_dbGrid1 = nullptr;
};
