#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary application directory with a fresh store, whose rows it writes and reads as another program would.
class TestAppDir
{
public:
    TestAppDir();
    ~TestAppDir();

    bool isValid() const { return m_dir.isValid() && m_storeMade; }
    QString path() const { return m_dir.path(); }
    QString storePath() const { return m_dir.filePath(QStringLiteral("AddSchedule.mdb")); }

    // The fields in the table's order; a null text stores NULL.
    void insert(const QStringList &row) const;
    // Each task "date time title", '-' for no date, with file /tmp/<title>.mp3 and 5400 seconds.
    void insertTasks(const QStringList &tasks) const;
    // Such a task's fields: date, time, title, file, seconds and the length sentence.
    static QStringList taskFields(const QString &task);
    // A task "news" due that many seconds from now; returns its start.
    QDateTime insertDueIn(int seconds, const QString &file, const QString &length) const;
    // The row, and a plan that repeats it by the rule, counted from its date (none when empty), with its source.
    void insertSeries(const QStringList &row, const QString &rule, const QString &source = {}) const;
    // Each plan as "StartDate StartTime Rule", then "|Source" when asked.
    QStringList plans(bool withSource = false) const;
    // Runs one statement on the store; fails the running test when it does not succeed.
    void exec(const QString &sql) const;
    // The rows in start order, each field as stored (NULL as "<null>").
    QList<QStringList> rows() const;
    int rowCount() const { return int(rows().size()); }

    enum class Damage { Missing, Truncated, NotAStore, ReadOnly, FolderReadOnly };
    // Damages the store; false when this machine cannot do it (a read-only file for root, say).
    bool damageStore(Damage damage);
    QByteArray storeBytes() const;

    // Copies in the built program, returned, and a recorder as quillsnd.exe: by default one that logs its starts.
    QString installProgram(const QString &recorder = QStringLiteral(STANDIN_LOGGING_RECORDER_PATH)) const;
    // The argument of each start of the stand-in recorder.
    QStringList recorderArguments() const;

private:
    QTemporaryDir m_dir;
    bool m_storeMade = false;
    bool m_storeImmutable = false;
    bool m_folderLocked = false;
};
