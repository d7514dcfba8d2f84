#include "TaskClaims.h"

#include "ScheduleFields.h"
#include "SeriesRule.h"
#include "StoreConnection.h"
#include "StoredForm.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// On the way out a pending commit may wait this long for readers to let go.
constexpr int FinalCommitWaitMs = 2000;
// Occurrence dates are looked up this many at a time while days off are walked.
constexpr int DatesPerLookup = 64;

// The series' first occurrence after the date that is not wholly past, and the dates passed on the way.
std::optional<QDate> firstNotPast(const SeriesRule &rule, const SeriesPlan &plan, const Task &row, QDate after,
                                  const TaskClaims::DateTest &isPast, QList<QDate> *passed)
{
    for (bool more = true; more;) {
        const QList<QDate> dates = rule.datesAfter(plan.countsFrom(), row.startTime(), after, DatesPerLookup);
        more = dates.size() == DatesPerLookup;
        for (const QDate date : dates) {
            if (!isPast(row, date))
                return date;
            *passed << date;
            after = date;
        }
    }
    return std::nullopt;
}

} // namespace

TaskClaims::TaskClaims(std::shared_ptr<StoreConnection> connection)
    : m_connection(std::move(connection))
    , m_begin(m_connection->database())
    , m_select(m_connection->database())
    , m_delete(m_connection->database())
    , m_insert(m_connection->database())
{
}

bool TaskClaims::prepare(StoreError *error)
{
    if (m_prepared)
        return true;
    // Reading the table's layout needs the store: another program's lock may keep it from that.
    const bool prepared =
        m_begin.prepare(QStringLiteral("BEGIN IMMEDIATE"))
        && m_select.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = :id")
                                .arg(StoredForm::columnList(), ScheduleFields::Table))
        && m_delete.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = :id").arg(ScheduleFields::Table))
        && m_insert.prepare(QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?, ?, ?, ?, ?, ?, ?)")
                                .arg(ScheduleFields::Table, StoredForm::columnList()));
    if (!prepared) {
        for (const QSqlQuery *query : {&m_begin, &m_select, &m_delete, &m_insert}) {
            if (query->lastError().isValid())
                *error = m_connection->errorFrom(query->lastError());
        }
        return false;
    }
    m_prepared = true;
    return true;
}

TaskClaims::~TaskClaims()
{
    if (!m_open)
        return;
    // A task whose recorder never started stays stored; the started ones leave if the store lets them.
    for (const qint64 rowId : m_unsettled.keys())
        restore(rowId);
    m_connection->setLockWait(FinalCommitWaitMs);
    commit();
}

std::unique_ptr<TaskClaims> TaskClaims::open(const QString &storePath, StoreError *error, int openLockWaitMs)
{
    auto connection = StoreConnection::open(storePath, error, openLockWaitMs);
    if (!connection)
        return nullptr;
    std::unique_ptr<TaskClaims> claims(new TaskClaims(connection));
    SeriesPlans::Access access = SeriesPlans::Access::OlderStore;
    if ((*error = SeriesPlans::access(*connection, &access)))
        return nullptr;
    if (access == SeriesPlans::Access::Writable)
        claims->m_plans = std::make_unique<SeriesPlans>(connection);
    // Prepared now, so that a claim in a task's second does not parse them; tried again at the claim.
    StoreError notYet;
    claims->prepare(&notYet);
    connection->setLockWait(0);
    return claims;
}

TaskClaims::Outcome TaskClaims::failed(const QSqlQuery &query, StoreError *error) const
{
    return failed(m_connection->errorFrom(query.lastError()), error);
}

TaskClaims::Outcome TaskClaims::failed(const StoreError &storeError, StoreError *error) const
{
    *error = storeError;
    return error->number == StoreError::Locked ? Outcome::Locked : Outcome::Failed;
}

void TaskClaims::rollBackIfEmpty()
{
    if (!m_unsettled.isEmpty())
        return;
    // A ROLLBACK that fails finds no transaction: SQLite ends one itself after a full disk, say.
    QSqlQuery(m_connection->database()).exec(QStringLiteral("ROLLBACK"));
    m_open = false;
}

bool TaskClaims::beginIfNeeded(StoreError *error)
{
    if (!prepare(error))
        return false;
    if (m_open)
        return true;
    if (!m_begin.exec()) {
        *error = m_connection->errorFrom(m_begin.lastError());
        return false;
    }
    m_begin.finish();
    m_open = true;
    return true;
}

