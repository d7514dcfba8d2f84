#include "CursorTableModel.h"

#include "BoundViews.h"
#include "RecordCursor.h"
#include "ScheduleFields.h"

CursorTableModel::CursorTableModel(RecordCursor *cursor, const DateTimeText &dateTimeText, QObject *parent)
    : QAbstractTableModel(parent)
    , m_cursor(cursor)
    , m_dateTimeText(dateTimeText)
    , m_rows(CachedRows)
{
    connect(m_cursor, &RecordCursor::rowsReset, this, &CursorTableModel::resetRows);
    connect(m_cursor, &RecordCursor::currentRowChanged, this, &CursorTableModel::followCurrentRow);
    resetRows();
    followCurrentRow();
}

CursorTableModel::~CursorTableModel() = default;

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
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rowCount)
        return {};
    return rowTexts(index.row()).value(index.column());
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
    if (m_cursor->isAttached()) {
        for (const QVariant &field : m_cursor->recordset().fieldsAt(row))
            texts->append(BoundViews::textOf(field, m_dateTimeText));
    }
    const QStringList result = *texts;
    m_rows.insert(row, texts);
    return result;
}
