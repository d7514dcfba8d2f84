#include "SeriesPlans.h"

#include "ScheduleFields.h"
#include "StoreConnection.h"
#include "StoredForm.h"
#include "TaskSources.h"

#include <QSqlError>

#include <array>

namespace {

constexpr QLatin1StringView PlanTable{"AddSchPlan"};

// The steps from each version to the next, the first from the store that held AddSchTab alone.
const std::array<QStringList, SeriesPlans::StoreVersion> Steps = {
    QStringList{
        QStringLiteral("CREATE TABLE IF NOT EXISTS AddSchPlan (Id INTEGER PRIMARY KEY, StartDate TEXT, StartTime TEXT, "
                       "Filename TEXT, Rule TEXT NOT NULL, FirstDate TEXT, Program TEXT, Parameter TEXT, "
                       "RecordLength TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS AddSchPlanRow ON AddSchPlan (StartDate, StartTime, Filename)"),
    },
    // Each task's own source.
    QStringList{QStringLiteral("ALTER TABLE AddSchPlan ADD COLUMN Source TEXT")},
};

const QString PlanColumns = QStringLiteral("Id, Rule, FirstDate, StartDate, StartTime, Program, Filename, "
                                           "Parameter, RecordLength, Source");

SeriesPlan planFrom(const QSqlQuery &query)
{
    SeriesPlan plan;
    plan.id = query.value(0).toLongLong();
    plan.rule = query.value(1).toString();
    plan.firstDate = StoredForm::readDate(query.value(2).toString());
    for (int i = 0; i < ScheduleFields::Count; ++i)
        plan.row.setStored(ScheduleFields::Field(i), query.value(3 + i));
    plan.source = query.value(3 + ScheduleFields::Count).toString();
    return plan;
}

SeriesPlans::Access accessOf(int version)
{
    if (version < SeriesPlans::StoreVersion)
        return SeriesPlans::Access::OlderStore;
    return version == SeriesPlans::StoreVersion ? SeriesPlans::Access::Writable : SeriesPlans::Access::NewerStore;
}

} // namespace

StoreError SeriesPlans::access(StoreConnection &connection, Access *access)
{
    QSqlQuery query(connection.database());
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return connection.errorFrom(query.lastError());
    *access = accessOf(query.value(0).toInt());
    return {};
}

StoreError SeriesPlans::upgrade(StoreConnection &connection)
{
    // Most starts find the store as it is, and take no lock for it.
    Access found = Access::OlderStore;
    if (const StoreError error = access(connection, &found); error || found != Access::OlderStore)
        return error;
    QSqlQuery query(connection.database());
    const auto failed = [&] {
        const StoreError error = connection.errorFrom(query.lastError());
        query.exec(QStringLiteral("ROLLBACK"));
        return error;
    };
    for (int step = 0; step < int(Steps.size()); ++step) {
        // The version is read inside each step's transaction: another copy may have taken the step.
        if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return failed();
        if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
            return failed();
        const int version = query.value(0).toInt();
        query.finish();
        if (version <= step) {
            for (const QString &statement : Steps[step]) {
                if (!query.exec(statement))
                    return failed();
            }
            if (!query.exec(QStringLiteral("PRAGMA user_version = %1").arg(step + 1)))
                return failed();
        }
        if (!query.exec(QStringLiteral("COMMIT")))
            return failed();
    }
    return {};
}

SeriesPlans::SeriesPlans(std::shared_ptr<StoreConnection> connection)
    : m_connection(std::move(connection))
    , m_find(m_connection->database())
    , m_put(m_connection->database())
{
}

StoreError SeriesPlans::planOf(const Task &row, std::optional<SeriesPlan> *plan)
{
    if (m_find.lastQuery().isEmpty()
        && !m_find.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE StartDate IS :date AND StartTime IS :time "
                                          "AND Filename IS :file ORDER BY Id LIMIT 1")
                               .arg(PlanColumns, PlanTable)))
        return m_connection->errorFrom(m_find.lastError());
    m_find.bindValue(QStringLiteral(":date"), row.stored(ScheduleFields::Field::StartDate));
    m_find.bindValue(QStringLiteral(":time"), row.stored(ScheduleFields::Field::StartTime));
    m_find.bindValue(QStringLiteral(":file"), row.stored(ScheduleFields::Field::Filename));
    if (!m_find.exec())
        return m_connection->errorFrom(m_find.lastError());
    *plan = m_find.next() ? std::optional(planFrom(m_find)) : std::nullopt;
    m_find.finish();
    return {};
}

