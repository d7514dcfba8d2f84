#include "ScheduleMonitor.h"

#include "Clock.h"
#include "LocalTimeZone.h"
#include "OutputFolderCheck.h"
#include "RecordCursor.h"
#include "SeriesFileName.h"
#include "SleepInhibitor.h"
#include "TaskClaims.h"

#include <QEventLoop>
#include <QPointer>

#include <cstdlib>
#include <utility>

namespace {

// A wall clock that moves this much more or less than the steady clock has been set or stepped.
constexpr qint64 StepToleranceMs = 2000;
// A store held this long by another program is worth telling the user of.
constexpr qint64 HeldStoreNoticeMs = 10000;
// The machine is kept awake from this long before a task's start.
constexpr qint64 SleepLockLeadMs = 5 * 60 * 1000;
// The folder of a task's file is looked at this long before its start, while there is time to act.
constexpr qint64 FolderCheckLeadMs = 5 * 60 * 1000;

// An occurrence is wholly past once its recording would have ended: until then it joins late.
TaskClaims::DateTest whollyPastAt(const QDateTime &now, const QTimeZone &zone)
{
    return [now, zone](const Task &row, QDate date) {
        return TaskDueCheck::check(date, row.startTime(), row.parameter(), now, zone).verdict
               == TaskDueCheck::Verdict::Passed;
    };
}

} // namespace

ScheduleMonitor::ScheduleMonitor(Context context, std::unique_ptr<TaskClaims> claims, QObject *parent)
    : QObject(parent)
    , m_context(std::move(context))
    , m_claims(std::move(claims))
    , m_told(m_context.notices, m_context.zone)
{
    connect(&m_context.cursor, &RecordCursor::rowsReset, this, &ScheduleMonitor::rowsWereReread);
    connect(&m_context.zone, &LocalTimeZone::changed, this, [this] {
        m_zoneChanged = true;
        m_shownStart.reset();
    });
}

ScheduleMonitor::~ScheduleMonitor() = default;

void ScheduleMonitor::tick(const QDateTime &now)
{
    const qint64 second = now.toSecsSinceEpoch();
    if (m_commitWanted)
        commitClaims();
    moveStartedSeriesOn(now);
    const bool zoneChanged = std::exchange(m_zoneChanged, false);
    if (wallClockStepped(now) || zoneChanged) {
        // Tasks passed over before the step may lie ahead now, and tasks ahead may have been passed.
        resumeSeries();
        reread();
        if (m_rereadWanted && m_context.cursor.isAttached())
            m_context.cursor.recordset().moveFirst();
    } else if (m_rereadWanted && second != m_lastRereadSecond) {
        m_lastRereadSecond = second;
        reread();
    }
    if (m_context.cursor.isAttached()) {
        QList<Task> missed;
        judge(now, &missed);
        m_told.missed(missed);
        // Series moved on from passed occurrences now stand elsewhere in the start order.
        if (std::exchange(m_seriesMoved, false))
            reread();
    }
    tellOfAHeldStore(now);
    keepAwakeBeforeAStart(now);
    checkFolderBeforeAStart(now);
}

void ScheduleMonitor::judge(const QDateTime &now, QList<Task> *missed)
{
    const qint64 second = now.toSecsSinceEpoch();
    ResultSet &rows = m_context.cursor.recordset();
    while (!rows.eof()) {
        StoreError error;
        const std::optional<Task> task = rows.currentTask(&error);
        // Not readable just now: the next tick reads it again.
        if (error)
            return;
        // Gone from the store since the list was read, or claimed and still listed.
        if (!task || isClaimed(*task)) {
            rows.moveNext();
            continue;
        }
        const qint64 rowId = task->rowId();
        const TaskDueCheck::Result check = TaskDueCheck::check(task->startDate(), task->startTime(), task->parameter(),
                                                               now, m_context.zone.current());
        switch (check.verdict) {
        case TaskDueCheck::Verdict::NotYet:
            return;
        case TaskDueCheck::Verdict::Passed:
            if (!passOverSeries(*task, now)) {
                // Missed tasks stay in the store for the user to see; the tasks behind them still fire.
                m_passedOver = true;
                missed->append(*task);
            }
            rows.moveNext();
            break;
        case TaskDueCheck::Verdict::Due:
            if (m_failedStarts.value(rowId, second - 1) != second)
                fire(now);
            return;
        }
    }
}

