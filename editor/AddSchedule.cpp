#include "AddSchedule.h"

#include "BoundViews.h"
#include "Clock.h"
#include "DateTimeText.h"
#include "EntryConversion.h"
#include "FileDialog.h"
#include "FieldTexts.h"
#include "FileExistence.h"
#include "FormControls.h"
#include "MessageBoxes.h"
#include "OutputFileName.h"
#include "OutputFormat.h"
#include "RecordCursor.h"
#include "ScheduleFields.h"
#include "Scheduler.h"
#include "StoreConnection.h"
#include "StoredLength.h"
#include "TaskGrid.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <utility>

using namespace FormControls;

namespace {

constexpr int ClientWidthTwips = 5775;
constexpr int ClientHeightTwips = 7230;
constexpr int ListHeight = 315;
constexpr int TextBoxHeight = 285;
constexpr int LabelHeight = 255;
constexpr int ButtonTop = 4560;
constexpr int ButtonWidth = 735;
constexpr int ButtonHeight = 375;

constexpr int FirstListedYear = 2004;
constexpr int LastListedYear = 2011;

// The output formats in the order of the format buttons and of the file dialog's types.
struct OutputFormatChoice
{
    const char *extension;
    const char *fileType;
};
constexpr OutputFormatChoice OutputFormats[] = {
    {"wav", "WAV 文件 (*.wav)"},
    {"mp3", "MP3 文件 (*.mp3)"},
    {"wma", "WMA 文件 (*.wma)"},
};

// A copy target that writes the text into the box.
FieldTexts::Target into(QLatin1StringView field, QLineEdit *box)
{
    return {field, [box](const QString &text) { box->setText(text); }};
}

QComboBox *addEntryList(QWidget *parent, const char *name, int left, int top, int width, const QString &designText)
{
    auto *list = new QComboBox(parent);
    list->setEditable(true);
    // A typed text is used as it is; it never joins the list's entries.
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setEditText(designText);
    place(list, name, left, top, width, ListHeight);
    return list;
}

QLineEdit *addTextBox(QWidget *parent, const char *name, int left, int top, int width, bool readOnly)
{
    auto *box = new QLineEdit(parent);
    box->setReadOnly(readOnly);
    place(box, name, left, top, width, TextBoxHeight);
    return box;
}

QRadioButton *addOption(QWidget *parent, const char *name, int left, const QString &caption)
{
    auto *option = new QRadioButton(caption, parent);
    place(option, name, left, 0, 1200, LabelHeight);
    return option;
}

// Fills a list with its whole numbers, ascending, while it keeps showing its design text.
void fillNumbers(QComboBox *list, int first, int last)
{
    const QString designText = list->currentText();
    QStringList entries;
    for (int value = first; value <= last; ++value)
        entries << QString::number(value);
    list->addItems(entries);
    list->setCurrentIndex(-1);
    list->setEditText(designText);
}

// Selects the entry that stands for the value, or shows the value as typed text when the list has none.
void showValue(QComboBox *list, qint64 value, int firstEntry)
{
    const qint64 position = value - firstEntry;
    if (position >= 0 && position < list->count()) {
        list->setCurrentIndex(int(position));
    } else {
        list->setCurrentIndex(-1);
        list->setEditText(QString::number(value));
    }
}

// A stored value that cannot be read leaves the list empty, so that nothing stands in for it unseen.
void showNoValue(QComboBox *list)
{
    list->setCurrentIndex(-1);
    list->setEditText(QString());
}

} // namespace

