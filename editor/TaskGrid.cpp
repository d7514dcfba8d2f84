#include "TaskGrid.h"

#include "CursorTableModel.h"
#include "RecordCursor.h"
#include "SeriesToolTip.h"

#include <QHeaderView>
#include <QTimer>

TaskGrid::TaskGrid(RecordCursor *cursor, const DateTimeText &dateTimeText, const Clock &clock,
                   const LocalTimeZone &zone, QWidget *parent)
    : QTableView(parent)
    , m_cursor(cursor)
    , m_rows(new CursorTableModel(cursor, dateTimeText, clock, zone, this))
{
    m_rows->showSeries(&SeriesToolTip::of);
    setModel(m_rows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Fixed row heights keep a long list as quick as a short one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    const int markerWidth = fontMetrics().horizontalAdvance(QString::fromUtf8(CursorTableModel::CurrentRowMarker));
    verticalHeader()->setMinimumWidth(markerWidth + 8);
    horizontalHeader()->setHighlightSections(false);

    connect(m_rows, &CursorTableModel::currentRowMoved, this, &TaskGrid::selectCursorRow);
    connect(m_rows, &QAbstractItemModel::modelReset, this, &TaskGrid::selectCursorRow);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TaskGrid::rowChosen);
    selectCursorRow();
}

TaskGrid::~TaskGrid() = default;

void TaskGrid::selectCursorRow()
{
    m_followingCursor = true;
    const int row = m_rows->currentRow();
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex index = m_rows->index(row, qMax(0, currentIndex().column()));
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_followingCursor = false;
}

void TaskGrid::rowChosen(const QModelIndex &current)
{
    if (m_followingCursor || !current.isValid() || current.row() == m_rows->currentRow())
        return;
    const bool browsing =
        m_cursor->isAttached() && m_cursor->recordset().editMode() == ResultSet::EditMode::Browsing;
    if (!browsing || m_cursor->recordset().moveTo(current.row())) {
        // Put back once the click or key press that moved the selection is through.
        QTimer::singleShot(0, this, &TaskGrid::selectCursorRow);
    }
}
