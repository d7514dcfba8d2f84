#include "ResultSet.h"

#include "ScheduleFields.h"
#include "SeriesPlans.h"
#include "StoreConnection.h"
#include "StoredForm.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Few rows are fetched for a grid beyond those it shows.
constexpr int FetchedRows = 256;

// The content that links a row and its plan, as stored: NULL and empty text differ, as they do to the
// store's IS, by which a claim finds the plan.
QString rowKey(const Task &row)
{
    using ScheduleFields::Field;
    QStringList parts;
    for (const Field field : {Field::StartDate, Field::StartTime, Field::Filename})
        parts << (row.isNull(field) ? QStringLiteral("N") : QLatin1Char('T') + row.text(field));
    return parts.join(QChar(0));
}

} // namespace

ResultSet::ResultSet(std::shared_ptr<StoreConnection> connection)
    : m_store(std::move(connection))
    , m_fetched(FetchedRows)
{
}

ResultSet::~ResultSet() = default;

StoreError ResultSet::requery()
{
    QList<qint64> rowIds;
    QList<Task> first;
    if (const StoreError error = m_store.startOrder(&rowIds, &first, WholeRows))
        return error;
    m_rowIds = std::move(rowIds);
    m_read.clear();
    for (int i = 0; i < first.size(); ++i)
        m_read.insert(i, std::move(first[i]));
    m_fetched.clear();
    m_removed.clear();
    m_plans.reset();
    m_position = 0;
    dropPending();
    emit rowsReset();
    emit currentRowChanged();
    return {};
}

bool ResultSet::bof() const
{
    return m_rowIds.isEmpty();
}

bool ResultSet::eof() const
{
    return m_position >= m_rowIds.size();
}

bool ResultSet::hasCurrentRow() const
{
    return !eof() && !m_removed.contains(m_position);
}

const Task *ResultSet::readRow(int index, bool keep, StoreError *error) const
{
    if (m_removed.contains(index))
        return nullptr;
    if (const auto read = m_read.constFind(index); read != m_read.constEnd())
        return &*read;
    if (const Task *fetched = m_fetched.object(index)) {
        if (!keep)
            return fetched;
        return &*m_read.insert(index, *fetched);
    }
    std::optional<Task> task;
    if ((*error = m_store.read(m_rowIds.at(index), &task)))
        return nullptr;
    if (!task) {
        m_removed.insert(index);
        return nullptr;
    }
    if (keep)
        return &*m_read.insert(index, std::move(*task));
    auto *fetched = new Task(std::move(*task));
    m_fetched.insert(index, fetched);
    return fetched;
}

