#pragma once

#include <QStringList>

#include <memory>

class StoreConnection;

// Each task's own source, kept in its plan (see SeriesPlans::setSource): a one-shot task with a source
// has a plan without a rule.
class TaskSources
{
public:
    static constexpr auto NotWritableMessage = "此计划数据库的版本不能保存录音来源, 请先用本程序打开它以升级.";

    explicit TaskSources(std::shared_ptr<StoreConnection> connection);

    // Every stream address that some plan records, each once.
    QStringList streams();

private:
    std::shared_ptr<StoreConnection> m_connection;
};
