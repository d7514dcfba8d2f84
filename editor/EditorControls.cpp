#include "EditorControls.h"

#include "FormControls.h"
#include "RepeatGroup.h"
#include "TaskGrid.h"
#include "WindowServices.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace FormControls;

namespace {

constexpr int ListHeight = 315;
constexpr int TextBoxHeight = 285;
constexpr int LabelHeight = 255;
constexpr int ButtonTop = 4560;
constexpr int ButtonWidth = 735;
constexpr int ButtonHeight = 375;

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

} // namespace

EditorControls::EditorControls(QDialog *window, RecordCursor *rows, const WindowServices &services)
{
    auto *frameTime = addFrame(window, "FrameTime", 120, 120, 5535, 1455, QStringLiteral("开始时间设置"));
    addLabel(frameTime, "LabelDate", 240, 360, 840, LabelHeight, QStringLiteral("开始日期 :"));
    comboMonth = addEntryList(frameTime, "ComboMonth", 1080, 360, 720, QStringLiteral("01"));
    addLabel(frameTime, "Label6", 1810, 360, 105, LabelHeight, QStringLiteral("/"));
    comboDay = addEntryList(frameTime, "ComboDay", 1920, 360, 720, QStringLiteral("01"));
    addLabel(frameTime, "Label7", 2650, 360, 105, LabelHeight, QStringLiteral("/"));
    comboYear = addEntryList(frameTime, "ComboYear", 2760, 360, 900, QStringLiteral("01"));
    addLabel(frameTime, "Label8", 3720, 405, 1215, LabelHeight, QStringLiteral("月/日/年"));
    addLabel(frameTime, "LabelSTime", 240, 840, 840, LabelHeight, QStringLiteral("开始时间 :"));
    addLabel(frameTime, "Label4", 1830, 840, 105, LabelHeight, QStringLiteral(":"));
    addLabel(frameTime, "Label5", 2670, 840, 105, LabelHeight, QStringLiteral(":"));
    addLabel(frameTime, "Label9", 3720, 840, 1215, LabelHeight, QStringLiteral("时:分:秒"));
    // The boxes share their places with the lists and the separators, and cover them while browsing.
    dateRec = addTextBox(frameTime, "DateRec", 1080, 360, 2415, true);
    startTimeRec = addTextBox(frameTime, "StartTimeRec", 1080, 840, 2415, true);
    // Scratch labels for the save, below the group's visible area.
    labelDateCap = addLabel(frameTime, "LabelDateCap", 240, 1560, 1215, LabelHeight);
    labelSTimeCap = addLabel(frameTime, "LabelSTimeCap", 2760, 1560, 1215, LabelHeight);

    // The time lists lie on the window, over the time row of the group.
    comboSHour = addEntryList(window, "ComboSHour", 1200, 960, 720, QStringLiteral("12"));
    comboSMinute = addEntryList(window, "ComboSMinute", 2040, 960, 720, QStringLiteral("00"));
    comboSSecond = addEntryList(window, "ComboSSecond", 2880, 960, 720, QStringLiteral("00"));
    comboSAmPm = addEntryList(window, "ComboSAmPm", 4920, 240, 735, QStringLiteral("AM"));
    comboSAmPm->setEnabled(false);

    auto *frame2 = addFrame(window, "Frame2", 120, 1680, 5535, 1335, QStringLiteral("录音自动停止设置"));
    addLabel(frame2, "Label1", 240, 360, 2775, LabelHeight, QStringLiteral("录音自动停止时间为:"));
    comboRecdays = addEntryList(frame2, "ComboRecdays", 240, 720, 705, QStringLiteral("0"));
    addLabel(frame2, "Label16", 960, 765, 375, LabelHeight, QStringLiteral(" 日"));
    comboRechours = addEntryList(frame2, "ComboRechours", 1440, 720, 705, QStringLiteral("0"));
    addLabel(frame2, "Label13", 2160, 765, 375, LabelHeight, QStringLiteral(" 时"));
    comboRecmins = addEntryList(frame2, "ComboRecmins", 2760, 720, 705, QStringLiteral("0"));
    addLabel(frame2, "Label14", 3480, 765, 375, LabelHeight, QStringLiteral(" 分"));
    comboRecsecs = addEntryList(frame2, "ComboRecsecs", 3960, 720, 705, QStringLiteral("0"));
    label15 = addLabel(frame2, "Label15", 4680, 765, 375, LabelHeight, QStringLiteral(" 秒"));
    recLength = addTextBox(frame2, "RecLength", 240, 720, 4455, false);

    auto *frameProgram = addFrame(window, "FrameProgram", 120, 3120, 5535, 1275, QStringLiteral("录音输出文件设置"));
    addLabel(frameProgram, "LabelFilename", 240, 240, 900, LabelHeight, QStringLiteral("文件名 :"));
    filenameRec = addTextBox(frameProgram, "FilenameRec", 1200, 360, 3375, true);
    chooseFile = addButton(frameProgram, "chooseFile", 4680, 360, 735, ListHeight, QStringLiteral("保存"));
    addLabel(frameProgram, "Label10", 240, 840, 900, LabelHeight, QStringLiteral(" 格式 :"));
    // One borderless container, so that the three options form one group.
    auto *picture1 = new QWidget(frameProgram);
    place(picture1, "Picture1", 1200, 840, 4095, LabelHeight);
    option1 = addOption(picture1, "Option1", 0, QStringLiteral("wav 格式"));
    option2 = addOption(picture1, "Option2", 1200, QStringLiteral("mp3 格式"));
    option3 = addOption(picture1, "Option3", 2400, QStringLiteral("wma 格式"));
    option2->setChecked(true);
    // Below the group's visible area: never seen, yet bound and used by the save.
    addLabel(frameProgram, "Label11", 120, 1440, 1035, LabelHeight, QStringLiteral("Parameter:"));
    recParameter = addTextBox(frameProgram, "RecParameter", 1200, 1440, 1215, false);
    addLabel(frameProgram, "LabelProgram", 0, 1680, 1095, LabelHeight, QStringLiteral("计划名称 :"));
    programRec = addTextBox(frameProgram, "ProgramRec", 1200, 1800, 2415, true);

    cmdAdd = addButton(window, "CmdAdd", 120, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("添加"));
    cmdEdit = addButton(window, "CmdEdit", 1080, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("编辑"));
    cmdDelete = addButton(window, "CmdDelete", 2040, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("删除"));
    cmdUpdate = addButton(window, "CmdUpdate", 3000, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("录制"));
    cmdCancel = addButton(window, "CmdCancel", 3960, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("取消"));
    cmdExit = addButton(window, "CmdExit", 4920, ButtonTop, ButtonWidth, ButtonHeight, QStringLiteral("退出"));

    dbGrid1 = new TaskGrid(rows, services.dateTimeText, services.clock, services.timeZone, window);
    place(dbGrid1, "DBGrid1", 120, 5040, 5535, 2055);

    repeat = new RepeatGroup(window);

    // No button is the window's default, so Enter in a list never saves or closes anything.
    for (QPushButton *button : window->findChildren<QPushButton *>())
        button->setAutoDefault(false);
}

EditorEntryLists::Lists EditorControls::entryLists() const
{
    return {comboMonth, comboDay, comboYear, comboSHour, comboSMinute, comboSSecond,
            comboRecdays, comboRechours, comboRecmins, comboRecsecs};
}
