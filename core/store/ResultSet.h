#pragma once

#include "SeriesPlans.h"
#include "StoreError.h"
#include "Task.h"
#include "TaskStore.h"

#include <QCache>
#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class StoreConnection;

// The tasks in start order, listed afresh by each requery: moves and field reads of the rows read
// with the list touch no SQL, and rows added or removed elsewhere show only after the next requery.
// Only the first rows are read whole with the list; any other row is read when it becomes current
// or a grid asks for it, and a row gone from the store by then reads as deleted. Only Update and
// Delete write to the store; Edit looks whether its row is still there.
class ResultSet : public QObject
{
    Q_OBJECT

public:
    enum class EditMode { Browsing, Adding, Editing };

    ~ResultSet() override;

    // How many of the first rows are read whole with the list: more than a window shows at once.
    static constexpr int WholeRows = 256;

    StoreError requery();

    bool bof() const;
    bool eof() const;
    EditMode editMode() const { return m_editMode; }

    StoreError moveFirst();
    StoreError moveNext();
    // Makes the listed row at this index current, as a click in a grid does.
    StoreError moveTo(int index);

    StoreError addNew();
    StoreError edit();
    StoreError update();
    StoreError cancelUpdate();
    StoreError deleteRow();
    // The repeat that the next Update gives its row, in the same transaction: nothing leaves the
    // row's series as it is, an empty rule makes it a one-shot task, a rule makes it a series that
    // counts from firstDate (see SeriesPlans::setRule). Dropped with the pending row.
    void setSeriesRule(std::optional<QString> rule, QDate firstDate = {});
    // The current row has left the table another way (a fired task's claim): it reads as deleted,
    // as after deleteRow().
    void markCurrentRowRemoved();

    // A field of the pending row while adding or editing, else of the current row.
    // A date or time field comes back as QDate or QTime; a field without value as a null QVariant.
    QVariant value(const QString &field, StoreError *error = nullptr) const;
    StoreError setValue(const QString &field, const QVariant &value);
    // The source that Update gives the pending row, empty for the recorder's choice; nothing leaves it as it is.
    StoreError setSource(std::optional<QString> source);

    // The current row's id in the table, or -1 when there is none.
    qint64 currentRowId() const;
    // The current row's index among the listed rows, or -1 when there is none.
    int currentIndex() const;
    // The current row as read; nothing when there is none, or when it cannot be read just now (then
    // with the error).
    std::optional<Task> currentTask(StoreError *error = nullptr) const;

    // The rows as listed, for a grid; nothing for a row removed, or one that cannot be read.
    int rowCount() const { return int(m_rowIds.size()); }
    std::optional<Task> taskAt(int index) const;
    // The plan of a listed row, or of the current row: a series' rule or a task's own source. The plans
    // are read once per listing, when first asked for, and again after an Update or Delete; a store
    // without them lists one-shot tasks only.
    std::optional<SeriesPlan> planAt(int index) const;
    std::optional<SeriesPlan> currentPlan() const;

signals:
    // The row that reads and the bound views refer to has changed (a move, a requery, AddNew, Delete).
    void currentRowChanged();
    // The listed rows were read again.
    void rowsReset();

private:
    // One change of the user's to the current or a new row, with the series' plan following it in the
    // same transaction; given the row as stored before, or nothing for a new one.
    StoreError withSeries(const std::function<StoreError(std::optional<Task>, SeriesPlans &)> &change);
    friend class StoreConnection;
    explicit ResultSet(std::shared_ptr<StoreConnection> connection);

    bool hasCurrentRow() const;
    // The plan whose row holds the task as stored.
    std::optional<SeriesPlan> planOf(const Task &row) const;
    // The listed row, read from the store when it was not read with the list; nothing when it is gone
    // (it then reads as removed) or cannot be read now.
    const Task *readRow(int index, bool keep, StoreError *error) const;
    StoreError moveToRow(int index);
    void removeRow(int index);
    void dropPending();

    mutable TaskStore m_store;
    QList<qint64> m_rowIds;
    // Rows read whole: the first ones with the list, then each one made current.
    mutable QHash<int, Task> m_read;
    // Rows a grid asked for, a few at a time.
    mutable QCache<int, Task> m_fetched;
    mutable QSet<int> m_removed;
    // The plans by their row's stored content, once read.
    mutable std::optional<QHash<QString, SeriesPlan>> m_plans;
    int m_position = 0; // index into m_rowIds; equal to its size at EOF
    EditMode m_editMode = EditMode::Browsing;
    Task m_pending;
    std::optional<QString> m_pendingRule;
    QDate m_pendingFirstDate;
    std::optional<QString> m_pendingSource;
};
