#pragma once

#include "SeriesPlans.h"
#include "StoreError.h"
#include "Task.h"

#include <QStringList>

#include <memory>

class StoreConnection;

// Each task's own source, kept in its plan: a one-shot task with a source has a plan without a rule.
class TaskSources
{
public:
    static constexpr auto NotWritableMessage = "此计划数据库的版本不能保存录音来源, 请先用本程序打开它以升级.";

    explicit TaskSources(std::shared_ptr<StoreConnection> connection);

    // The source the task as stored records; empty for the recorder's choice, and in a store
    // without sources.
    QString sourceOf(const Task &row);
    // Every stream address that some plan records, each once.
    QStringList streams();
    // Gives the stored row this source, or the recorder's choice when it is empty; a plan left with
    // neither rule nor source goes. A store whose plans may not be written takes no source.
    StoreError give(const Task &row, const QString &source);

private:
    std::shared_ptr<StoreConnection> m_connection;
    SeriesPlans m_plans;
};
