#include "AddSchedule.h"

#include "BoundViews.h"
#include "Clock.h"
#include "DateTimeText.h"
#include "EntryConversion.h"
#include "FieldTexts.h"
#include "FileDialog.h"
#include "FileExistence.h"
#include "MainWindowLink.h"
#include "MessageBoxes.h"
#include "OutputFolderCheck.h"
#include "OutputFileName.h"
#include "OutputFormat.h"
#include "RecordCursor.h"
#include "RepeatGroup.h"
#include "ScheduleFields.h"
#include "SeriesRule.h"
#include "SourceChoice.h"
#include "StoreConnection.h"
#include "StoredLength.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace {

constexpr int ClientWidthTwips = 9855;
constexpr int ClientHeightTwips = SourceChoice::BottomTwips + 120;

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

} // namespace

AddSchedule::AddSchedule(MainWindowLink &mainWindow, const WindowServices &services)
    : QDialog(&mainWindow.ownerWindow(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                             | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_mainWindow(mainWindow)
    , m_services(services)
    , m_data1(new RecordCursor(this))
    , m_boundViews(new BoundViews(m_data1, services.dateTimeText, this))
    , m_controls(this, m_data1, services)
    , m_lists(m_controls.entryLists())
    , m_source(new SourceChoice(this, services.soundSources))
{
    setObjectName(QStringLiteral("AddSchedule"));
    setWindowTitle(QString::fromUtf8(Caption));
    setModal(true);
    setFixedSize(twipsRect(0, 0, ClientWidthTwips, ClientHeightTwips).size());
    m_data1->setObjectName(QStringLiteral("Data1"));

    m_boundViews->bind(m_controls.dateRec, ScheduleFields::StartDate);
    m_boundViews->bind(m_controls.startTimeRec, ScheduleFields::StartTime);
    m_boundViews->bind(m_controls.programRec, ScheduleFields::Program);
    m_boundViews->bind(m_controls.filenameRec, ScheduleFields::Filename);
    m_boundViews->bind(m_controls.recParameter, ScheduleFields::Parameter);
    m_boundViews->bind(m_controls.recLength, ScheduleFields::RecordLength);

    connect(m_controls.cmdAdd, &QPushButton::clicked, this, &AddSchedule::CmdAdd_Click);
    connect(m_controls.cmdEdit, &QPushButton::clicked, this, &AddSchedule::CmdEdit_Click);
    connect(m_controls.cmdDelete, &QPushButton::clicked, this, &AddSchedule::CmdDelete_Click);
    connect(m_controls.cmdUpdate, &QPushButton::clicked, this, &AddSchedule::CmdUpdate_Click);
    connect(m_controls.cmdCancel, &QPushButton::clicked, this, &AddSchedule::CmdCancel_Click);
    connect(m_controls.cmdExit, &QPushButton::clicked, this, &AddSchedule::CmdExit_Click);
    // A click, not a change of selection, so that the selected format can be chosen again.
    connect(m_controls.option1, &QRadioButton::clicked, this, &AddSchedule::Option1_Click);
    connect(m_controls.option2, &QRadioButton::clicked, this, &AddSchedule::Option2_Click);
    connect(m_controls.option3, &QRadioButton::clicked, this, &AddSchedule::Option3_Click);
    connect(m_controls.chooseFile, &QPushButton::clicked, this, &AddSchedule::chooseFile_Click);
    connect(m_controls.repeat->cmdSkip, &QPushButton::clicked, this, &AddSchedule::CmdSkip_Click);
    connect(m_data1, &RecordCursor::currentRowChanged, this, &AddSchedule::showCurrentRepeat);
    connect(m_data1, &RecordCursor::rowsReset, m_source, [this] { m_source->listStreams(m_database); });
    connect(m_data1, &RecordCursor::currentRowChanged, m_source, [this] { m_source->showCurrent(m_data1->recordset()); });
}

AddSchedule::~AddSchedule() = default;

std::unique_ptr<TaskEditor> AddSchedule::load(MainWindowLink &mainWindow, const WindowServices &services)
{
    auto editor = std::make_unique<AddSchedule>(mainWindow, services);
    if (const StoreError error = editor->Form_Load()) {
        services.messageBoxes.show(&mainWindow.ownerWindow(),
                                   QStringLiteral("计划数据库无法打开, 编辑计划窗口将关闭.\n\n错误 %1: %2")
                                       .arg(error.number)
                                       .arg(error.description),
                                   QString::fromUtf8(MainWindowLink::ApplicationTitle), MessageButtons::Ok,
                                   MessageIcon::Critical);
        return nullptr;
    }
    return editor;
}

StoreError AddSchedule::Form_Load()
{
    if (const StoreError error = requery())
        return error;

    showCurrentTaskTexts();
    m_lists.fill();
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
                            {into(ScheduleFields::StartTime, m_controls.startTimeRec), into(ScheduleFields::StartDate, m_controls.dateRec),
                             into(ScheduleFields::Program, m_controls.programRec), into(ScheduleFields::Filename, m_controls.filenameRec)},
                            FieldTexts::Missing::Stops, m_services.dateTimeText);
}

void AddSchedule::setLayout(Layout layout)
{
    const bool entry = layout == Layout::Entry;
    // Which controls the entry layout shows or enables; the browsing layout does the opposite.
    const std::pair<QWidget *, bool> shownInEntry[] = {
        {m_controls.comboSHour, true},    {m_controls.comboSMinute, true}, {m_controls.comboSSecond, true}, {m_controls.comboDay, true},
        {m_controls.comboMonth, true},    {m_controls.comboYear, true},    {m_controls.comboRecdays, true}, {m_controls.comboRechours, true},
        {m_controls.comboRecmins, true},  {m_controls.comboRecsecs, true}, {m_controls.label15, true},      {m_controls.recLength, false},
        {m_controls.startTimeRec, false}, {m_controls.dateRec, false}};
    const std::pair<QWidget *, bool> enabledInEntry[] = {
        {m_controls.cmdAdd, false}, {m_controls.cmdUpdate, true}, {m_controls.cmdCancel, true},   {m_controls.option1, true},
        {m_controls.option2, true}, {m_controls.option3, true},   {m_controls.chooseFile, true}};
    for (const auto &[control, inEntry] : shownInEntry)
        control->setVisible(inEntry == entry);
    for (const auto &[control, inEntry] : enabledInEntry)
        control->setEnabled(inEntry == entry);
    m_controls.cmdExit->setEnabled(true);
    m_controls.repeat->setEntry(entry);
    m_controls.repeat->cmdSkip->setEnabled(!entry && m_skippable);
    m_source->setEditable(entry);
    if (entry) {
        m_controls.cmdEdit->setEnabled(false);
        m_controls.cmdDelete->setEnabled(false);
    } else {
        enableTaskButtons();
    }
}

void AddSchedule::enableTaskButtons()
{
    const ResultSet &rows = m_data1->recordset();
    const bool hasTasks = !(rows.bof() && rows.eof());
    m_controls.cmdEdit->setEnabled(hasTasks);
    m_controls.cmdDelete->setEnabled(hasTasks);
}

TaskEditor::AfterShowing AddSchedule::showModal()
{
    if (m_unloaded)
        return AfterShowing::Unloaded;
    // An editor loaded at start-up would still list the tasks that have fired since; a list that
    // nothing has changed since it was read is not read again.
    if (!m_database->changedSince(m_listedVersion) || !requery())
        setLayout(Layout::Browsing);
    // Centred on the main window, but never pushed past the edges of the screen.
    const QRect owner = m_mainWindow.ownerWindow().frameGeometry();
    const QRect screen = m_mainWindow.ownerWindow().screen()->availableGeometry();
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
        using Label = MainWindowLink::NextTaskLabel;
        const auto label = [this](QLatin1StringView field, Label label) -> FieldTexts::Target {
            return {field, [this, label](const QString &text) { m_mainWindow.setNextTaskCaption(label, text); }};
        };
        if (const StoreError error = FieldTexts::copy(
                &rows,
                {label(ScheduleFields::StartTime, Label::StartTime), label(ScheduleFields::StartDate, Label::StartDate),
                 label(ScheduleFields::Program, Label::Program), label(ScheduleFields::Filename, Label::Filename),
                 label(ScheduleFields::Parameter, Label::Parameter)},
                FieldTexts::Missing::Stops, m_services.dateTimeText))
            return error;
        m_mainWindow.ownerWindow().repaint();
        return StoreError();
    }();
    if (error.number == StoreError::NoCurrentRecord)
        tell(QString::fromUtf8(NoTaskMessage), QString::fromUtf8(MainWindowLink::ApplicationTitle));
    m_mainWindow.read_recorder();
}

