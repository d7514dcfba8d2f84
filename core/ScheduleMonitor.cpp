#include "ScheduleMonitor.h"

#include "Clock.h"
#include "RecordCursor.h"
#include "ScheduleFields.h"
#include "TaskClaims.h"

#include <QPointer>

#include <cstdlib>

namespace {

// A wall clock that moves this much more or less than the steady clock has been set or stepped.
constexpr qint64 StepToleranceMs = 2000;

enum FieldIndex { StartDateIndex = 0, StartTimeIndex = 1, FilenameIndex = 3, ParameterIndex = 4 };

qint64 secondOf(const QDateTime &now)
{
    return now.toSecsSinceEpoch();
}

} // namespace

ScheduleMonitor::ScheduleMonitor(Context context, std::unique_ptr<TaskClaims> claims, QObject *parent)
    : QObject(parent)
    , m_context(std::move(context))
    , m_claims(std::move(claims))
{
    connect(&m_context.cursor, &RecordCursor::rowsReset, this, &ScheduleMonitor::rowsWereReread);
}

ScheduleMonitor::~ScheduleMonitor() = default;

void ScheduleMonitor::tick(const QDateTime &now)
{
    const qint64 second = secondOf(now);
    if (m_commitWanted)
        commitClaims();
    if (wallClockStepped(now)) {
        // Tasks passed over before the step may lie ahead now, and tasks ahead may have been passed.
        reread();
        if (m_rereadWanted && m_context.cursor.isAttached())
            m_context.cursor.recordset().moveFirst();
    } else if (m_rereadWanted && second != m_lastRereadSecond) {
        m_lastRereadSecond = second;
        reread();
    }
    if (!m_context.cursor.isAttached())
        return;

    ResultSet &rows = m_context.cursor.recordset();
    while (rows.currentRowId() != -1) {
        const qint64 rowId = rows.currentRowId();
        const QVariantList fields = rows.currentFields();
        if (isClaimed(rowId, fields)) {
            rows.moveNext();
            continue;
        }
        const TaskDueCheck::Result check = TaskDueCheck::check(
            fields.at(StartDateIndex), fields.at(StartTimeIndex), fields.at(ParameterIndex).toString(), now,
            m_context.zone);
        switch (check.verdict) {
        case TaskDueCheck::Verdict::NotYet:
            return;
        case TaskDueCheck::Verdict::Passed:
            // Missed tasks stay in the store for the user to see; the tasks behind them still fire.
            m_passedOver = true;
            rows.moveNext();
            break;
        case TaskDueCheck::Verdict::Due:
            if (m_failedStarts.value(rowId, second - 1) != second)
                fire();
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

bool ScheduleMonitor::isClaimed(qint64 rowId, const QVariantList &fields) const
{
    const auto claimed = m_claimed.constFind(rowId);
    return claimed != m_claimed.constEnd() && *claimed == fields;
}

void ScheduleMonitor::fire()
{
    ResultSet &rows = m_context.cursor.recordset();
    const qint64 rowId = rows.currentRowId();
    const QVariantList fields = rows.currentFields();
    StoreError error;
    switch (m_claims->claim(rowId, fields, &error)) {
    case TaskClaims::Outcome::Locked:
        // Another program holds the store: the next tick tries again, with the seconds then left.
        return;
    case TaskClaims::Outcome::Gone:
    case TaskClaims::Outcome::Changed:
        // Fired by another copy, or changed in the editor since it was read: judge the store as it is.
        reread();
        return;
    case TaskClaims::Outcome::Failed:
        m_rereadWanted = true;
        return;
    case TaskClaims::Outcome::Claimed:
        break;
    }

    m_claimed.insert(rowId, fields);
    rows.markCurrentRowRemoved();
    rows.moveNext();
    emit nextTaskChanged();

    const QString parameter = fields.at(ParameterIndex).toString();
    const QPointer<ScheduleMonitor> self(this);
    // Asked again when the recorder starts: ending the one before may have taken a while.
    const auto stopLength = [self, fields, parameter]() -> std::optional<QString> {
        if (!self)
            return std::nullopt;
        const TaskDueCheck::Result check =
            TaskDueCheck::check(fields.at(StartDateIndex), fields.at(StartTimeIndex), parameter,
                                self->m_context.clock.now(), self->m_context.zone);
        return check.verdict == TaskDueCheck::Verdict::Due ? std::optional(check.stopParameter) : std::nullopt;
    };
    m_context.recorder.Win32Keyword(m_context.recorderPath, stopLength, fields.at(FilenameIndex).toString(),
                                    [self, rowId](RecorderLaunch::Outcome outcome) {
                                        if (self)
                                            self->settle(rowId, outcome, secondOf(self->m_context.clock.now()));
                                    });
}

void ScheduleMonitor::settle(qint64 rowId, RecorderLaunch::Outcome outcome, qint64 second)
{
    if (outcome == RecorderLaunch::Outcome::Started) {
        m_claims->settle(rowId);
        m_failedStarts.remove(rowId);
    } else {
        // A task whose recorder did not start stays stored, to be tried again while it could still record.
        m_claims->restore(rowId);
        m_claimed.remove(rowId);
        if (outcome == RecorderLaunch::Outcome::NotStarted)
            m_failedStarts.insert(rowId, second);
        m_rereadWanted = true;
        m_lastRereadSecond = second - 1;
    }
    commitClaims();
}

void ScheduleMonitor::commitClaims()
{
    if (m_claims->hasUnsettled())
        return;
    const StoreError error = m_claims->commit();
    m_commitWanted = error.number == StoreError::Locked;
    // Undone by the store: the claimed rows are back, but their recorders have started.
    m_commitFailed = m_commitFailed || (error.failed() && !m_commitWanted);
}

std::optional<qint64> ScheduleMonitor::shownStartMsecs() const
{
    if (!m_context.cursor.isAttached())
        return std::nullopt;
    const ResultSet &rows = m_context.cursor.recordset();
    const qint64 rowId = rows.currentRowId();
    // Asked every tick: worked out once for each shown task.
    if (!m_shownStart || m_shownStart->first != rowId) {
        const QVariantList fields = rows.currentFields();
        m_shownStart = {rowId, fields.isEmpty() ? std::nullopt
                                                : TaskDueCheck::startMsecs(fields.at(StartDateIndex),
                                                                           fields.at(StartTimeIndex), m_context.zone)};
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
