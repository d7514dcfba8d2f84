#pragma once

#include <QTableView>

class Clock;
class CursorTableModel;
class DateTimeText;
class LocalTimeZone;
class RecordCursor;

// The editor's read-only grid of all tasks. It keeps the cursor's current row selected, and a row
// that the user selects becomes the cursor's current row, except while an entry is pending: then
// the selection goes back, so that the pending entry stays as it is.
class TaskGrid : public QTableView
{
    Q_OBJECT

public:
    TaskGrid(RecordCursor *cursor, const DateTimeText &dateTimeText, const Clock &clock,
             const LocalTimeZone &zone,
             QWidget *parent = nullptr);
    ~TaskGrid() override;

private:
    void selectCursorRow();
    void rowChosen(const QModelIndex &current);

    RecordCursor *m_cursor;
    CursorTableModel *m_rows;
    bool m_followingCursor = false;
};