AddSchedule::AddSchedule(Scheduler &scheduler)
    : QDialog(&scheduler, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint)
    , m_scheduler(scheduler)
    , m_data1(new RecordCursor(this))
    , m_boundViews(new BoundViews(m_data1, scheduler.services().dateTimeText, this))
{
    setObjectName(QStringLiteral("AddSchedule"));
    setWindowTitle(QString::fromUtf8(Caption));
    setModal(true);
    setFixedSize(twipsRect(0, 0, ClientWidthTwips, ClientHeightTwips).size());
    m_data1->setObjectName(QStringLiteral("Data1"));
    createControls();

    m_boundViews->bind(m_dateRec, ScheduleFields::StartDate);
    m_boundViews->bind(m_startTimeRec, ScheduleFields::StartTime);
    m_boundViews->bind(m_programRec, ScheduleFields::Program);
    m_boundViews->bind(m_filenameRec, ScheduleFields::Filename);
    m_boundViews->bind(m_recParameter, ScheduleFields::Parameter);
    m_boundViews->bind(m_recLength, ScheduleFields::RecordLength);

    connect(m_cmdAdd, &QPushButton::clicked, this, &AddSchedule::CmdAdd_Click);
    connect(m_cmdEdit, &QPushButton::clicked, this, &AddSchedule::CmdEdit_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &AddSchedule::CmdDelete_Click);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &AddSchedule::CmdUpdate_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &AddSchedule::CmdCancel_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &AddSchedule::CmdExit_Click);
    // A click, not a change of selection, so that the selected format can be chosen again.
    connect(m_option1, &QRadioButton::clicked, this, &AddSchedule::Option1_Click);
    connect(m_option2, &QRadioButton::clicked, this, &AddSchedule::Option2_Click);
    connect(m_option3, &QRadioButton::clicked, this, &AddSchedule::Option3_Click);
    connect(m_chooseFile, &QPushButton::clicked, this, &AddSchedule::chooseFile_Click);
}

AddSchedule::~AddSchedule() = default;

