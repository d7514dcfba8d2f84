#include "Scheduler.h"

#include "BoundViews.h"
#include "ClockTexts.h"
#include "Clock.h"
#include "CursorTableModel.h"
#include "DateTimeText.h"
#include "FormControls.h"
#include "LocalTimeZone.h"
#include "MessageBoxes.h"
#include "RecorderLaunch.h"
#include "RecordCursor.h"
#include "ScheduleMonitor.h"
#include "ScheduleFields.h"
#include "SeriesPlans.h"
#include "SeriesToolTip.h"
#include "StoreConnection.h"
#include "TaskClaims.h"
#include "TaskStore.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>

using namespace FormControls;

namespace {

constexpr int ClientWidthTwips = 5280;
constexpr int ClientHeightTwips = 3780;
constexpr int TopOffsetTwips = 500;
constexpr int TickMs = 100;
// Closing within this long before a task's start warns that it will not record.
constexpr qint64 WarnBeforeStartMs = 24 * 3600 * 1000;

} // namespace

Scheduler::Scheduler(const Services &services, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_services(services)
    , m_data1(new RecordCursor(this))
    , m_boundViews(new BoundViews(m_data1, services.dateTimeText, this))
    , m_timer2(new QTimer(this))
{
    setObjectName(QStringLiteral("Scheduler"));
    setWindowTitle(QString::fromUtf8(Caption));
    m_data1->setObjectName(QStringLiteral("Data1"));
    setFixedSize(twipsRect(0, 0, ClientWidthTwips, ClientHeightTwips).size());
    createControls();

    m_boundViews->bind(m_lblDateRec, ScheduleFields::StartDate);
    m_boundViews->bind(m_lblStartTimeRec, ScheduleFields::StartTime);
    m_boundViews->bind(m_lblProgramRec, ScheduleFields::Program);
    m_boundViews->bind(m_lblFilenameRec, ScheduleFields::Filename);
    m_boundViews->bind(m_lblParamarRec, ScheduleFields::Parameter);
    m_boundViews->bind(m_lblEndTimeRec, ScheduleFields::RecordLength);

    // Queued: the row changes as a task fires, and its recorder is not to wait for this look-up.
    connect(m_data1, &RecordCursor::currentRowChanged, this, &Scheduler::showRepeat, Qt::QueuedConnection);

    connect(m_cmdExit, &QPushButton::clicked, this, &Scheduler::CmdExit_Click);
    connect(m_cmdViewRec, &QPushButton::clicked, this, &Scheduler::CmdViewRec_Click);
    connect(m_command1, &QPushButton::clicked, this, &Scheduler::Command1_Click);

    // Each tick is set for the next tenth of a second on the wall clock; a tick that meets a
    // task's second wakes just before it and waits out the rest, so that the task fires within a
    // millisecond after its second begins.
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setSingleShot(true);
    m_timer2->setTimerType(Qt::PreciseTimer);
    connect(m_timer2, &QTimer::timeout, this, [this] {
        if (m_awaitedStartMs && m_services.clock.now().toMSecsSinceEpoch() < *m_awaitedStartMs) {
            m_timer2->start(0);
            return;
        }
        Timer2_Timer();
        scheduleNextTick();
    });
}

Scheduler::~Scheduler() = default;

void Scheduler::createControls()
{
    auto *frameCurrentTime = addFrame(this, "FrameCurrentTime", 120, 0, 5055, 615, QStringLiteral("当前时间"));
    addLabel(frameCurrentTime, "LbltimeNowIs", 120, 240, 615, 255, QStringLiteral("时间 :"));
    m_lblCurrentTime = addLabel(frameCurrentTime, "lblCurrentTime", 720, 240, 1215, 255, QStringLiteral("当前时间"));
    addLabel(frameCurrentTime, "lbldateNowIs", 2760, 240, 495, 255, QStringLiteral("日期 :"));
    m_lblCurrentDate = addLabel(frameCurrentTime, "lblCurrentDate", 3360, 240, 1215, 255, QStringLiteral("当前日期 :"));

    auto *frameScheduled = addFrame(this, "FrameScheduled", 120, 720, 5055, 2295, QStringLiteral("下一个计划任务"));
    addLabel(frameScheduled, "LblDate", 120, 360, 1095, 255, QStringLiteral("启动日期:"));
    m_lblDateRec = addLabel(frameScheduled, "LblDateRec", 1440, 360, 3375, 255);
    addLabel(frameScheduled, "LblTime", 120, 720, 1095, 255, QStringLiteral("启动时间 :"));
    m_lblStartTimeRec = addLabel(frameScheduled, "LblStartTimeRec", 1440, 720, 3375, 255);
    addLabel(frameScheduled, "Lblto", 120, 1080, 1215, 255, QStringLiteral("录音长度 :"));
    m_lblEndTimeRec = addLabel(frameScheduled, "LblEndTimeRec", 1440, 1080, 3375, 255);
    addLabel(frameScheduled, "LblProgram", 120, 1440, 1095, 255, QStringLiteral("计划名称 :"));
    m_lblProgramRec = addLabel(frameScheduled, "LblProgramRec", 1440, 1440, 3375, 255);
    addLabel(frameScheduled, "Lblfilename", 120, 1800, 1095, 255, QStringLiteral("文件名 :"));
    m_lblFilenameRec = addLabel(frameScheduled, "LblFilenameRec", 1440, 1800, 3495, 255);
    // In the frame's last free line, so that nothing else moves.
    m_lblRepeatRec = addLabel(frameScheduled, "LblRepeatRec", 1440, 2055, 3495, 210);

    // Never shown: it only carries the stop length to the monitor.
    m_lblParamarRec = addLabel(this, "LblParamarRec", 360, 3240, 1095, 255);
    m_lblParamarRec->hide();

    m_lblCountdown = addLabel(this, "LblCountdown", 120, 3300, 1695, 255);

    m_cmdViewRec = addButton(this, "CmdViewRec", 1920, 3240, 1815, 375, QStringLiteral("编辑录音计划"));
    m_cmdExit = addButton(this, "CmdExit", 3960, 3240, 1095, 375, QStringLiteral("退出"));

    // Below the visible area: never seen, but Command1 can still be reached with the keyboard.
    m_command1 = addButton(this, "Command1", 4440, 4920, 615, 375, QStringLiteral("Command1"));
    m_dbGrid1 = new QTableView(this);
    m_dbGrid1->setModel(new CursorTableModel(m_data1, m_services.dateTimeText, m_services.clock, m_services.timeZone,
                                             m_dbGrid1));
    place(m_dbGrid1, "DBGrid1", 120, 4920, 4335, 1215);
}

QString Scheduler::storePath() const
{
    return m_services.storePath();
}

StoreError Scheduler::Form_Load()
{
    const QRect screenArea = screen()->geometry();
    const int top = twipsRect(0, TopOffsetTwips, 0, 0).top();
    move(screenArea.left() + (screenArea.width() - width()) / 2, screenArea.top() + top);

    StoreError error;
    auto connection = StoreConnection::open(storePath(), &error, StartupLockWaitMs);
    if (!connection)
        return error;
    // Fired tasks could not be removed from a store that cannot be written, and would fire again.
    if ((error = connection->checkWritable()))
        return error;
    if ((error = SeriesPlans::upgrade(*connection)))
        return error;
    auto claims = TaskClaims::open(storePath(), &error, StartupLockWaitMs);
    if (!claims)
        return error;
    auto unread = connection->openRecordset(ScheduleFields::OrderedQuery, &error);
    if (!unread)
        return error;
    m_data1->attach(std::move(unread));

    m_monitor = new ScheduleMonitor({*m_data1, m_services.clock, m_services.timeZone, m_services.recorder,
                                     QDir(m_services.applicationDirectory).filePath(QStringLiteral("quillsnd.exe")),
                                     [this] { return read_recorder(); }, m_services.notices,
                                     m_services.sleepInhibitor},
                                    std::move(claims), this);
    connect(m_monitor, &ScheduleMonitor::nextTaskChanged, this, qOverload<>(&QWidget::update));
    // A series whose row went while the program was off gets it back once the window shows.
    QTimer::singleShot(0, m_monitor, [this] {
        if (m_monitor->resumeSeries())
            read_recorder();
    });
    // The list is read once, below, and only when there is a task to read.
    bool anyTask = false;
    if ((error = TaskStore(connection).hasTasks(&anyTask)))
        return error;
    if (!anyTask) {
        scheduleNextTick();
        return {};
    }
    if ((error = reread(StartupLockWaitMs)))
        return error;
    // Armed once the first task is known, so that the first tick already meets its second.
    scheduleNextTick();
    // Loaded hidden once the main window shows, so that the window is not kept waiting for it.
    QTimer::singleShot(0, this, [this] {
        if (!m_editor && m_services.loadEditor)
            m_editor = m_services.loadEditor(*this);
    });
    return {};
}

StoreError Scheduler::read_recorder()
{
    // Never waits for a lock, so that no tick waits; the monitor reads again a second later.
    const StoreError error = reread(0);
    if (error && m_monitor)
        m_monitor->rereadLater();
    return error;
}

StoreError Scheduler::reread(int lockWaitMs)
{
    StoreError error;
    auto connection = StoreConnection::open(storePath(), &error, lockWaitMs);
    if (!connection)
        return error;
    auto ordered = connection->openRecordset(ScheduleFields::OrderedQuery, &error);
    if (!ordered)
        return error;
    m_data1->attach(std::move(ordered));
    if ((error = m_data1->refresh()))
        return error;

    ResultSet &rows = m_data1->recordset();
    const std::optional<Task> first = rows.currentTask();
    if (first && first->text(ScheduleFields::Field::StartDate).isEmpty()) {
        // A task without a start date can never be due; remove it, and show the task
        // behind it so that it is not held up until the next re-read.
        if (!rows.deleteRow())
            rows.moveNext();
    }
    return {};
}

void Scheduler::showRepeat()
{
    const std::optional<SeriesPlan> plan = m_data1->isAttached() ? m_data1->recordset().currentPlan() : std::nullopt;
    m_lblRepeatRec->setText(plan && plan->repeats() ? QStringLiteral("重复: ") + SeriesToolTip::words(*plan) : QString());
}

void Scheduler::waitForOwnClaims()
{
    if (m_monitor)
        m_monitor->waitUntilClaimsSettled();
}

void Scheduler::setNextTaskCaption(NextTaskLabel label, const QString &text)
{
    switch (label) {
    case NextTaskLabel::StartTime:
        m_lblStartTimeRec->setText(text);
        break;
    case NextTaskLabel::StartDate:
        m_lblDateRec->setText(text);
        break;
    case NextTaskLabel::Program:
        m_lblProgramRec->setText(text);
        break;
    case NextTaskLabel::Filename:
        m_lblFilenameRec->setText(text);
        break;
    case NextTaskLabel::Parameter:
        m_lblParamarRec->setText(text);
        break;
    }
}

void Scheduler::scheduleNextTick()
{
    const qint64 nowMs = m_services.clock.now().toMSecsSinceEpoch();
    const qint64 untilTenthMs = TickMs - nowMs % TickMs;
    const std::optional<qint64> start = m_monitor ? m_monitor->shownStartMsecs() : std::nullopt;
    m_awaitedStartMs.reset();
    // The clock's milliseconds are cut, not rounded: the wait may be up to one longer than it says.
    if (start && *start > nowMs && *start - nowMs <= untilTenthMs) {
        m_awaitedStartMs = start;
        m_timer2->start(int(*start - nowMs - 1));
        return;
    }
    m_timer2->start(int(untilTenthMs));
}

void Scheduler::Timer2_Timer()
{
    const QDateTime now = m_services.clock.now();
    m_lblCurrentTime->setText(m_services.dateTimeText.timeText(now.time()));
    m_lblCurrentDate->setText(m_services.dateTimeText.dateText(now.date()));
    if (!m_monitor)
        return;
    m_monitor->tick(now);
    m_lblCountdown->setText(countdownText(now));
}

QString Scheduler::countdownText(const QDateTime &now) const
{
    if (const std::optional<qint64> start = m_monitor->shownStartMsecs())
        return ClockTexts::countdown(*start - now.toMSecsSinceEpoch());
    return m_monitor->onlyMissedLeft() ? QStringLiteral("已错过") : QString();
}

QString Scheduler::lostTaskWarning() const
{
    const std::optional<qint64> start = m_monitor ? m_monitor->shownStartMsecs() : std::nullopt;
    if (!start || *start - m_services.clock.now().toMSecsSinceEpoch() > WarnBeforeStartMs)
        return {};
    return QStringLiteral("«%1» 将于 %2 开始, 退出后不会录音.")
        .arg(m_lblProgramRec->text(), ClockTexts::moment(*start, m_services.timeZone.current()));
}

void Scheduler::closeEvent(QCloseEvent *event)
{
    if (Form_QueryUnload()) {
        m_timer2->stop();
        Form_Unload();
        event->accept();
    } else {
        event->ignore();
    }
}

bool Scheduler::Form_QueryUnload()
{
    return m_services.messageBoxes.show(this, QStringLiteral("退出录音计划吗?"), QString::fromUtf8(ApplicationTitle),
                                        MessageButtons::YesNo, MessageIcon::Question, lostTaskWarning())
           == MessageAnswer::Yes;
}

void Scheduler::Form_Unload()
{
    unloadEditor();
}

void Scheduler::CmdExit_Click()
{
    close();
    // Whatever the answer, a loaded editor is unloaded.
    unloadEditor();
}

void Scheduler::CmdViewRec_Click()
{
    if (!m_editor && m_services.loadEditor)
        m_editor = m_services.loadEditor(*this);
    if (m_editor && m_editor->showModal() == TaskEditor::AfterShowing::Unloaded)
        m_editor.reset();
}

void Scheduler::Command1_Click()
{
    m_services.recorder.pressF12();
}

void Scheduler::unloadEditor()
{
    if (!m_editor)
        return;
    // Dropped first, so that nothing reaches the editor while it unloads.
    const std::unique_ptr<TaskEditor> editor = std::move(m_editor);
    editor->unload();
}