StoreError TaskClaims::readRow(qint64 rowId, std::optional<Task> *task, QVariantList *stored)
{
    m_select.bindValue(QStringLiteral(":id"), rowId);
    if (!m_select.exec())
        return m_connection->errorFrom(m_select.lastError());
    task->reset();
    if (m_select.next()) {
        Task now(rowId);
        for (int i = 0; i < ScheduleFields::Count; ++i) {
            *stored << m_select.value(i);
            now.setStored(ScheduleFields::Field(i), m_select.value(i));
        }
        *task = now;
    }
    m_select.finish();
    return {};
}

StoreError TaskClaims::insertRow(const Task &task, qint64 *rowId)
{
    m_insert.addBindValue(*rowId < 0 ? QVariant() : QVariant(*rowId));
    for (int i = 0; i < ScheduleFields::Count; ++i)
        m_insert.addBindValue(task.stored(ScheduleFields::Field(i)));
    if (!m_insert.exec())
        return m_connection->errorFrom(m_insert.lastError());
    *rowId = m_insert.lastInsertId().toLongLong();
    m_insert.finish();
    return {};
}

StoreError TaskClaims::deleteRow(qint64 rowId)
{
    m_delete.bindValue(QStringLiteral(":id"), rowId);
    if (!m_delete.exec())
        return m_connection->errorFrom(m_delete.lastError());
    m_delete.finish();
    return {};
}

StoreError TaskClaims::moveSeries(SeriesPlan plan, const Task &row, std::optional<QDate> date, qint64 *rowId)
{
    if (!date)
        return m_plans->remove(plan.id);
    Task moved = row;
    moved.setValue(ScheduleFields::Field::StartDate, *date);
    if (const StoreError error = insertRow(moved, rowId))
        return error;
    plan.firstDate = plan.countsFrom();
    plan.row = moved;
    return m_plans->put(&plan);
}

bool TaskClaims::within(const std::function<StoreError()> &change, StoreError *error)
{
    QSqlQuery query(m_connection->database());
    if (!query.exec(QStringLiteral("SAVEPOINT change"))) {
        *error = m_connection->errorFrom(query.lastError());
        return false;
    }
    *error = change();
    if (error->failed())
        query.exec(QStringLiteral("ROLLBACK TO change"));
    query.exec(QStringLiteral("RELEASE change"));
    return !error->failed();
}

TaskClaims::Outcome TaskClaims::claim(const Task &asRead, StoreError *error, Planned *planned)
{
    const qint64 rowId = asRead.rowId();
    *error = {};
    if (!beginIfNeeded(error))
        return failed(*error, error);
    std::optional<Task> now;
    QVariantList stored;
    std::optional<SeriesPlan> plan;
    if (const StoreError readError = readRow(rowId, &now, &stored);
        readError || (m_plans && now && (*error = m_plans->planOf(*now, &plan)))) {
        const Outcome outcome = failed(readError ? readError : *error, error);
        rollBackIfEmpty();
        return outcome;
    }
    if (!now || *now != asRead) {
        rollBackIfEmpty();
        return now ? Outcome::Changed : Outcome::Gone;
    }
    // A rule that cannot be read leaves its row a one-shot task.
    const std::optional<SeriesRule> rule = plan ? SeriesRule::read(plan->rule) : std::nullopt;
    if (planned) {
        planned->repeat = rule ? Repeat::Occurrence
                               : (plan && plan->repeats() ? Repeat::UnreadableRule : Repeat::None);
        planned->source = plan ? plan->source : QString();
    }

    Undo undo{stored, -1, std::nullopt};
    const bool claimed = within(
        [&]() -> StoreError {
            if (const StoreError deleteError = deleteRow(rowId))
                return deleteError;
            // The series' next occurrence takes its place.
            if (rule) {
                undo.planBefore = plan;
                const QDate date = asRead.startDate();
                return moveSeries(*plan, asRead, rule->nextAfter(plan->countsFrom(), asRead.startTime(), date),
                                  &undo.nextRowId);
            }
            // A one-shot task's plan, which only gave it a source, goes with it.
            if (plan && !plan->repeats()) {
                undo.planBefore = plan;
                return m_plans->remove(plan->id);
            }
            return StoreError();
        },
        error);
    if (!claimed) {
        rollBackIfEmpty();
        return error->number == StoreError::Locked ? Outcome::Locked : Outcome::NotRemoved;
    }
    m_unsettled.insert(rowId, undo);
    return Outcome::Claimed;
}