StoreError ResultSet::moveToRow(int index)
{
    m_position = index;
    // Read now, so that a row gone meanwhile reads as deleted from the start.
    StoreError ignored;
    if (!eof())
        readRow(m_position, true, &ignored);
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::moveFirst()
{
    dropPending();
    if (m_rowIds.isEmpty())
        return StoreError::noCurrentRecord();
    return moveToRow(0);
}

StoreError ResultSet::moveNext()
{
    dropPending();
    if (eof())
        return StoreError::noCurrentRecord();
    return moveToRow(m_position + 1);
}

StoreError ResultSet::moveTo(int index)
{
    dropPending();
    if (index < 0 || index >= m_rowIds.size())
        return StoreError::noCurrentRecord();
    return moveToRow(index);
}

StoreError ResultSet::addNew()
{
    m_pending = Task();
    m_editMode = EditMode::Adding;
    emit currentRowChanged();
    return {};
}

StoreError ResultSet::edit()
{
    StoreError error;
    const Task *listed = hasCurrentRow() ? readRow(m_position, true, &error) : nullptr;
    if (error)
        return error;
    if (!listed)
        return StoreError::noCurrentRecord();
    // A task fired or removed elsewhere since the list was read is not there to be edited.
    std::optional<Task> stored;
    if ((error = m_store.read(listed->rowId(), &stored)))
        return error;
    if (!stored)
        return StoreError::recordDeleted();
    m_pending = *listed;
    m_editMode = EditMode::Editing;
    return {};
}

StoreError ResultSet::update()
{
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();

    StoreConnection &connection = m_store.connection();
    QSqlQuery write(connection.database());
    if (m_editMode == EditMode::Adding) {
        QStringList placeholders;
        for (const auto field : ScheduleFields::All)
            placeholders << QLatin1Char(':') + field;
        write.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(ScheduleFields::Table, StoredForm::columnList(), placeholders.join(QStringLiteral(", "))));
    } else {
        QStringList assignments;
        for (const auto field : ScheduleFields::All)
            assignments << QStringLiteral("%1 = :%1").arg(field);
        write.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = :id")
                          .arg(ScheduleFields::Table, assignments.join(QStringLiteral(", "))));
        write.bindValue(QStringLiteral(":id"), m_pending.rowId());
    }
    for (int i = 0; i < ScheduleFields::Count; ++i)
        write.bindValue(QLatin1Char(':') + ScheduleFields::All[i], m_pending.stored(ScheduleFields::Field(i)));

    const StoreError error = withSeries([&](std::optional<Task> before, SeriesPlans &plans) -> StoreError {
        if (!write.exec())
            return connection.errorFrom(write.lastError());
        if (m_editMode == EditMode::Editing && write.numRowsAffected() == 0)
            return StoreError::recordDeleted();
        StoreError error = before ? plans.followRow(*before, m_pending) : StoreError();
        // The rule first: a plan that only gives a source stays once its rule is taken away.
        if (!error && m_pendingRule)
            error = plans.setRule(m_pending, *m_pendingRule, m_pendingFirstDate);
        if (!error && m_pendingSource)
            error = plans.setSource(m_pending, *m_pendingSource);
        return error;
    });
    if (error)
        return error;

    m_plans.reset();
    // A new row joins the end of the listed rows, as it would in a live result set.
    if (m_editMode == EditMode::Adding) {
        m_pending.setRowId(write.lastInsertId().toLongLong());
        m_rowIds.append(m_pending.rowId());
        m_read.insert(int(m_rowIds.size()) - 1, m_pending);
    } else {
        m_read.insert(m_position, m_pending);
        m_fetched.remove(m_position);
    }
    dropPending();
    return {};
}

void ResultSet::setSeriesRule(std::optional<QString> rule, QDate firstDate)
{
    m_pendingRule = std::move(rule);
    m_pendingFirstDate = firstDate;
}

StoreError ResultSet::withSeries(const std::function<StoreError(std::optional<Task>, SeriesPlans &)> &change)
{
    StoreConnection &connection = m_store.connection();
    QSqlQuery transaction(connection.database());
    if (!transaction.exec(QStringLiteral("SAVEPOINT userChange")))
        return connection.errorFrom(transaction.lastError());
    std::optional<Task> before;
    SeriesPlans plans(connection.shared_from_this());
    StoreError error;
    if (m_editMode != EditMode::Adding)
        error = m_store.read(m_rowIds.at(m_position), &before);
    if (!error)
        error = change(before, plans);
    if (error)
        transaction.exec(QStringLiteral("ROLLBACK TO userChange"));
    if (!transaction.exec(QStringLiteral("RELEASE userChange")) && !error)
        error = connection.errorFrom(transaction.lastError());
    return error;
}

StoreError ResultSet::cancelUpdate()
{
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();
    dropPending();
    return {};
}

StoreError ResultSet::deleteRow()
{
    if (!hasCurrentRow())
        return StoreError::noCurrentRecord();
    dropPending();
    StoreConnection &connection = m_store.connection();
    QSqlQuery removal(connection.database());
    removal.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = :id").arg(ScheduleFields::Table));
    removal.bindValue(QStringLiteral(":id"), m_rowIds.at(m_position));
    const StoreError error = withSeries([&](std::optional<Task> before, SeriesPlans &plans) -> StoreError {
        if (!removal.exec())
            return connection.errorFrom(removal.lastError());
        if (removal.numRowsAffected() == 0)
            return StoreError::recordDeleted();
        return before ? plans.dropRow(*before) : StoreError();
    });
    if (error)
        return error;
    m_plans.reset();
    markCurrentRowRemoved();
    return {};
}