StoreError AddSchedule::requery()
{
    m_databasePath = m_services.storePath();
    StoreError error;
    auto database = StoreConnection::open(m_databasePath, &error);
    if (!database)
        return error;
    auto ordered = database->openRecordset(ScheduleFields::OrderedQuery, &error);
    if (!ordered)
        return error;
    m_database = std::move(database);
    m_data1->attach(std::move(ordered));
    m_listedVersion = m_database->version();
    return m_data1->refresh();
}

void AddSchedule::CmdAdd_Click()
{
    setLayout(Layout::Entry);
    m_lists.preselectStart(m_services.clock);
    // A failure leaves the cursor browsing; the save then tells the user.
    m_data1->recordset().addNew();
    m_controls.programRec->setText(QStringLiteral("Quillsound"));
    m_controls.filenameRec->setText(m_services.applicationDirectory + QDir::separator()
                           + QStringLiteral("quillDefault.mp3"));
}

void AddSchedule::CmdUpdate_Click()
{
    const QString applicationTitle = QString::fromUtf8(MainWindowLink::ApplicationTitle);
    if (m_controls.filenameRec->text().isEmpty()) {
        tell(QString::fromUtf8(FilenameMessage), applicationTitle);
        return;
    }
    m_controls.labelSTimeCap->setText(m_lists.startTimeText());
    m_controls.labelDateCap->setText(m_lists.startDateText());

    int totalSeconds = 0;
    if (const StoreError error = m_lists.lengthSeconds(&totalSeconds)) {
        reportUpdateError(error);
        return;
    }
    if (totalSeconds < 1) {
        tell(QString::fromUtf8(LengthMessage), applicationTitle);
        return;
    }
    if (m_controls.programRec->text().isEmpty()) {
        tell(QString::fromUtf8(TitleMessage), applicationTitle);
        return;
    }
    QString refusal;
    const std::optional<QString> source = m_source->chosen(&refusal);
    if (!source) {
        tell(refusal, applicationTitle);
        return;
    }
    // Looked at before the write, which moves on to the next row's texts.
    const QString folderProblem = OutputFolderCheck::problem(m_controls.filenameRec->text(), totalSeconds);
    StoreError error = m_data1->recordset().setSource(source);
    if (error || (error = writeEntry(totalSeconds))) {
        reportUpdateError(error);
        return;
    }
    setLayout(Layout::Browsing);
    // Saved all the same: the folder may be mended before the task starts, and is looked at again then.
    if (!folderProblem.isEmpty())
        m_services.messageBoxes.show(messageParent(), folderProblem, applicationTitle, MessageButtons::Ok, MessageIcon::Warning);
}