void AddSchedule::createControls()
{
    auto *frameTime = addFrame(this, "FrameTime", 120, 120, 5535, 1455, QStringLiteral("开始时间设置"));
    addLabel(frameTime, "LabelDate", 240, 360, 840, LabelHeight, QStringLiteral("开始日期 :"));
    m_comboMonth = addEntryList(frameTime, "ComboMonth", 1080, 360, 720, QStringLiteral("01"));
    addLabel(frameTime, "Label6", 1810, 360, 105, LabelHeight, QStringLiteral("/"));
    m_comboDay = addEntryList(frameTime, "ComboDay", 1920, 360, 720, QStringLiteral("01"));
    addLabel(frameTime, "Label7", 2650, 360, 105, LabelHeight, QStringLiteral("/"));
    m_comboYear = addEntryList(frameTime, "ComboYear", 2760, 360, 900, QStringLiteral("01"));
    addLabel(frameTime, "Label8", 3720, 405, 1215, LabelHeight, QStringLiteral("月/日/年"));
    addLabel(frameTime, "LabelSTime", 240, 840, 840, LabelHeight, QStringLiteral("开始时间 :"));
    addLabel(frameTime, "Label4", 1830, 840, 105, LabelHeight, QStringLiteral(":"));
    addLabel(frameTime, "Label5", 2670, 840, 105, LabelHeight, QStringLiteral(":"));
    addLabel(frameTime, "Label9", 3720, 840, 1215, LabelHeight, QStringLiteral("时:分:秒"));
    // The boxes share their places with the lists and the separators, and cover them while browsing.
    m_dateRec = addTextBox(frameTime, "DateRec", 1080, 360, 2415, true);
    m_startTimeRec = addTextBox(frameTime, "StartTimeRec", 1080, 840, 2415, true);
    // Scratch labels for the save, below the group's visible area.
    m_labelDateCap = addLabel(frameTime, "LabelDateCap", 240, 1560, 1215, LabelHeight);
    m_labelSTimeCap = addLabel(frameTime, "LabelSTimeCap", 2760, 1560, 1215, LabelHeight);

    // The time lists lie on the window, over the time row of the group.
    m_comboSHour = addEntryList(this, "ComboSHour", 1200, 960, 720, QStringLiteral("12"));
    m_comboSMinute = addEntryList(this, "ComboSMinute", 2040, 960, 720, QStringLiteral("00"));
    m_comboSSecond = addEntryList(this, "ComboSSecond", 2880, 960, 720, QStringLiteral("00"));
    m_comboSAmPm = addEntryList(this, "ComboSAmPm", 4920, 240, 735, QStringLiteral("AM"));
    m_comboSAmPm->setEnabled(false);

    auto *frame2 = addFrame(this, "Frame2", 120, 1680, 5535, 1335, QStringLiteral("录音自动停止设置"));
    addLabel(frame2, "Label1", 240, 360, 2775, LabelHeight, QStringLiteral("录音自动停止时间为:"));
    m_comboRecdays = addEntryList(frame2, "ComboRecdays", 240, 720, 705, QStringLiteral("0"));
    addLabel(frame2, "Label16", 960, 765, 375, LabelHeight, QStringLiteral(" 日"));
    m_comboRechours = addEntryList(frame2, "ComboRechours", 1440, 720, 705, QStringLiteral("0"));
    addLabel(frame2, "Label13", 2160, 765, 375, LabelHeight, QStringLiteral(" 时"));
    m_comboRecmins = addEntryList(frame2, "ComboRecmins", 2760, 720, 705, QStringLiteral("0"));
    addLabel(frame2, "Label14", 3480, 765, 375, LabelHeight, QStringLiteral(" 分"));
    m_comboRecsecs = addEntryList(frame2, "ComboRecsecs", 3960, 720, 705, QStringLiteral("0"));
    m_label15 = addLabel(frame2, "Label15", 4680, 765, 375, LabelHeight, QStringLiteral(" 秒"));
    m_recLength = addTextBox(frame2, "RecLength", 240, 720, 4455, false);

    auto *frameProgram = addFrame(this, "FrameProgram", 120, 3120, 5535, 1275, QStringLiteral("录音输出文件设置"));
    addLabel(frameProgram, "LabelFilename", 240, 240, 900, LabelHeight, QStringLiteral("文件名 :"));
    m_filenameRec = addTextBox(frameProgram, "FilenameRec", 1200, 360, 3375, true);
    m_chooseFile = addButton(frameProgram, "chooseFile", 4680, 360, 735, ListHeight, QStringLiteral("保存"));
    addLabel(frameProgram, "Label10", 240, 840, 900, LabelHeight, QStringLiteral(" 格式 :"));
    // One borderless container, so that the three options form one group.
    auto *picture1 = new QWidget(frameProgram);
    place(picture1, "Picture1", 1200, 840, 4095, LabelHeight);
    m_option1 = addOption(picture1, "Option1", 0, QStringLiteral("wav 格式"));
    m_option2 = addOption(picture1, "Option2", 1200, QStringLiteral("mp3 格式"));
    m_option3 = addOption(picture1, "Option3", 2400, QStringLiteral("wma 格式"));
    m_option2->setChecked(true);
    // Below the group's visible area: never seen, yet bound and used by the save.
    addLabel(frameProgram, "Label11", 120, 1440, 1035, LabelHeight, QStringLiteral("Parameter:"));
    m_recParameter = addTextBox(frameProgram, "RecParameter", 1200, 1440, 1215, false);
    addLabel(frameProgram, "LabelProgram", 0, 1680, 1095, LabelHeight, QStringLiteral("计划名称 :"));
    m_programRec = addTextBox(frameProgram, "ProgramRec", 1200, 1800, 2415, true);

    m_cmdAdd = addButton(this, "CmdAdd", 120, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("添加"));
    m_cmdEdit = addButton(this, "CmdEdit", 1080, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("编辑"));
    m_cmdDelete = addButton(this, "CmdDelete", 2040, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("删除"));
    m_cmdUpdate = addButton(this, "CmdUpdate", 3000, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("录制"));
    m_cmdCancel = addButton(this, "CmdCancel", 3960, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("取消"));
    m_cmdExit = addButton(this, "CmdExit", 4920, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("退出"));

    const Scheduler::Services &services = m_scheduler.services();
    m_dbGrid1 = new TaskGrid(m_data1, services.dateTimeText, services.clock, services.timeZone, this);
    place(m_dbGrid1, "DBGrid1", 120, 5040, 5535, 2055);

    // No button is the window's default, so Enter in a list never saves or closes anything.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
}