bool ScheduleMonitor::wallClockStepped(const QDateTime &now)
{
    const qint64 wallMs = now.toMSecsSinceEpoch();
    const qint64 steadyMs = m_context.clock.steadyMs();
    const bool stepped =
        m_lastWallMs && std::llabs((wallMs - *m_lastWallMs) - (steadyMs - m_lastSteadyMs)) > StepToleranceMs;
    m_lastWallMs = wallMs;
    m_lastSteadyMs = steadyMs;
    return stepped;
}

void ScheduleMonitor::reread()
{
    m_rereadWanted = m_context.reread().failed();
}

bool ScheduleMonitor::passOverSeries(const Task &task, const QDateTime &now)
{
    QList<QDate> passed;
    StoreError error;
    switch (m_claims->passOver(task, whollyPastAt(now, m_context.zone.current()), &passed, &error)) {
    case TaskClaims::Outcome::NotASeries:
    case TaskClaims::Outcome::Failed:
        return false;
    case TaskClaims::Outcome::Claimed:
        m_told.missedOccurrences(task, passed);
        commitClaims();
        m_seriesMoved = true;
        return true;
    default:
        // Not to be moved just now (the store is held, or the row changed): read again and retry.
        m_rereadWanted = true;
        return true;
    }
}

void ScheduleMonitor::moveStartedSeriesOn(const QDateTime &now)
{
    const qint64 second = now.toSecsSinceEpoch();
    if (m_startedNotMoved.isEmpty() || second == m_lastMoveSecond)
        return;
    m_lastMoveSecond = second;
    // To the occurrence after the one that started: one passed meanwhile is then told of as missed.
    const TaskClaims::DateTest noneWhollyPast = [](const Task &, QDate) { return false; };
    for (auto task = m_startedNotMoved.begin(); task != m_startedNotMoved.end();) {
        QList<QDate> passed;
        StoreError error;
        switch (m_claims->passOver(*task, noneWhollyPast, &passed, &error)) {
        case TaskClaims::Outcome::Claimed:
            // Kept until the move is seen to last: a commit that fails puts the occurrence back.
            m_seriesMoved = true;
            [[fallthrough]];
        case TaskClaims::Outcome::Locked:
        case TaskClaims::Outcome::Failed:
            ++task;
            break;
        default:
            // A one-shot task, or a series moved on or changed since.
            task = m_startedNotMoved.erase(task);
            break;
        }
    }
    if (m_seriesMoved)
        commitClaims();
}

bool ScheduleMonitor::resumeSeries()
{
    bool resumed = false;
    if (m_claims->resumeSeries(whollyPastAt(m_context.clock.now(), m_context.zone.current()), &resumed))
        return false;
    commitClaims();
    return resumed;
}

bool ScheduleMonitor::isClaimed(const Task &task) const
{
    const auto claimed = m_claimed.constFind(task.rowId());
    const auto notRemoved = m_notRemoved.constFind(task.rowId());
    return (claimed != m_claimed.constEnd() && *claimed == task)
           || (notRemoved != m_notRemoved.constEnd() && *notRemoved == task);
}