StoreError AddSchedule::writeEntry(int totalSeconds)
{
    m_mainWindow.waitForOwnClaims();
    ResultSet &rows = m_data1->recordset();
    StoreError error;
    QTime startTime;
    if ((error = EntryConversion::readStartTime(m_controls.labelSTimeCap->text(), &startTime))
        || (error = rows.setValue(ScheduleFields::StartTime, startTime)))
        return error;
    QDate startDate;
    if ((error = EntryConversion::readStartDate(m_controls.labelDateCap->text(), &startDate)))
        return error;
    const QString rule = m_controls.repeat->rule(startDate);
    // A series' row holds one of its occurrences: a start on a day that the rule passes over moves to its first.
    if (const std::optional<SeriesRule> series = SeriesRule::read(rule))
        startDate = series->nextAfter(startDate, startTime, startDate.addDays(-1)).value_or(startDate);
    if ((error = rows.setValue(ScheduleFields::StartDate, startDate)))
        return error;
    const QString recordLength = m_lists.recordLengthText();
    if ((error = rows.setValue(ScheduleFields::Program, m_controls.programRec->text()))
        || (error = rows.setValue(ScheduleFields::Filename, m_controls.filenameRec->text()))
        || (error = rows.setValue(ScheduleFields::Parameter, QString::number(totalSeconds)))
        || (error = rows.setValue(ScheduleFields::RecordLength, recordLength)))
        return error;
    rows.setSeriesRule(rule);
    if ((error = rows.update()))
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
    case StoreError::ReadOnly:
        tell(QString::fromUtf8(NewerStoreMessage), QString::fromUtf8(MainWindowLink::ApplicationTitle));
        break;
    case StoreError::ZeroLengthText:
        tell(QString::fromUtf8(FilenameMessage), QString::fromUtf8(MainWindowLink::ApplicationTitle));
        break;
    default:
        tell(QStringLiteral(" %1 %2").arg(error.number).arg(error.description), QString::fromUtf8(UpdateErrorTitle));
        break;
    }
}

