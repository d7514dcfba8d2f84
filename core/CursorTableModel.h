#pragma once

#include "TaskMarks.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

class Clock;
class DateTimeText;
class LocalTimeZone;
class RecordCursor;
struct SeriesPlan;

// The rows of a record cursor for a grid: one column per field, headed by the field's name,
// with the cursor's current row marked in the row selector. Missed tasks are greyed and tasks that
// cut each other off are shown in a warning colour, with a tooltip that says why; the marks follow
// the clock. Asked to, it marks a series' row before its title and adds the series to its tooltip.
// Row texts are made only when the grid asks for them and only a few are kept, so a long
// list costs no more than a short one.
class CursorTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using SeriesToolTip = std::function<QString(const SeriesPlan &plan)>;

    CursorTableModel(RecordCursor *cursor, const DateTimeText &dateTimeText, const Clock &clock,
                     const LocalTimeZone &zone,
                     QObject *parent = nullptr);
    ~CursorTableModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Marks the series' rows from now on, with this tooltip for each.
    void showSeries(SeriesToolTip toolTip);

    // The listed row that is the cursor's current row, or -1 when there is none.
    int currentRow() const { return m_currentRow; }

    static constexpr auto CurrentRowMarker = "▶";
    // Shown before a series' title, never stored.
    static constexpr auto SeriesMark = "↻ ";
    // How many rows are kept once read.
    static constexpr int CachedRows = 256;

signals:
    void currentRowMoved(int row);

private:
    void resetRows();
    void followCurrentRow();
    QStringList rowTexts(int row) const;
    std::optional<SeriesPlan> planOf(int row) const;
    TaskMarks::Mark markOf(int row) const;
    void followClock();

    RecordCursor *m_cursor;
    const DateTimeText &m_dateTimeText;
    const Clock &m_clock;
    const LocalTimeZone &m_zone;
    SeriesToolTip m_seriesToolTip;
    QTimer m_clockWatch;
    int m_rowCount = 0;
    int m_currentRow = -1;
    mutable QCache<int, QStringList> m_rows;
    // Marks as of one second, made again when the clock has moved on.
    mutable QCache<int, TaskMarks::Mark> m_marks;
    mutable qint64 m_marksSecond = 0;
};
