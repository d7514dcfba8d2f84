#include "Scheduler.h"

#include "BoundViews.h"
#include "FormControls.h"
#include "MessageBoxes.h"
#include "RecordCursor.h"
#include "ScheduleFields.h"
#include "StoreConnection.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

using namespace FormControls;

namespace {

constexpr int ClientWidthTwips = 5280;
constexpr int ClientHeightTwips = 3780;
constexpr int TopOffsetTwips = 500;

} // namespace

Scheduler::Scheduler(const Services &services, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_services(services)
    , m_data1(new RecordCursor(this))
    , m_boundViews(new BoundViews(m_data1, services.dateTimeText, this))
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

    connect(m_cmdExit, &QPushButton::clicked, this, &Scheduler::CmdExit_Click);
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

    // Never shown: it only carries the stop length to the monitor.
    m_lblParamarRec = addLabel(this, "LblParamarRec", 360, 3240, 1095, 255);
    m_lblParamarRec->hide();

    m_cmdViewRec = addButton(this, "CmdViewRec", 1920, 3240, 1815, 375, QStringLiteral("编辑录音计划"));
    m_cmdExit = addButton(this, "CmdExit", 3960, 3240, 1095, 375, QStringLiteral("退出"));

    // Below the visible area: never seen, but Command1 can still be reached with the keyboard.
    m_command1 = addButton(this, "Command1", 4440, 4920, 615, 375, QStringLiteral("Command1"));
    m_dbGrid1 = new QTableView(this);
    place(m_dbGrid1, "DBGrid1", 120, 4920, 4335, 1215);
}

QString Scheduler::storePath() const
{
    return QDir(m_services.applicationDirectory).filePath(QStringLiteral("AddSchedule.mdb"));
}

StoreError Scheduler::Form_Load()
{
    const QRect screenArea = screen()->geometry();
    const int top = twipsRect(0, TopOffsetTwips, 0, 0).top();
    move(screenArea.left() + (screenArea.width() - width()) / 2, screenArea.top() + top);

    StoreError error;
    auto connection = StoreConnection::open(storePath(), &error);
    if (!connection)
        return error;
    auto table = connection->openRecordset(ScheduleFields::Table, &error);
    if (!table)
        return error;
    m_data1->attach(std::move(table));

    const ResultSet &rows = m_data1->recordset();
    if (!(rows.bof() && rows.eof()))
        return read_recorder();
    return {};
}

StoreError Scheduler::read_recorder()
{
    StoreError error;
    auto connection = StoreConnection::open(storePath(), &error);
    if (!connection)
        return error;
    auto ordered = connection->openRecordset(ScheduleFields::OrderedQuery, &error);
    if (!ordered)
        return error;
    m_data1->attach(std::move(ordered));
    if ((error = m_data1->refresh()))
        return error;

    ResultSet &rows = m_data1->recordset();
    if (m_lblDateRec->text().isEmpty() && !rows.bof() && !rows.eof()) {
        // A task without a start date can never be due; remove it, and show the task
        // behind it so that it is not held up until the next re-read.
        if (!rows.deleteRow())
            rows.moveNext();
    }
    return {};
}

void Scheduler::closeEvent(QCloseEvent *event)
{
    if (Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

bool Scheduler::Form_QueryUnload()
{
    return m_services.messageBoxes.show(this, QStringLiteral("退出录音计划吗?"), QString::fromUtf8(ApplicationTitle),
                                        MessageButtons::YesNo, MessageIcon::Question)
           == MessageAnswer::Yes;
}

void Scheduler::CmdExit_Click()
{
    close();
}