void ResultSet::markCurrentRowRemoved()
{
    if (!hasCurrentRow())
        return;
    removeRow(m_position);
    emit currentRowChanged();
}

void ResultSet::removeRow(int index)
{
    m_removed.insert(index);
    m_read.remove(index);
    m_fetched.remove(index);
}

QVariant ResultSet::value(const QString &field, StoreError *error) const
{
    StoreError ignored;
    StoreError &failure = error ? *error : ignored;
    failure = {};

    const std::optional<ScheduleFields::Field> named = ScheduleFields::fieldNamed(field);
    if (!named) {
        failure = StoreError::fieldNotFound(field);
        return {};
    }
    if (m_editMode != EditMode::Browsing)
        return m_pending.value(*named);
    const std::optional<Task> task = currentTask(&failure);
    if (!task) {
        if (!failure)
            failure = StoreError::noCurrentRecord();
        return {};
    }
    return task->value(*named);
}

StoreError ResultSet::setValue(const QString &field, const QVariant &value)
{
    const std::optional<ScheduleFields::Field> named = ScheduleFields::fieldNamed(field);
    if (!named)
        return StoreError::fieldNotFound(field);
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();
    m_pending.setValue(*named, value);
    return {};
}

StoreError ResultSet::setSource(std::optional<QString> source)
{
    if (m_editMode == EditMode::Browsing)
        return StoreError::noPendingEdit();
    m_pendingSource = std::move(source);
    return {};
}

qint64 ResultSet::currentRowId() const
{
    return hasCurrentRow() ? m_rowIds.at(m_position) : -1;
}

int ResultSet::currentIndex() const
{
    return hasCurrentRow() ? m_position : -1;
}

std::optional<Task> ResultSet::currentTask(StoreError *error) const
{
    StoreError ignored;
    StoreError &failure = error ? *error : ignored;
    failure = {};
    const Task *task = hasCurrentRow() ? readRow(m_position, true, &failure) : nullptr;
    return task ? std::optional(*task) : std::nullopt;
}

std::optional<Task> ResultSet::taskAt(int index) const
{
    if (index < 0 || index >= m_rowIds.size())
        return std::nullopt;
    StoreError ignored;
    const Task *task = readRow(index, false, &ignored);
    return task ? std::optional(*task) : std::nullopt;
}

std::optional<SeriesPlan> ResultSet::currentPlan() const
{
    const std::optional<Task> row = currentTask();
    return row ? planOf(*row) : std::nullopt;
}

std::optional<SeriesPlan> ResultSet::planAt(int index) const
{
    const std::optional<Task> row = taskAt(index);
    return row ? planOf(*row) : std::nullopt;
}

std::optional<SeriesPlan> ResultSet::planOf(const Task &row) const
{
    if (!m_plans) {
        QList<SeriesPlan> plans;
        // Plans that cannot be read leave every row listed as a one-shot task.
        SeriesPlans(m_store.connection().shared_from_this()).all(&plans);
        m_plans.emplace();
        // The first of several plans for one row, as a claim picks it.
        for (SeriesPlan &plan : plans) {
            if (const QString key = rowKey(plan.row); !m_plans->contains(key))
                m_plans->insert(key, std::move(plan));
        }
    }
    const auto plan = m_plans->constFind(rowKey(row));
    return plan == m_plans->constEnd() ? std::nullopt : std::optional(*plan);
}

void ResultSet::dropPending()
{
    m_editMode = EditMode::Browsing;
    m_pending = Task();
    m_pendingRule.reset();
    m_pendingFirstDate = QDate();
    m_pendingSource.reset();
}
