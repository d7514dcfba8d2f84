#pragma once

#include "RecorderLaunch.h"
#include "ScheduleNotices.h"
#include "StoreError.h"
#include "TaskDueCheck.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <functional>
#include <memory>

class Clock;
class DesktopNotices;
class LocalTimeZone;
class RecordCursor;
class SleepInhibitor;
class TaskClaims;

// The rules by which tasks fire. Each tick it judges the tasks from the cursor's current row on:
// a task still to come ends the tick, a task whose recording lies wholly in the past is passed
// over (it stays stored), and a due task is claimed from the store and handed to the recorder. A task
// that the store will not let go of (a full disk, say) is handed over all the same, once.
// It reads the cursor's rows, which are in memory; only a claim touches the store. What does not go
// as planned is told in desktop notices, and from shortly before a task's start until its recorder
// has started the machine is kept from sleeping. A change of the machine's zone counts like a step
// of the wall clock.
class ScheduleMonitor : public QObject
{
    Q_OBJECT

public:
    struct Context
    {
        RecordCursor &cursor;
        const Clock &clock;
        const LocalTimeZone &zone;
        RecorderLaunch &recorder;
        QString recorderPath;
        // Re-reads the cursor's rows in start order (the window's read_recorder).
        std::function<StoreError()> reread;
        DesktopNotices &notices;
        SleepInhibitor &sleepInhibitor;
    };

    static constexpr auto SleepLockReason = "录音计划即将开始";

    ScheduleMonitor(Context context, std::unique_ptr<TaskClaims> claims, QObject *parent = nullptr);
    ~ScheduleMonitor() override;

    void tick(const QDateTime &now);
    // The start of the task the cursor shows, when it has one whose start can be read.
    std::optional<qint64> shownStartMsecs() const;
    // Tasks were passed over as missed, and none waits behind them.
    bool onlyMissedLeft() const;
    // The rows could not be read just now: the next ticks read them again, once a second.
    void rereadLater() { m_rereadWanted = true; }
    // Runs the event loop, user input aside, until no claim of ours waits for its recorder to start:
    // until then the claim holds the store's write lock. The terminator ends the recorder before it
    // within a few seconds.
    void waitUntilClaimsSettled();
    // Gives each series whose row has gone its next occurrence still to come; true when there was one.
    bool resumeSeries();

signals:
    // The shown task has changed: one was claimed, and the next one is current.
    void nextTaskChanged();
    // No claim waits for its recorder to start any longer.
    void claimsSettled();

private:
    bool wallClockStepped(const QDateTime &now);
    void reread();
    // A passed occurrence of a series moves the series on; false for a one-shot task, or a series
    // that the store will not move (a full disk): either is missed.
    bool passOverSeries(const Task &task, const QDateTime &now);
    // Series whose occurrence started though its removal did not last move on, once the store lets them.
    void moveStartedSeriesOn(const QDateTime &now);
    void judge(const QDateTime &now, QList<Task> *missed);
    bool isClaimed(const Task &task) const;
    void fire(const QDateTime &now);
    void settle(qint64 rowId, const Task &fields, RecorderLaunch::Outcome outcome, const QString &stopLength,
                const std::optional<QString> &notRemovedBecause);
    void commitClaims();
    // The store undid the open transaction: the claimed rows are back, though their recorders have started.
    void claimsUndone(const StoreError &error);
    void tellOfAHeldStore(const QDateTime &now);
    void keepAwakeBeforeAStart(const QDateTime &now);
    void checkFolderBeforeAStart(const QDateTime &now);
    void rowsWereReread();

    Context m_context;
    std::unique_ptr<TaskClaims> m_claims;
    ScheduleNotices m_told;
    std::optional<qint64> m_lastWallMs;
    qint64 m_lastSteadyMs = 0;
    bool m_zoneChanged = false;
    bool m_rereadWanted = false;
    qint64 m_lastRereadSecond = 0;
    bool m_commitWanted = false;
    bool m_commitFailed = false;
    bool m_passedOver = false;
    bool m_seriesMoved = false;
    // The row and start whose folder was looked at: a series' next occurrence may take its row's id.
    std::pair<qint64, qint64> m_folderChecked{-1, 0};
    // Since when a due task could not be claimed, or claims could not be committed, as the store was held.
    std::optional<qint64> m_claimHeldSinceMs;
    std::optional<qint64> m_commitHeldSinceMs;
    Task m_heldTask;
    // Claimed tasks whose removal is yet to be committed.
    QList<Task> m_uncommitted;
    bool m_uncommittedOccurrence = false;
    mutable std::optional<std::pair<qint64, std::optional<qint64>>> m_shownStart;
    // Claimed rows, which a re-read may still list until their removal is committed.
    QHash<qint64, Task> m_claimed;
    // Rows started though the store would not remove them: never started again while the program runs.
    QHash<qint64, Task> m_notRemoved;
    // Rows whose recorder could not be started, with the second of the last try: tried once a second.
    QHash<qint64, qint64> m_failedStarts;
    // Started occurrences whose series is still to move on, tried once a second; one-shot tasks drop out.
    QList<Task> m_startedNotMoved;
    qint64 m_lastMoveSecond = 0;
};