TaskClaims::Outcome TaskClaims::passOver(const Task &asRead, const DateTest &isPast, QList<QDate> *passed,
                                         StoreError *error)
{
    *error = {};
    // Most passed-over tasks are one-shot: they are told apart without taking the store.
    std::optional<SeriesPlan> plan;
    if (!m_plans || m_plans->planOf(asRead, &plan) || !plan || !SeriesRule::read(plan->rule))
        return Outcome::NotASeries;
    if (!beginIfNeeded(error))
        return failed(*error, error);
    std::optional<Task> now;
    QVariantList stored;
    if (const StoreError readError = readRow(asRead.rowId(), &now, &stored);
        readError || (now && (*error = m_plans->planOf(*now, &plan)))) {
        const Outcome outcome = failed(readError ? readError : *error, error);
        rollBackIfEmpty();
        return outcome;
    }
    const std::optional<SeriesRule> rule = plan ? SeriesRule::read(plan->rule) : std::nullopt;
    if (!now || *now != asRead || !rule) {
        rollBackIfEmpty();
        return !now ? Outcome::Gone : (*now != asRead ? Outcome::Changed : Outcome::NotASeries);
    }

    QList<QDate> gone{asRead.startDate()};
    const std::optional<QDate> target = firstNotPast(*rule, *plan, asRead, asRead.startDate(), isPast, &gone);
    const bool moved = within(
        [&]() -> StoreError {
            qint64 sameRow = asRead.rowId();
            const StoreError deleteError = deleteRow(sameRow);
            return deleteError ? deleteError : moveSeries(*plan, asRead, target, &sameRow);
        },
        error);
    if (!moved) {
        const Outcome outcome = failed(*error, error);
        rollBackIfEmpty();
        return outcome;
    }
    *passed = gone;
    return Outcome::Claimed;
}

StoreError TaskClaims::resumeSeries(const DateTest &isPast, bool *resumed)
{
    *resumed = false;
    QList<SeriesPlan> orphans;
    StoreError error;
    if (!m_plans || (error = m_plans->all(&orphans, true)) || orphans.isEmpty())
        return error;
    // Read again once the store is ours, so that two copies never both resume a series.
    if (!beginIfNeeded(&error) || (error = m_plans->all(&orphans, true)))
        return error;
    for (SeriesPlan &plan : orphans) {
        const std::optional<SeriesRule> rule = SeriesRule::read(plan.rule);
        // A one-shot task that only had a source of its own has gone: so does its plan.
        if (!plan.repeats() && !within([&] { return m_plans->remove(plan.id); }, &error))
            break;
        if (!rule || !plan.row.startDate().isValid() || !plan.row.startTime().isValid())
            continue;
        QList<QDate> passed;
        const std::optional<QDate> next = firstNotPast(*rule, plan, plan.row, plan.row.startDate(), isPast, &passed);
        qint64 newRow = -1;
        if (!within([&] { return moveSeries(plan, plan.row, next, &newRow); }, &error))
            break;
        *resumed = *resumed || next;
    }
    if (error)
        rollBackIfEmpty();
    return error;
}

StoreError TaskClaims::restore(qint64 rowId)
{
    const auto claimed = m_unsettled.constFind(rowId);
    // Not claimed in the open transaction: it is stored as it was, or was put back when that was undone.
    if (claimed == m_unsettled.constEnd())
        return {};
    StoreError error;
    const Undo undo = *claimed;
    const bool restored = within(
        [&]() -> StoreError {
            if (const StoreError deleteError = undo.nextRowId >= 0 ? deleteRow(undo.nextRowId) : StoreError())
                return deleteError;
            if (undo.planBefore) {
                SeriesPlan plan = *undo.planBefore;
                if (const StoreError planError = m_plans->put(&plan))
                    return planError;
            }
            Task row(rowId);
            for (int i = 0; i < ScheduleFields::Count; ++i)
                row.setStored(ScheduleFields::Field(i), undo.stored.at(i));
            qint64 sameRow = rowId;
            return insertRow(row, &sameRow);
        },
        &error);
    if (restored) {
        m_unsettled.erase(claimed);
        return {};
    }
    // Left as it is, the removal would hold the store's write lock for good.
    m_unsettled.clear();
    rollBackIfEmpty();
    return error;
}

void TaskClaims::settle(qint64 rowId)
{
    m_unsettled.remove(rowId);
}

StoreError TaskClaims::commit()
{
    if (!m_open || !m_unsettled.isEmpty())
        return {};
    QSqlQuery query(m_connection->database());
    if (query.exec(QStringLiteral("COMMIT"))) {
        m_open = false;
        return {};
    }
    const StoreError error = m_connection->errorFrom(query.lastError());
    // Anything but readers in the way has undone the transaction or will not let it end.
    if (error.number != StoreError::Locked) {
        query.exec(QStringLiteral("ROLLBACK"));
        m_open = false;
    }
    return error;
}
