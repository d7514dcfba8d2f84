#pragma once

#include "StoreError.h"

#include <QString>
#include <QWidget>

class BoundViews;
class DateTimeText;
class MessageBoxes;
class QLabel;
class QPushButton;
class QTableView;
class RecordCursor;

// The main window: the clock, the next task due, and the way into the task editor.
class Scheduler : public QWidget
{
    Q_OBJECT

public:
    // Everything the window needs from outside.
    struct Services
    {
        QString applicationDirectory;
        MessageBoxes &messageBoxes;
        const DateTimeText &dateTimeText;
    };

    explicit Scheduler(const Services &services, QWidget *parent = nullptr);
    ~Scheduler() override;

    static constexpr auto Caption = "Quillsound 计划";
    static constexpr auto ApplicationTitle = "QuillScheduler";

    // Places the window and opens the store; an error means the window cannot work.
    StoreError Form_Load();
    // Re-reads the tasks in start order and removes a first task that has no start date.
    StoreError read_recorder();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    QString storePath() const;
    bool Form_QueryUnload();
    void CmdExit_Click();

    Services m_services;
    RecordCursor *m_data1;
    BoundViews *m_boundViews;

    QLabel *m_lblCurrentTime = nullptr;
    QLabel *m_lblCurrentDate = nullptr;
    QLabel *m_lblDateRec = nullptr;
    QLabel *m_lblStartTimeRec = nullptr;
    QLabel *m_lblEndTimeRec = nullptr;
    QLabel *m_lblProgramRec = nullptr;
    QLabel *m_lblFilenameRec = nullptr;
    QLabel *m_lblParamarRec = nullptr;
    QPushButton *m_cmdViewRec = nullptr;
    QPushButton *m_cmdExit = nullptr;
    QPushButton *m_command1 = nullptr;
    QTableView *m_dbGrid1 = nullptr;
};