std::unique_ptr<TaskEditor> AddSchedule::load(Scheduler &scheduler)
{
    auto editor = std::make_unique<AddSchedule>(scheduler);
    if (const StoreError error = editor->Form_Load()) {
        scheduler.services().messageBoxes.show(&scheduler,
                                               QStringLiteral("计划数据库无法打开, 编辑计划窗口将关闭.\n\n错误 %1: %2")
                                                   .arg(error.number)
                                                   .arg(error.description),
                                               QString::fromUtf8(Scheduler::ApplicationTitle), MessageButtons::Ok,
                                               MessageIcon::Critical);
        return nullptr;
    }
    return editor;
}

StoreError AddSchedule::Form_Load()
{
    m_databasePath = m_scheduler.storePath();
    StoreError error;
    m_database = StoreConnection::open(m_databasePath, &error);
    if (!m_database)
        return error;
    auto table = m_database->openRecordset(ScheduleFields::Table, &error);
    if (!table)
        return error;
    m_data1->attach(std::move(table));
    auto ordered = m_database->openRecordset(ScheduleFields::OrderedQuery, &error);
    if (!ordered)
        return error;
    m_data1->attach(std::move(ordered));
    if ((error = m_data1->refresh()))
        return error;

    showCurrentTaskTexts();
    fillLists();
    setLayout(Layout::Browsing);
    return {};
}

void AddSchedule::showCurrentTaskTexts()
{
    if (!m_data1->recordset().moveFirst() && !copyCurrentTaskTexts())
        repaint();
}

StoreError AddSchedule::copyCurrentTaskTexts()
{
    return FieldTexts::copy(&m_data1->recordset(),
                            {into(ScheduleFields::StartTime, m_startTimeRec), into(ScheduleFields::StartDate, m_dateRec),
                             into(ScheduleFields::Program, m_programRec), into(ScheduleFields::Filename, m_filenameRec)},
                            FieldTexts::Missing::Stops, m_scheduler.services().dateTimeText);
}

void AddSchedule::fillLists()
{
    fillNumbers(m_comboSHour, 0, 23);
    fillNumbers(m_comboRechours, 0, 23);
    fillNumbers(m_comboSMinute, 0, 59);
    fillNumbers(m_comboSSecond, 0, 59);
    fillNumbers(m_comboRecmins, 0, 59);
    fillNumbers(m_comboRecsecs, 0, 59);
    fillNumbers(m_comboDay, 1, 31);
    fillNumbers(m_comboRecdays, 0, 31);
    fillNumbers(m_comboMonth, 1, 12);
    fillNumbers(m_comboYear, FirstListedYear, LastListedYear);
}

void AddSchedule::setLayout(Layout layout)
{
    const bool entry = layout == Layout::Entry;
    // Which controls the entry layout shows or enables; the browsing layout does the opposite.
    const std::pair<QWidget *, bool> shownInEntry[] = {
        {m_comboSHour, true},    {m_comboSMinute, true}, {m_comboSSecond, true}, {m_comboDay, true},
        {m_comboMonth, true},    {m_comboYear, true},    {m_comboRecdays, true}, {m_comboRechours, true},
        {m_comboRecmins, true},  {m_comboRecsecs, true}, {m_label15, true},      {m_recLength, false},
        {m_startTimeRec, false}, {m_dateRec, false}};
    const std::pair<QWidget *, bool> enabledInEntry[] = {
        {m_cmdAdd, false}, {m_cmdUpdate, true}, {m_cmdCancel, true},   {m_option1, true},
        {m_option2, true}, {m_option3, true},   {m_chooseFile, true}};
    for (const auto &[control, inEntry] : shownInEntry)
        control->setVisible(inEntry == entry);
    for (const auto &[control, inEntry] : enabledInEntry)
        control->setEnabled(inEntry == entry);
    m_cmdExit->setEnabled(true);
    if (entry) {
        m_cmdEdit->setEnabled(false);
        m_cmdDelete->setEnabled(false);
    } else {
        enableTaskButtons();
    }
}