StoreError SeriesPlans::put(SeriesPlan *plan)
{
    if (m_put.lastQuery().isEmpty()
        && !m_put.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                              .arg(PlanTable, PlanColumns)))
        return m_connection->errorFrom(m_put.lastError());
    m_put.addBindValue(plan->id < 0 ? QVariant() : QVariant(plan->id));
    // No rule is empty text: the column takes no NULL.
    m_put.addBindValue(plan->rule.isNull() ? QStringLiteral("") : plan->rule);
    m_put.addBindValue(plan->firstDate.isValid() ? StoredForm::toStored(plan->firstDate) : QVariant());
    for (int i = 0; i < ScheduleFields::Count; ++i)
        m_put.addBindValue(plan->row.stored(ScheduleFields::Field(i)));
    m_put.addBindValue(plan->source.isEmpty() ? QVariant() : QVariant(plan->source));
    if (!m_put.exec())
        return m_connection->errorFrom(m_put.lastError());
    plan->id = m_put.lastInsertId().toLongLong();
    m_put.finish();
    return {};
}

StoreError SeriesPlans::remove(qint64 id)
{
    QSqlQuery query(m_connection->database());
    query.prepare(QStringLiteral("DELETE FROM %1 WHERE Id = ?").arg(PlanTable));
    query.addBindValue(id);
    return query.exec() ? StoreError() : m_connection->errorFrom(query.lastError());
}

StoreError SeriesPlans::writable(bool *writable)
{
    if (!m_access) {
        Access read = Access::OlderStore;
        if (const StoreError error = access(*m_connection, &read))
            return error;
        m_access = read;
    }
    *writable = *m_access == Access::Writable;
    return {};
}

StoreError SeriesPlans::followRow(const Task &before, const Task &after)
{
    bool mayWrite = false;
    std::optional<SeriesPlan> plan;
    if (StoreError error = writable(&mayWrite); error || !mayWrite || (error = planOf(before, &plan)) || !plan)
        return error;
    // A series moved to another day starts counting again from there.
    if (after.startDate() != before.startDate())
        plan->firstDate = QDate();
    plan->row = after;
    return put(&*plan);
}

StoreError SeriesPlans::dropRow(const Task &row)
{
    bool mayWrite = false;
    std::optional<SeriesPlan> plan;
    if (StoreError error = writable(&mayWrite); error || !mayWrite || (error = planOf(row, &plan)) || !plan)
        return error;
    return remove(plan->id);
}

StoreError SeriesPlans::setRule(const Task &row, const QString &rule, QDate firstDate)
{
    bool mayWrite = false;
    if (StoreError error = writable(&mayWrite))
        return error;
    if (!mayWrite)
        return rule.isEmpty() ? StoreError() : StoreError::readOnly();
    std::optional<SeriesPlan> plan;
    if (StoreError error = planOf(row, &plan))
        return error;
    // A plan that also gives the task its own source stays, without a rule.
    if (rule.isEmpty() && (!plan || plan->source.isEmpty()))
        return plan ? remove(plan->id) : StoreError();
    if (!plan || plan->rule != rule) {
        const qint64 id = plan ? plan->id : -1;
        const QString source = plan ? plan->source : QString();
        plan = SeriesPlan();
        plan->id = id;
        plan->source = source;
    }
    if (firstDate.isValid())
        plan->firstDate = firstDate;
    plan->rule = rule;
    plan->row = row;
    return put(&*plan);
}

StoreError SeriesPlans::setSource(const Task &row, const QString &source)
{
    bool mayWrite = false;
    if (const StoreError error = writable(&mayWrite))
        return error;
    if (!mayWrite)
        return source.isEmpty() ? StoreError() : StoreError{StoreError::General, QString::fromUtf8(TaskSources::NotWritableMessage)};
    std::optional<SeriesPlan> plan;
    if (const StoreError error = planOf(row, &plan))
        return error;
    if (!plan) {
        if (source.isEmpty())
            return {};
        plan.emplace();
        plan->row = row;
    }
    plan->source = source;
    if (!plan->repeats() && source.isEmpty())
        return remove(plan->id);
    return put(&*plan);
}

StoreError SeriesPlans::all(QList<SeriesPlan> *plans, bool onlyWithoutRow)
{
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    QString sql = QStringLiteral("SELECT %1 FROM %2 AS p").arg(PlanColumns, PlanTable);
    if (onlyWithoutRow) {
        sql += QStringLiteral(" WHERE NOT EXISTS (SELECT 1 FROM %1 AS t WHERE t.StartDate IS p.StartDate AND "
                              "t.StartTime IS p.StartTime AND t.Filename IS p.Filename)")
                   .arg(ScheduleFields::Table);
    }
    if (!query.exec(sql + QStringLiteral(" ORDER BY Id")))
        return m_connection->errorFrom(query.lastError());
    QList<SeriesPlan> read;
    while (query.next())
        read.append(planFrom(query));
    if (query.lastError().isValid())
        return m_connection->errorFrom(query.lastError());
    *plans = std::move(read);
    return {};
}
