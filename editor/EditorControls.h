#pragma once

#include "EditorEntryLists.h"

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RecordCursor;
class RepeatGroup;
class TaskGrid;
struct WindowServices;

// The editor window's controls, made on the window in their design order, each named and placed as designed.
struct EditorControls
{
    EditorControls(QDialog *window, RecordCursor *rows, const WindowServices &services);

    // The ten lists the entry is typed or picked in.
    EditorEntryLists::Lists entryLists() const;

    QLineEdit *dateRec = nullptr;
    QLineEdit *startTimeRec = nullptr;
    QLineEdit *recLength = nullptr;
    QLineEdit *filenameRec = nullptr;
    QLineEdit *recParameter = nullptr;
    QLineEdit *programRec = nullptr;
    QComboBox *comboMonth = nullptr;
    QComboBox *comboDay = nullptr;
    QComboBox *comboYear = nullptr;
    QComboBox *comboSHour = nullptr;
    QComboBox *comboSMinute = nullptr;
    QComboBox *comboSSecond = nullptr;
    QComboBox *comboSAmPm = nullptr;
    QComboBox *comboRecdays = nullptr;
    QComboBox *comboRechours = nullptr;
    QComboBox *comboRecmins = nullptr;
    QComboBox *comboRecsecs = nullptr;
    QLabel *label15 = nullptr;
    QLabel *labelDateCap = nullptr;
    QLabel *labelSTimeCap = nullptr;
    QPushButton *chooseFile = nullptr;
    QRadioButton *option1 = nullptr;
    QRadioButton *option2 = nullptr;
    QRadioButton *option3 = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdExit = nullptr;
    TaskGrid *dbGrid1 = nullptr;
    RepeatGroup *repeat = nullptr;
};