void AddSchedule::enableTaskButtons()
{
    const ResultSet &rows = m_data1->recordset();
    const bool hasTasks = !(rows.bof() && rows.eof());
    m_cmdEdit->setEnabled(hasTasks);
    m_cmdDelete->setEnabled(hasTasks);
}

TaskEditor::AfterShowing AddSchedule::showModal()
{
    if (m_unloaded)
        return AfterShowing::Unloaded;
    // An editor loaded at start-up would still list the tasks that have fired since.
    if (!requery())
        setLayout(Layout::Browsing);
    // Centred on the main window, but never pushed past the edges of the screen.
    const QRect owner = m_scheduler.frameGeometry();
    const QRect screen = m_scheduler.screen()->availableGeometry();
    const QPoint centred = owner.center() - QPoint(width() / 2, height() / 2);
    move(std::clamp(centred.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - width())),
         std::clamp(centred.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - height())));
    m_inModalLoop = true;
    exec();
    m_inModalLoop = false;
    unload();
    return AfterShowing::Unloaded;
}

void AddSchedule::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_inModalLoop)
        done(QDialog::Rejected);
    Form_Unload();
}

void AddSchedule::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    // Shown without its own modal loop, the window unloads as it closes.
    if (event->isAccepted() && !m_inModalLoop)
        unload();
}

