#pragma once

#include "Task.h"

#include <QList>
#include <QSet>
#include <QString>

class DesktopNotices;
class LocalTimeZone;

// Tells the user, through desktop notices, of each task that does not record as planned: one that
// starts late, one that is missed, one whose recorder cannot be started, a store held so long
// that tasks cannot be claimed or their removal made lasting, and a store that cannot be updated. Each task is told of once for each
// kind of trouble.
class ScheduleNotices
{
public:
    ScheduleNotices(DesktopNotices &notices, const LocalTimeZone &zone);

    static constexpr auto ApplicationName = "QuillScheduler";

    void startedLate(const Task &task, qint64 startMs, qint64 lateSeconds, const QString &stopLength);
    // Several missed at once (at start-up, say) are told of in one notice.
    void missed(const QList<Task> &tasks);
    // A series' occurrences on these dates passed unseen (the program was off, the machine slept).
    void missedOccurrences(const Task &task, const QList<QDate> &dates);
    // Planned as a series, but its rule cannot be read: it records once, as a one-shot task.
    void unreadableRule(const Task &task);
    // Its start time did not happen on its day (the hour skipped for summer time): it started after the skip.
    void startSkippedByTheClock(const Task &task, qint64 startMs);
    // Its file's folder is missing, cannot be written or lacks room for the recording.
    void folderProblem(const Task &task, const QString &problem);
    void recorderNotStarted(const Task &task, const QString &recorderPath);
    // The store has been held by another program for a long while: the task cannot be claimed, or
    // it has started and its removal cannot be made lasting.
    void storeHeld(const Task &task, bool started);
    // The task has started, but the store would not let it be removed, for the reason given.
    void storeNotUpdated(const Task &task, const QString &reason);
    // The task has recorded: trouble with it is news again.
    void forget(const Task &task);

private:
    bool firstTime(const QString &kind, const Task &task);
    QString where(const Task &task) const;

    DesktopNotices &m_notices;
    const LocalTimeZone &m_zone;
    QSet<QString> m_told;
};
