#include "TaskSources.h"

#include "StoreConnection.h"

#include <QSqlQuery>

TaskSources::TaskSources(std::shared_ptr<StoreConnection> connection)
    : m_connection(connection)
    , m_plans(std::move(connection))
{
}

QString TaskSources::sourceOf(const Task &row)
{
    std::optional<SeriesPlan> plan;
    return m_plans.planOf(row, &plan) || !plan ? QString() : plan->source;
}

QStringList TaskSources::streams()
{
    QSqlQuery query(m_connection->database());
    query.setForwardOnly(true);
    QStringList addresses;
    if (!query.exec(QStringLiteral("SELECT DISTINCT Source FROM AddSchPlan WHERE Source LIKE 'http://%' "
                                   "OR Source LIKE 'https://%' ORDER BY Source")))
        return addresses;
    while (query.next())
        addresses << query.value(0).toString();
    return addresses;
}

StoreError TaskSources::give(const Task &row, const QString &source)
{
    SeriesPlans::Access access = SeriesPlans::Access::OlderStore;
    if (const StoreError error = SeriesPlans::access(*m_connection, &access))
        return error;
    if (access != SeriesPlans::Access::Writable)
        return source.isEmpty() ? StoreError() : StoreError{StoreError::General, QString::fromUtf8(NotWritableMessage)};
    std::optional<SeriesPlan> plan;
    if (const StoreError error = m_plans.planOf(row, &plan))
        return error;
    if (!plan) {
        if (source.isEmpty())
            return {};
        plan.emplace();
        plan->row = row;
    }
    plan->source = source;
    if (!plan->repeats() && source.isEmpty())
        return m_plans.remove(plan->id);
    return m_plans.put(&*plan);
}