void AddSchedule::tell(const QString &text, const QString &title)
{
    m_services.messageBoxes.show(messageParent(), text, title, MessageButtons::Ok, MessageIcon::None);
}

bool AddSchedule::confirmed(const QString &question, const QString &title, const QString &informativeText)
{
    return m_services.messageBoxes.show(messageParent(), question, title, MessageButtons::YesNo,
                                        MessageIcon::Question, informativeText)
           == MessageAnswer::Yes;
}

QWidget *AddSchedule::messageParent()
{
    return isVisible() ? static_cast<QWidget *>(this) : &m_mainWindow.ownerWindow();
}

void AddSchedule::CmdEdit_Click()
{
    const QString applicationTitle = QString::fromUtf8(MainWindowLink::ApplicationTitle);
    ResultSet &rows = m_data1->recordset();
    if (rows.bof() || rows.eof()) {
        tell(QString::fromUtf8(NoTasksMessage), applicationTitle);
        m_controls.cmdEdit->setEnabled(false);
        m_controls.cmdDelete->setEnabled(false);
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
    const DateTimeText &texts = m_services.dateTimeText;
    m_lists.showTask(texts.readTime(m_controls.startTimeRec->text()),
                     StoredLength::fromParameter(m_controls.recParameter->text()),
                     texts.readDate(m_controls.dateRec->text()));
}

void AddSchedule::CmdDelete_Click()
{
    const QString applicationTitle = QString::fromUtf8(MainWindowLink::ApplicationTitle);
    const ResultSet &rows = m_data1->recordset();
    if (rows.bof() || rows.eof()) {
        tell(QString::fromUtf8(NoTasksMessage), applicationTitle);
        return;
    }
    const std::optional<SeriesPlan> plan = currentPlan();
    const bool series = plan && plan->repeats();
    // This program may not change a newer store's plans, and that program would carry the series on.
    SeriesPlans::Access access = SeriesPlans::Access::Writable;
    if (series && !SeriesPlans::access(*m_database, &access) && access != SeriesPlans::Access::Writable) {
        tell(QString::fromUtf8(NewerStoreMessage), applicationTitle);
        return;
    }
    const QString informativeText = series ? QString::fromUtf8(SeriesDeleteText) : QString();
    if (confirmed(QString::fromUtf8(DeleteQuestion), QString::fromUtf8(DeleteTitle), informativeText)) {
        // A refusal of another kind (the task was fired and removed meanwhile, say) is passed over.
        if (deleteCurrentTask().number == StoreError::NoCurrentRecord)
            tell(QString::fromUtf8(NothingToDeleteMessage), applicationTitle);
    }
    // The main window's labels catch up when the editor closes.
    m_mainWindow.ownerWindow().repaint();
    enableTaskButtons();
}

StoreError AddSchedule::deleteCurrentTask()
{
    m_mainWindow.waitForOwnClaims();
    StoreError error;
    if ((error = m_data1->recordset().deleteRow()) || (error = requery()))
        return error;
    return copyCurrentTaskTexts();
}

std::optional<SeriesPlan> AddSchedule::currentPlan()
{
    return m_data1->isAttached() ? m_data1->recordset().currentPlan() : std::nullopt;
}

void AddSchedule::showCurrentRepeat()
{
    if (m_data1->isAttached() && m_data1->recordset().editMode() == ResultSet::EditMode::Adding) {
        m_controls.repeat->showRule({}, m_services.clock.now().date());
        return;
    }
    const std::optional<SeriesPlan> plan = currentPlan();
    m_skippable = plan && SeriesRule::read(plan->rule);
    m_controls.repeat->showRule(plan ? plan->rule : QString(), plan ? plan->row.startDate() : QDate());
    m_controls.repeat->cmdSkip->setEnabled(m_skippable && m_data1->recordset().editMode() == ResultSet::EditMode::Browsing);
}

void AddSchedule::CmdSkip_Click()
{
    const std::optional<SeriesPlan> plan = currentPlan();
    const std::optional<SeriesRule> rule = plan ? SeriesRule::read(plan->rule) : std::nullopt;
    if (!rule)
        return;
    const Task &row = plan->row;
    if (const std::optional<QDate> next = rule->nextAfter(plan->countsFrom(), row.startTime(), row.startDate())) {
        if (const StoreError error = skipTo(*plan, *next))
            reportUpdateError(error);
    } else if (confirmed(QString::fromUtf8(LastOccurrenceQuestion), QString::fromUtf8(DeleteTitle))) {
        if (deleteCurrentTask().number == StoreError::NoCurrentRecord)
            tell(QString::fromUtf8(NothingToDeleteMessage), QString::fromUtf8(MainWindowLink::ApplicationTitle));
    }
    enableTaskButtons();
}

StoreError AddSchedule::skipTo(const SeriesPlan &plan, QDate next)
{
    m_mainWindow.waitForOwnClaims();
    ResultSet &rows = m_data1->recordset();
    if (const StoreError error = rows.edit())
        return error;
    // The series keeps counting from where it began, not from the skipped date.
    rows.setSeriesRule(plan.rule, plan.countsFrom());
    StoreError error;
    if ((error = rows.setValue(ScheduleFields::StartDate, next)) || (error = rows.update())) {
        rows.cancelUpdate();
        return error;
    }
    if ((error = requery()))
        return error;
    return copyCurrentTaskTexts();
}

void AddSchedule::CmdCancel_Click()
{
    // The task buttons follow the flags read while a new row may still be pending: it is no stored task.
    setLayout(Layout::Browsing);
    dropPendingEntry();
    m_lists.resetStart();
    showCurrentTaskAgain();
}

void AddSchedule::showCurrentTaskAgain()
{
    // The boxes may still show the dropped entry: a new row's defaults and empty fields, or a file
    // name changed by the format buttons. A later edit and save take the title and file from here.
    FieldTexts::copy(m_data1->isAttached() ? &m_data1->recordset() : nullptr,
                     {into(ScheduleFields::Program, m_controls.programRec), into(ScheduleFields::Filename, m_controls.filenameRec),
                      into(ScheduleFields::StartTime, m_controls.startTimeRec), into(ScheduleFields::StartDate, m_controls.dateRec),
                      into(ScheduleFields::Parameter, m_controls.recParameter), into(ScheduleFields::RecordLength, m_controls.recLength)},
                     FieldTexts::Missing::ShowsEmpty, m_services.dateTimeText);
    showCurrentRepeat();
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
    m_controls.filenameRec->setText(OutputFileName::withExtension(m_controls.filenameRec->text(), extension));
}

void AddSchedule::chooseFile_Click()
{
    const QString fileName = ShowDialog(QString::fromUtf8(FileDialogTitle));
    if (!fileName.isEmpty())
        m_controls.filenameRec->setText(fileName);
}

QString AddSchedule::ShowDialog(const QString &title)
{
    QStringList fileTypes;
    for (const OutputFormatChoice &format : OutputFormats)
        fileTypes << QString::fromUtf8(format.fileType);
    // Asked again after every No, until the user picks a new name, says Yes or cancels.
    for (;;) {
        const QString fileName =
            m_services.fileDialog.askSaveFileName(this, title, fileTypes, OutputFormatIndex - 1);
        if (fileName.isEmpty() || !FileExistence::FileExists(fileName)
            || confirmed(QString::fromUtf8(ReplaceQuestion), QString::fromUtf8(ReplaceTitle)))
            return fileName;
    }
}
