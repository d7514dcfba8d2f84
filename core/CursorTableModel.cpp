#include "CursorTableModel.h"

#include "Clock.h"
#include "LocalTimeZone.h"
#include "RecordCursor.h"
#include "ScheduleFields.h"
#include "ValueText.h"

#include <QBrush>
#include <QColor>

namespace {

constexpr int ClockWatchMs = 1000;
const QColor MissedText(128, 128, 128);
const QColor ClashBackground(255, 214, 153);

} // namespace

CursorTableModel::CursorTableModel(RecordCursor *cursor, const DateTimeText &dateTimeText, const Clock &clock,
                                   const LocalTimeZone &zone, QObject *parent)
    : QAbstractTableModel(parent)
    , m_cursor(cursor)
    , m_dateTimeText(dateTimeText)
    , m_clock(clock)
    , m_zone(zone)
    , m_rows(CachedRows)
    , m_marks(CachedRows)
{
    connect(m_cursor, &RecordCursor::rowsReset, this, &CursorTableModel::resetRows);
    connect(m_cursor, &RecordCursor::currentRowChanged, this, &CursorTableModel::followCurrentRow);
    // A task becomes missed while the list is open.
    connect(&m_clockWatch, &QTimer::timeout, this, &CursorTableModel::followClock);
    m_clockWatch.start(ClockWatchMs);
    resetRows();
    followCurrentRow();
}

CursorTableModel::~CursorTableModel() = default;

void CursorTableModel::showSeries(SeriesToolTip toolTip)
{
    beginResetModel();
    m_seriesToolTip = std::move(toolTip);
    m_rows.clear();
    endResetModel();
}

std::optional<SeriesPlan> CursorTableModel::planOf(int row) const
{
    if (!m_seriesToolTip || !m_cursor->isAttached())
        return std::nullopt;
    // A plan that only gives a one-shot task its source is no series.
    const std::optional<SeriesPlan> plan = m_cursor->recordset().planAt(row);
    return plan && plan->repeats() ? plan : std::nullopt;
}

int CursorTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int CursorTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ScheduleFields::Count;
}

QVariant CursorTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return rowTexts(index.row()).value(index.column());
    case Qt::ForegroundRole:
        return markOf(index.row()).missed ? QVariant(QBrush(MissedText)) : QVariant();
    case Qt::BackgroundRole:
        return markOf(index.row()).clashes ? QVariant(QBrush(ClashBackground)) : QVariant();
    case Qt::ToolTipRole: {
        QStringList tips{markOf(index.row()).toolTip};
        if (const std::optional<SeriesPlan> plan = planOf(index.row()))
            tips << m_seriesToolTip(*plan);
        tips.removeAll(QString());
        return tips.isEmpty() ? QVariant() : QVariant(tips.join(u'\n'));
    }
    default:
        return {};
    }
}

TaskMarks::Mark CursorTableModel::markOf(int row) const
{
    const qint64 nowMs = m_clock.now().toMSecsSinceEpoch();
    if (nowMs / 1000 != m_marksSecond) {
        m_marks.clear();
        m_marksSecond = nowMs / 1000;
    }
    if (const TaskMarks::Mark *known = m_marks.object(row))
        return *known;
    if (!m_cursor->isAttached())
        return {};
    const ResultSet &rows = m_cursor->recordset();
    auto *mark = new TaskMarks::Mark(
        TaskMarks::of(rows.taskAt(row - 1), rows.taskAt(row), rows.taskAt(row + 1), nowMs, m_zone.current()));
    const TaskMarks::Mark result = *mark;
    m_marks.insert(row, mark);
    return result;
}

void CursorTableModel::followClock()
{
    if (m_rowCount > 0)
        emit dataChanged(index(0, 0), index(m_rowCount - 1, ScheduleFields::Count - 1),
                         {Qt::ForegroundRole, Qt::BackgroundRole, Qt::ToolTipRole});
}

QVariant CursorTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < ScheduleFields::Count ? QString(ScheduleFields::All[section]) : QVariant();
    if (section < 0 || section >= m_rowCount)
        return {};
    return section == m_currentRow ? QString::fromUtf8(CurrentRowMarker) : QString();
}

Qt::ItemFlags CursorTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void CursorTableModel::resetRows()
{
    beginResetModel();
    m_rows.clear();
    m_marks.clear();
    // The count is taken here only: a row added through the cursor joins the list at its next reading.
    m_rowCount = m_cursor->isAttached() ? m_cursor->recordset().rowCount() : 0;
    m_currentRow = -1;
    endResetModel();
}

void CursorTableModel::followCurrentRow()
{
    int row = m_cursor->isAttached() ? m_cursor->recordset().currentIndex() : -1;
    if (row >= m_rowCount)
        row = -1;
    if (row == m_currentRow)
        return;
    const int previous = m_currentRow;
    m_currentRow = row;
    if (previous >= 0)
        emit headerDataChanged(Qt::Vertical, previous, previous);
    if (row >= 0)
        emit headerDataChanged(Qt::Vertical, row, row);
    emit currentRowMoved(row);
}

QStringList CursorTableModel::rowTexts(int row) const
{
    if (const QStringList *cached = m_rows.object(row))
        return *cached;
    auto *texts = new QStringList;
    // A row removed through the cursor shows empty cells.
    if (const std::optional<Task> task = m_cursor->isAttached() ? m_cursor->recordset().taskAt(row) : std::nullopt) {
        for (int i = 0; i < ScheduleFields::Count; ++i)
            texts->append(ValueText::of(task->value(ScheduleFields::Field(i)), m_dateTimeText));
        if (planOf(row))
            (*texts)[int(ScheduleFields::Field::Program)].prepend(QString::fromUtf8(SeriesMark));
    }
    const QStringList result = *texts;
    m_rows.insert(row, texts);
    return result;
}