void ScheduleMonitor::fire(const QDateTime &now)
{
    ResultSet &rows = m_context.cursor.recordset();
    const Task fields = *rows.currentTask();
    const qint64 rowId = fields.rowId();
    StoreError error;
    TaskClaims::Planned planned;
    const TaskClaims::Outcome claim = m_claims->claim(fields, &error, &planned);
    const bool isOccurrence = planned.repeat == TaskClaims::Repeat::Occurrence;
    if (claim == TaskClaims::Outcome::Locked) {
        // Another program holds the store: the next tick tries again, with the seconds then left.
        if (!m_claimHeldSinceMs) {
            m_claimHeldSinceMs = now.toMSecsSinceEpoch();
            m_heldTask = fields;
        }
        return;
    }
    m_claimHeldSinceMs.reset();
    switch (claim) {
    case TaskClaims::Outcome::Gone:
    case TaskClaims::Outcome::Changed:
        // Fired by another copy (one that keeps no plans would leave a series without its row), or
        // changed in the editor since it was read: judge the store as it is.
        resumeSeries();
        reread();
        return;
    case TaskClaims::Outcome::Failed:
        m_rereadWanted = true;
        return;
    case TaskClaims::Outcome::NotRemoved:
        // A recording counts for more than a tidy store: the task starts, and stays stored.
        m_notRemoved.insert(rowId, fields);
        break;
    default:
        m_claimed.insert(rowId, fields);
        m_uncommitted.append(fields);
        m_uncommittedOccurrence = m_uncommittedOccurrence || isOccurrence;
        break;
    }
    const std::optional<QString> notRemovedBecause =
        claim == TaskClaims::Outcome::NotRemoved ? std::optional(error.description) : std::nullopt;
    if (planned.repeat == TaskClaims::Repeat::UnreadableRule)
        m_told.unreadableRule(fields);
    rows.markCurrentRowRemoved();
    rows.moveNext();
    emit nextTaskChanged();

    const QString parameter = fields.parameter();
    const QString outputFile =
        isOccurrence ? SeriesFileName::forDate(fields.filename(), fields.startDate()) : fields.filename();
    const QPointer<ScheduleMonitor> self(this);
    // Asked again when the recorder starts: ending the one before may have taken a while.
    const auto stopLength = [self, fields, parameter]() -> std::optional<QString> {
        if (!self)
            return std::nullopt;
        const TaskDueCheck::Result check =
            TaskDueCheck::check(fields.startDate(), fields.startTime(), parameter, self->m_context.clock.now(),
                                self->m_context.zone.current());
        return check.verdict == TaskDueCheck::Verdict::Due ? std::optional(check.stopParameter) : std::nullopt;
    };
    m_context.recorder.Win32Keyword(
        m_context.recorderPath, stopLength, outputFile, planned.source,
        [self, rowId, fields, notRemovedBecause](RecorderLaunch::Outcome outcome, const QString &stopLength) {
            if (self)
                self->settle(rowId, fields, outcome, stopLength, notRemovedBecause);
        });
}

void ScheduleMonitor::settle(qint64 rowId, const Task &fields, RecorderLaunch::Outcome outcome,
                             const QString &stopLength, const std::optional<QString> &notRemovedBecause)
{
    const QDateTime now = m_context.clock.now();
    const qint64 second = now.toSecsSinceEpoch();
    if (outcome == RecorderLaunch::Outcome::Started) {
        m_claims->settle(rowId);
        m_failedStarts.remove(rowId);
        m_told.forget(fields);
        const std::optional<qint64> start =
            TaskDueCheck::readableStartMsecs(fields.startDate(), fields.startTime(), m_context.zone.current());
        if (start && now.toMSecsSinceEpoch() - *start >= 1000)
            m_told.startedLate(fields, *start, (now.toMSecsSinceEpoch() - *start) / 1000, stopLength);
        // Its time did not happen that day: the clock skipped it.
        if (start && QDateTime::fromMSecsSinceEpoch(*start, m_context.zone.current()).time() != fields.startTime())
            m_told.startSkippedByTheClock(fields, *start);
        if (notRemovedBecause) {
            m_told.storeNotUpdated(fields, *notRemovedBecause);
            m_startedNotMoved << fields;
        }
    } else {
        // A task whose recorder did not start stays stored, to be tried again while it could still record.
        const StoreError notRestored = m_claims->restore(rowId);
        m_claimed.remove(rowId);
        m_notRemoved.remove(rowId);
        m_uncommitted.removeOne(fields);
        m_startedNotMoved.removeOne(fields);
        if (notRestored)
            claimsUndone(notRestored);
        if (outcome == RecorderLaunch::Outcome::NotStarted) {
            m_failedStarts.insert(rowId, second);
            m_told.recorderNotStarted(fields, m_context.recorderPath);
        }
        m_rereadWanted = true;
        m_lastRereadSecond = second - 1;
    }
    commitClaims();
    if (!m_claims->hasUnsettled())
        emit claimsSettled();
}