void AddSchedule::keyPressEvent(QKeyEvent *event)
{
    // The window has no cancel button, so Escape does not close it.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AddSchedule::Form_Unload()
{
    dropPendingEntry();
    hide_addschedule();
}

void AddSchedule::dropPendingEntry()
{
    if (m_data1->isAttached() && m_data1->recordset().editMode() != ResultSet::EditMode::Browsing)
        m_data1->recordset().cancelUpdate();
}

void AddSchedule::CmdExit_Click()
{
    close();
}

void AddSchedule::hide_addschedule()
{
    const StoreError error = [this]() -> StoreError {
        if (!m_data1->isAttached())
            return StoreError::noCurrentRecord();
        ResultSet &rows = m_data1->recordset();
        if (const StoreError moved = rows.moveFirst())
            return moved;
        using Label = Scheduler::NextTaskLabel;
        const auto label = [this](QLatin1StringView field, Label label) -> FieldTexts::Target {
            return {field, [this, label](const QString &text) { m_scheduler.setNextTaskCaption(label, text); }};
        };
        if (const StoreError error = FieldTexts::copy(
                &rows,
                {label(ScheduleFields::StartTime, Label::StartTime), label(ScheduleFields::StartDate, Label::StartDate),
                 label(ScheduleFields::Program, Label::Program), label(ScheduleFields::Filename, Label::Filename),
                 label(ScheduleFields::Parameter, Label::Parameter)},
                FieldTexts::Missing::Stops, m_scheduler.services().dateTimeText))
            return error;
        m_scheduler.repaint();
        return requery();
    }();
    if (error.number == StoreError::NoCurrentRecord)
        tell(QString::fromUtf8(NoTaskMessage), QString::fromUtf8(Scheduler::ApplicationTitle));
    m_scheduler.read_recorder();
}

StoreError AddSchedule::requery()
{
    m_databasePath = m_scheduler.storePath();
    StoreError error;
    auto database = StoreConnection::open(m_databasePath, &error);
    if (!database)
        return error;
    auto ordered = database->openRecordset(ScheduleFields::OrderedQuery, &error);
    if (!ordered)
        return error;
    m_database = std::move(database);
    m_data1->attach(std::move(ordered));
    return m_data1->refresh();
}

void AddSchedule::CmdAdd_Click()
{
    setLayout(Layout::Entry);
    preselectStart();
    // A failure leaves the cursor browsing; the save then tells the user.
    m_data1->recordset().addNew();
    m_programRec->setText(QStringLiteral("Quillsound"));
    m_filenameRec->setText(m_scheduler.services().applicationDirectory + QDir::separator()
                           + QStringLiteral("quillDefault.mp3"));
}

void AddSchedule::preselectStart()
{
    // Each list reads the clock for itself, one after the other.
    const Clock &clock = m_scheduler.services().clock;
    m_comboSHour->setCurrentIndex(clock.now().time().hour());
    m_comboSMinute->setCurrentIndex(clock.now().time().minute());
    m_comboSSecond->setCurrentIndex(clock.now().time().second());
    m_comboDay->setCurrentIndex(clock.now().date().day() - 1);
    m_comboMonth->setCurrentIndex(clock.now().date().month() - 1);
    const int year = clock.now().date().year();
    if (year >= FirstListedYear && year <= LastListedYear) {
        m_comboYear->setCurrentIndex(year - FirstListedYear);
    } else {
        m_comboYear->setCurrentIndex(-1);
        m_comboYear->setEditText(QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
    }
}

void AddSchedule::CmdUpdate_Click()
{
    const QString applicationTitle = QString::fromUtf8(Scheduler::ApplicationTitle);
    if (m_filenameRec->text().isEmpty()) {
        tell(QString::fromUtf8(FilenameMessage), applicationTitle);
        return;
    }
    m_labelSTimeCap->setText(m_comboSHour->currentText() + u':' + m_comboSMinute->currentText() + u':'
                             + m_comboSSecond->currentText());
    m_labelDateCap->setText(m_comboMonth->currentText() + u'-' + m_comboDay->currentText() + u'-'
                            + m_comboYear->currentText());

    int totalSeconds = 0;
    if (const StoreError error =
            EntryConversion::lengthSeconds(m_comboRecdays->currentText(), m_comboRechours->currentText(),
                                           m_comboRecmins->currentText(), m_comboRecsecs->currentText(), &totalSeconds)) {
        reportUpdateError(error);
        return;
    }
    if (totalSeconds < 1) {
        tell(QString::fromUtf8(LengthMessage), applicationTitle);
        return;
    }
    if (m_programRec->text().isEmpty()) {
        tell(QString::fromUtf8(TitleMessage), applicationTitle);
        return;
    }
    if (const StoreError error = writeEntry(totalSeconds)) {
        reportUpdateError(error);
        return;
    }
    setLayout(Layout::Browsing);
}

StoreError AddSchedule::writeEntry(int totalSeconds)
{
    m_scheduler.waitForOwnClaims();
    ResultSet &rows = m_data1->recordset();
    StoreError error;
    QTime startTime;
    if ((error = EntryConversion::readStartTime(m_labelSTimeCap->text(), &startTime))
        || (error = rows.setValue(ScheduleFields::StartTime, startTime)))
        return error;
    QDate startDate;
    if ((error = EntryConversion::readStartDate(m_labelDateCap->text(), &startDate))
        || (error = rows.setValue(ScheduleFields::StartDate, startDate)))
        return error;
    const QString recordLength =
        EntryConversion::recordLengthText(m_comboRecdays->currentText(), m_comboRechours->currentText(),
                                          m_comboRecmins->currentText(), m_comboRecsecs->currentText());
    if ((error = rows.setValue(ScheduleFields::Program, m_programRec->text()))
        || (error = rows.setValue(ScheduleFields::Filename, m_filenameRec->text()))
        || (error = rows.setValue(ScheduleFields::Parameter, QString::number(totalSeconds)))
        || (error = rows.setValue(ScheduleFields::RecordLength, recordLength)) || (error = rows.update()))
        return error;
    return requery();
}

void AddSchedule::reportUpdateError(const StoreError &error)
{
    switch (error.number) {
    case StoreError::NoPendingEdit:
        tell(QString::fromUtf8(LostEntryMessage), QString::fromUtf8(LostEntryTitle));
        close();
        break;
    case StoreError::ZeroLengthText:
        tell(QString::fromUtf8(FilenameMessage), QString::fromUtf8(Scheduler::ApplicationTitle));
        break;
    default:
        tell(QStringLiteral(" %1 %2").arg(error.number).arg(error.description), QString::fromUtf8(UpdateErrorTitle));
        break;
    }
}

void AddSchedule::tell(const QString &text, const QString &title)
{
    m_scheduler.services().messageBoxes.show(messageParent(), text, title, MessageButtons::Ok, MessageIcon::None);
}

bool AddSchedule::confirmed(const QString &question, const QString &title)
{
    return m_scheduler.services().messageBoxes.show(messageParent(), question, title, MessageButtons::YesNo,
                                                    MessageIcon::Question)
           == MessageAnswer::Yes;
}

QWidget *AddSchedule::messageParent()
{
    return isVisible() ? static_cast<QWidget *>(this) : &m_scheduler;
}

void AddSchedule::CmdEdit_Click()
{
    const QString applicationTitle = QString::fromUtf8(Scheduler::ApplicationTitle);
    ResultSet &rows = m_data1->recordset();
    if (rows.bof() || rows.eof()) {
        tell(QString::fromUtf8(NoTasksMessage), applicationTitle);
        m_cmdEdit->setEnabled(false);
        m_cmdDelete->setEnabled(false);
        return;
    }
    setLayout(Layout::Entry);
    showTaskInLists();
    // A task gone from the store otherwise (fired by the main window, say) is passed over.
    if (rows.edit().number == StoreError::NoCurrentRecord)
        tell(QString::fromUtf8(NothingToEditMessage), applicationTitle);
}

void AddSchedule::showTaskInLists()
{
    const DateTimeText &texts = m_scheduler.services().dateTimeText;
    const QTime start = texts.readTime(m_startTimeRec->text());
    if (start.isValid()) {
        showValue(m_comboSHour, start.hour(), 0);
        showValue(m_comboSMinute, start.minute(), 0);
        showValue(m_comboSSecond, start.second(), 0);
    } else {
        for (QComboBox *list : {m_comboSHour, m_comboSMinute, m_comboSSecond})
            showNoValue(list);
    }

    if (const std::optional<StoredLength> length = StoredLength::fromParameter(m_recParameter->text())) {
        // Days beyond the list's last entry show as typed text.
        showValue(m_comboRecdays, length->days, 0);
        showValue(m_comboRechours, length->hours, 0);
        showValue(m_comboRecmins, length->minutes, 0);
        showValue(m_comboRecsecs, length->seconds, 0);
    } else {
        for (QComboBox *list : {m_comboRecdays, m_comboRechours, m_comboRecmins, m_comboRecsecs})
            showNoValue(list);
    }

    const QDate date = texts.readDate(m_dateRec->text());
    if (date.isValid()) {
        showValue(m_comboDay, date.day(), 1);
        showValue(m_comboMonth, date.month(), 1);
        showValue(m_comboYear, date.year(), FirstListedYear);
    } else {
        for (QComboBox *list : {m_comboDay, m_comboMonth, m_comboYear})
            showNoValue(list);
    }
}

void AddSchedule::CmdDelete_Click()
{
    const QString applicationTitle = QString::fromUtf8(Scheduler::ApplicationTitle);
    const ResultSet &rows = m_data1->recordset();
    if (rows.bof() || rows.eof()) {
        tell(QString::fromUtf8(NoTasksMessage), applicationTitle);
        return;
    }
    if (confirmed(QString::fromUtf8(DeleteQuestion), QString::fromUtf8(DeleteTitle))) {
        // A refusal of another kind (the task was fired and removed meanwhile, say) is passed over.
        if (deleteCurrentTask().number == StoreError::NoCurrentRecord)
            tell(QString::fromUtf8(NothingToDeleteMessage), applicationTitle);
    }
    // The main window's labels catch up when the editor closes.
    m_scheduler.repaint();
    enableTaskButtons();
}

StoreError AddSchedule::deleteCurrentTask()
{
    m_scheduler.waitForOwnClaims();
    StoreError error;
    if ((error = m_data1->recordset().deleteRow()) || (error = requery()))
        return error;
    return copyCurrentTaskTexts();
}

void AddSchedule::CmdCancel_Click()
{
    // The task buttons follow the flags read while a new row may still be pending: it is no stored task.
    setLayout(Layout::Browsing);
    dropPendingEntry();
    resetStartLists();
    showCurrentTaskAgain();
}

void AddSchedule::resetStartLists()
{
    const std::pair<QComboBox *, const char *> designTexts[] = {{m_comboSHour, "12"}, {m_comboSMinute, "00"},
                                                                {m_comboSSecond, "00"}, {m_comboDay, "01"},
                                                                {m_comboMonth, "01"}, {m_comboYear, "01"}};
    for (const auto &[list, text] : designTexts) {
        list->setCurrentIndex(-1);
        list->setEditText(QString::fromLatin1(text));
    }
}

void AddSchedule::showCurrentTaskAgain()
{
    // The boxes may still show the dropped entry: a new row's defaults and empty fields, or a file
    // name changed by the format buttons. A later edit and save take the title and file from here.
    FieldTexts::copy(m_data1->isAttached() ? &m_data1->recordset() : nullptr,
                     {into(ScheduleFields::Program, m_programRec), into(ScheduleFields::Filename, m_filenameRec),
                      into(ScheduleFields::StartTime, m_startTimeRec), into(ScheduleFields::StartDate, m_dateRec),
                      into(ScheduleFields::Parameter, m_recParameter), into(ScheduleFields::RecordLength, m_recLength)},
                     FieldTexts::Missing::ShowsEmpty, m_scheduler.services().dateTimeText);
}

void AddSchedule::Option1_Click()
{
    chooseFormat(1);
}

void AddSchedule::Option2_Click()
{
    chooseFormat(2);
}

void AddSchedule::Option3_Click()
{
    chooseFormat(3);
}

void AddSchedule::chooseFormat(int position)
{
    OutputFormatIndex = std::int16_t(position);
    const QString extension = QString::fromLatin1(OutputFormats[position - 1].extension);
    m_filenameRec->setText(OutputFileName::withExtension(m_filenameRec->text(), extension));
}

void AddSchedule::chooseFile_Click()
{
    const QString fileName = ShowDialog(QString::fromUtf8(FileDialogTitle));
    if (!fileName.isEmpty())
        m_filenameRec->setText(fileName);
}

QString AddSchedule::ShowDialog(const QString &title)
{
    QStringList fileTypes;
    for (const OutputFormatChoice &format : OutputFormats)
        fileTypes << QString::fromUtf8(format.fileType);
    // Asked again after every No, until the user picks a new name, says Yes or cancels.
    for (;;) {
        const QString fileName =
            m_scheduler.services().fileDialog.askSaveFileName(this, title, fileTypes, OutputFormatIndex - 1);
        if (fileName.isEmpty() || !FileExistence::FileExists(fileName)
            || confirmed(QString::fromUtf8(ReplaceQuestion), QString::fromUtf8(ReplaceTitle)))
            return fileName;
    }
}
