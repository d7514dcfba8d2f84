#include "TaskSources.h"

#include "StoreConnection.h"

#include <QSqlQuery>

TaskSources::TaskSources(std::shared_ptr<StoreConnection> connection)
    : m_connection(std::move(connection))
{
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