void ScheduleMonitor::waitUntilClaimsSettled()
{
    if (!m_claims->hasUnsettled())
        return;
    QEventLoop loop;
    connect(this, &ScheduleMonitor::claimsSettled, &loop, &QEventLoop::quit);
    // User input waits, so that no second save starts inside the first.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void ScheduleMonitor::commitClaims()
{
    if (m_claims->hasUnsettled())
        return;
    const StoreError error = m_claims->commit();
    m_commitWanted = error.number == StoreError::Locked;
    if (m_commitWanted) {
        if (!m_commitHeldSinceMs)
            m_commitHeldSinceMs = m_context.clock.now().toMSecsSinceEpoch();
        return;
    }
    m_commitHeldSinceMs.reset();
    // A series' next occurrence, stored by the claim, is to be listed.
    if (std::exchange(m_uncommittedOccurrence, false))
        m_rereadWanted = true;
    if (error.failed())
        claimsUndone(error);
    m_uncommitted.clear();
}

void ScheduleMonitor::claimsUndone(const StoreError &error)
{
    // Never started again while the program runs; a series moves on once the store lets it.
    for (const Task &task : std::as_const(m_uncommitted)) {
        m_told.storeNotUpdated(task, error.description);
        m_startedNotMoved << task;
    }
    m_commitFailed = m_commitFailed || !m_uncommitted.isEmpty();
    m_uncommitted.clear();
}

void ScheduleMonitor::tellOfAHeldStore(const QDateTime &now)
{
    const qint64 nowMs = now.toMSecsSinceEpoch();
    if (m_claimHeldSinceMs && nowMs - *m_claimHeldSinceMs > HeldStoreNoticeMs)
        m_told.storeHeld(m_heldTask, false);
    if (m_commitHeldSinceMs && nowMs - *m_commitHeldSinceMs > HeldStoreNoticeMs && !m_uncommitted.isEmpty())
        m_told.storeHeld(m_uncommitted.first(), true);
}

void ScheduleMonitor::keepAwakeBeforeAStart(const QDateTime &now)
{
    const std::optional<qint64> start = shownStartMsecs();
    if ((start && *start - now.toMSecsSinceEpoch() <= SleepLockLeadMs) || m_claims->hasUnsettled())
        m_context.sleepInhibitor.hold(QString::fromUtf8(SleepLockReason));
    else
        m_context.sleepInhibitor.release();
}

void ScheduleMonitor::checkFolderBeforeAStart(const QDateTime &now)
{
    const std::optional<qint64> start = shownStartMsecs();
    const qint64 rowId = m_context.cursor.recordset().currentRowId();
    if (!start || *start - now.toMSecsSinceEpoch() > FolderCheckLeadMs || m_folderChecked == std::pair(rowId, *start))
        return;
    m_folderChecked = {rowId, *start};
    const std::optional<Task> task = m_context.cursor.recordset().currentTask();
    const std::optional<qint64> seconds = task ? TaskDueCheck::lengthSeconds(task->parameter()) : std::nullopt;
    if (const QString problem = task ? OutputFolderCheck::problem(task->filename(), seconds.value_or(0)) : QString();
        !problem.isEmpty())
        m_told.folderProblem(*task, problem);
}

std::optional<qint64> ScheduleMonitor::shownStartMsecs() const
{
    if (!m_context.cursor.isAttached())
        return std::nullopt;
    const ResultSet &rows = m_context.cursor.recordset();
    const qint64 rowId = rows.currentRowId();
    // Asked every tick: worked out once for each shown task.
    if (!m_shownStart || m_shownStart->first != rowId) {
        const std::optional<Task> task = rows.currentTask();
        m_shownStart = {rowId, task ? TaskDueCheck::readableStartMsecs(task->startDate(), task->startTime(),
                                                                       m_context.zone.current())
                                    : std::nullopt};
    }
    return m_shownStart->second;
}

bool ScheduleMonitor::onlyMissedLeft() const
{
    return m_passedOver && m_context.cursor.isAttached() && m_context.cursor.recordset().currentRowId() == -1;
}

void ScheduleMonitor::rowsWereReread()
{
    m_passedOver = false;
    m_shownStart.reset();
    if (!m_claims->isOpen() && !m_commitFailed)
        m_claimed.clear();
}
