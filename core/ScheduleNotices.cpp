#include "ScheduleNotices.h"

#include "ClockTexts.h"
#include "DesktopNotices.h"
#include "LocalTimeZone.h"
#include "TaskDueCheck.h"

#include <QStringList>

namespace {

// At most this many missed tasks, or dates of a series, are named in one notice.
constexpr int NamedMissedTasks = 5;
constexpr int NamedMissedDates = 7;

QString titleOf(const Task &task)
{
    return QStringLiteral("«%1»").arg(task.program());
}

// A task is known by its fields, so that the same task read again is still the same.
QString keyOf(const QString &kind, const Task &task)
{
    QStringList parts{kind};
    for (int i = 0; i < ScheduleFields::Count; ++i)
        parts << task.text(ScheduleFields::Field(i));
    return parts.join(QChar(0));
}

} // namespace

ScheduleNotices::ScheduleNotices(DesktopNotices &notices, const LocalTimeZone &zone)
    : m_notices(notices)
    , m_zone(zone)
{
}

void ScheduleNotices::startedLate(const Task &task, qint64 startMs, qint64 lateSeconds,
                                  const QString &stopLength)
{
    m_notices.notify(titleOf(task),
                     QStringLiteral("晚了 %1 开始录音 (计划 %2), 只录 %3 秒.\n文件: %4")
                         .arg(ClockTexts::duration(lateSeconds), ClockTexts::moment(startMs, m_zone.current()),
                              stopLength, task.filename()));
}

void ScheduleNotices::missed(const QList<Task> &tasks)
{
    QList<Task> untold;
    for (const Task &task : tasks) {
        if (firstTime(QStringLiteral("missed"), task))
            untold << task;
    }
    if (untold.isEmpty())
        return;
    if (untold.size() == 1) {
        m_notices.notify(titleOf(untold.first()),
                         QStringLiteral("已错过: 录音时间已过.\n%1").arg(where(untold.first())));
        return;
    }
    QStringList lines;
    for (const Task &task : untold.mid(0, NamedMissedTasks))
        lines << QStringLiteral("%1 %2").arg(titleOf(task), where(task));
    if (untold.size() > NamedMissedTasks)
        lines << QStringLiteral("……");
    m_notices.notify(QStringLiteral("已错过 %1 个录音计划").arg(untold.size()), lines.join(u'\n'));
}

void ScheduleNotices::missedOccurrences(const Task &task, const QList<QDate> &dates)
{
    QStringList named;
    for (const QDate date : dates.mid(0, NamedMissedDates))
        named << date.toString(Qt::ISODate);
    if (dates.size() > NamedMissedDates)
        named << QStringLiteral("……");
    m_notices.notify(titleOf(task), QStringLiteral("已错过 %1 次: %2 %3\n时间: %4, 文件: %5")
                                        .arg(dates.size())
                                        .arg(task.program(), named.join(QStringLiteral(", ")),
                                             task.text(ScheduleFields::Field::StartTime), task.filename()));
}

void ScheduleNotices::unreadableRule(const Task &task)
{
    m_notices.notify(titleOf(task), QStringLiteral("重复规则无法读取, 本次按一次性任务录音, 以后不再重复. 请在任务编辑器中重新设定重复.\n%1")
                                        .arg(where(task)));
}

void ScheduleNotices::startSkippedByTheClock(const Task &task, qint64 startMs)
{
    m_notices.notify(titleOf(task), QStringLiteral("计划时间 %1 在时钟调整 (夏令时) 中不存在, 已于 %2 开始录音.\n文件: %3")
                                        .arg(task.text(ScheduleFields::Field::StartTime),
                                             ClockTexts::moment(startMs, m_zone.current()), task.filename()));
}

void ScheduleNotices::folderProblem(const Task &task, const QString &problem)
{
    if (firstTime(QStringLiteral("folder"), task))
        m_notices.notify(titleOf(task), QStringLiteral("%1\n%2").arg(problem, where(task)));
}

void ScheduleNotices::recorderNotStarted(const Task &task, const QString &recorderPath)
{
    if (!firstTime(QStringLiteral("recorder"), task))
        return;
    m_notices.notify(titleOf(task),
                     QStringLiteral("录音程序无法启动: %1 不存在, 不可执行或启动失败. 请放入可执行的录音程序; "
                                    "任务保留, 在录音时间内每秒重试.\n%2")
                         .arg(recorderPath, where(task)));
}

void ScheduleNotices::storeHeld(const Task &task, bool started)
{
    if (!firstTime(started ? QStringLiteral("removal") : QStringLiteral("claim"), task))
        return;
    const QString what = started ? QStringLiteral("录音已开始, 但计划数据库被其他程序锁定, 任务暂时无法删除; "
                                                  "数据库可用后会自动删除.")
                                 : QStringLiteral("计划数据库被其他程序锁定, 录音无法开始; 数据库可用后立即开始.");
    m_notices.notify(titleOf(task), QStringLiteral("%1\n%2").arg(what, where(task)));
}

void ScheduleNotices::storeNotUpdated(const Task &task, const QString &reason)
{
    if (!firstTime(QStringLiteral("update"), task))
        return;
    m_notices.notify(titleOf(task),
                     QStringLiteral("录音已开始, 但计划数据库无法更新, 任务仍留在数据库中; 本程序运行期间不会再次开始. "
                                    "原因: %1\n%2")
                         .arg(reason, where(task)));
}

void ScheduleNotices::forget(const Task &task)
{
    for (const QString &kind : {QStringLiteral("recorder"), QStringLiteral("claim")})
        m_told.remove(keyOf(kind, task));
}

bool ScheduleNotices::firstTime(const QString &kind, const Task &task)
{
    const QString key = keyOf(kind, task);
    if (m_told.contains(key))
        return false;
    m_told.insert(key);
    return true;
}

QString ScheduleNotices::where(const Task &task) const
{
    const std::optional<qint64> start =
        TaskDueCheck::readableStartMsecs(task.startDate(), task.startTime(), m_zone.current());
    return QStringLiteral("开始: %1, 文件: %2")
        .arg(start ? ClockTexts::moment(*start, m_zone.current()) : QString(), task.filename());
}
