#include "Scheduler.h"
#include "TestAppDir.h"
#include "TestServices.h"

#include <QLabel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

// The monitor against a clock the test sets, a real store and a real stand-in recorder.
class MonitorTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestServices> m_services;
    std::unique_ptr<TestAppDir> m_dir;
    std::unique_ptr<Scheduler> m_window;

    static TestAppDir::Row task(const QString &time, const QString &file, const QString &length = QStringLiteral("60"),
                                const QString &date = QStringLiteral("2026-12-24"))
    {
        return {date, time, QStringLiteral("news"), file, length, QStringLiteral("length")};
    }

    void load()
    {
        m_window = std::make_unique<Scheduler>(m_services->forDir(*m_dir));
        QVERIFY(!m_window->Form_Load());
    }

    void tickAt(const QTime &time, const QDate &date = QDate(2026, 12, 24))
    {
        m_services->clock.set(QDateTime(date, time));
        m_window->Timer2_Timer();
    }

    QString label(const char *name) const
    {
        return m_window->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }

    QStringList startedArguments() const
    {
        QStringList arguments;
        for (const auto &start : m_dir->recorderStarts())
            arguments << start.argument;
        return arguments;
    }

    QStringList storedFiles() const
    {
        QStringList files;
        for (const QStringList &row : m_dir->rows())
            files << row.value(3);
        return files;
    }

private slots:
    void init()
    {
        m_services = std::make_unique<TestServices>();
        m_dir = std::make_unique<TestAppDir>();
        QVERIFY(m_dir->isValid());
        m_dir->installStandInRecorder();
    }

    void cleanup()
    {
        m_window.reset();
        m_dir.reset();
        m_services.reset();
    }

    void clockLabelsFollowTheClock()
    {
        load();
        tickAt(QTime(23, 59, 59));
        QCOMPARE(label("lblCurrentTime"), m_services->texts.timeText(QTime(23, 59, 59)));
        QCOMPARE(label("lblCurrentDate"), m_services->texts.dateText(QDate(2026, 12, 24)));
    }

    void firesOnceInItsSecondAndOnlyOnItsDay()
    {
        const QString awkwardFile = QStringLiteral("/rec/a b&c;$(touch pwned)'\"`x`.mp3");
        m_dir->insert(task("06:00:00", awkwardFile));
        m_dir->insert(task("06:00:00", "/rec/next-day.mp3", "60", "2026-12-25"));
        load();

        tickAt(QTime(5, 59, 59, 990));
        QCOMPARE(m_dir->rowCount(), 2);
        tickAt(QTime(6, 0, 0, 3));
        QTRY_COMPARE(startedArguments().size(), 1);
        tickAt(QTime(6, 0, 0, 103));
        tickAt(QTime(6, 0, 0, 203));
        QCOMPARE(storedFiles(), QStringList({"/rec/next-day.mp3"}));
        QCOMPARE(label("LblFilenameRec"), QStringLiteral("/rec/next-day.mp3"));

        // The same second a day later fires the next task; a double start of the first would show before it.
        tickAt(QTime(6, 0, 0, 5), QDate(2026, 12, 25));
        QTRY_COMPARE(startedArguments().size(), 2);
        QCOMPARE(startedArguments(), QStringList({"/t&60&/o&" + awkwardFile, "/t&60&/o&/rec/next-day.mp3"}));
        QCOMPARE(m_dir->recorderStarts().first().argumentCount, 1);
        QVERIFY(!QFile::exists(m_dir->path() + QStringLiteral("/pwned")));
        QCOMPARE(m_dir->rowCount(), 0);
        QCOMPARE(label("LblStartTimeRec"), QString());
        QCOMPARE(label("LblProgramRec"), QString());
    }

    void tasksOfTheSameSecondFireOnConsecutiveTicks()
    {
        m_dir->insert(task("06:00:00", "/rec/one.mp3"));
        m_dir->insert(task("06:00:00", "/rec/two.mp3"));
        load();
        tickAt(QTime(6, 0, 0, 1));
        QCOMPARE(m_dir->rowCount(), 1);
        // Each start ends the recorder before it, so let the first one get going first.
        QTRY_COMPARE(startedArguments().size(), 1);
        tickAt(QTime(6, 0, 0, 101));
        QCOMPARE(m_dir->rowCount(), 0);
        QTRY_COMPARE(startedArguments().size(), 2);
        QStringList started = startedArguments();
        started.sort();
        QCOMPARE(started, QStringList({"/t&60&/o&/rec/one.mp3", "/t&60&/o&/rec/two.mp3"}));
    }

    void lateTaskFiresWithTheSecondsLeft()
    {
        m_dir->insert(task("06:00:00", "/rec/late.mp3", "3600"));
        load();
        tickAt(QTime(6, 10, 0, 500));
        QTRY_COMPARE(startedArguments(), QStringList({"/t&3000&/o&/rec/late.mp3"}));
        QCOMPARE(m_dir->rowCount(), 0);
    }

    void missedTaskIsKeptAndTheTasksBehindItStillFire()
    {
        m_dir->insert(task("05:00:00", "/rec/missed.mp3", "60"));
        m_dir->insert(task("05:30:00", "/rec/missed-too.mp3", "60"));
        m_dir->insert(task("06:00:00", "/rec/on-time.mp3", "60"));
        load();
        tickAt(QTime(5, 59, 0));
        QCOMPARE(label("LblFilenameRec"), QStringLiteral("/rec/on-time.mp3"));
        tickAt(QTime(6, 0, 0));
        QTRY_COMPARE(startedArguments(), QStringList({"/t&60&/o&/rec/on-time.mp3"}));
        QCOMPARE(storedFiles(), QStringList({"/rec/missed.mp3", "/rec/missed-too.mp3"}));
        QCOMPARE(label("LblStartTimeRec"), QString());
    }

    void taskWhoseRemovalFailsIsNotStartedTwice()
    {
        m_dir->insert(task("06:00:00", "/rec/first.mp3", "600"));
        m_dir->insert(task("06:05:00", "/rec/second.mp3", "600"));
        load();

        const QString lockName = QStringLiteral("lock");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
            other.setDatabaseName(m_dir->storePath());
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));

            tickAt(QTime(6, 0, 0));
            QTRY_COMPARE(startedArguments().size(), 1);
            tickAt(QTime(6, 0, 1));
            tickAt(QTime(6, 0, 2));
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
            other.close();
        }
        QSqlDatabase::removeDatabase(lockName);

        // Once the store can be written again the fired task leaves it, without a second start.
        tickAt(QTime(6, 0, 3));
        QCOMPARE(storedFiles(), QStringList({"/rec/second.mp3"}));
        QCOMPARE(label("LblFilenameRec"), QStringLiteral("/rec/second.mp3"));
        tickAt(QTime(6, 5, 0));
        QTRY_COMPARE(startedArguments().size(), 2);
        QCOMPARE(startedArguments(), QStringList({"/t&600&/o&/rec/first.mp3", "/t&600&/o&/rec/second.mp3"}));
    }

    void taskRemovedElsewhereDoesNotFire()
    {
        m_dir->insert(task("06:00:00", "/rec/removed.mp3"));
        m_dir->insert(task("06:00:00", "/rec/kept.mp3", "60", "2026-12-24"));
        load();
        QCOMPARE(label("LblFilenameRec"), QStringLiteral("/rec/removed.mp3"));
        m_dir->exec(QStringLiteral("DELETE FROM AddSchTab WHERE Filename = '/rec/removed.mp3'"));

        tickAt(QTime(6, 0, 0, 1));
        tickAt(QTime(6, 0, 0, 101));
        QTRY_COMPARE(startedArguments(), QStringList({"/t&60&/o&/rec/kept.mp3"}));
        QCOMPARE(m_dir->rowCount(), 0);
    }

    void missingRecorderStillRemovesTheTask()
    {
        QFile::remove(m_dir->path() + QStringLiteral("/quillsnd.exe"));
        m_dir->insert(task("06:00:00", "/rec/none.mp3"));
        load();
        tickAt(QTime(6, 0, 0));
        QCOMPARE(m_dir->rowCount(), 0);
        QCOMPARE(label("LblStartTimeRec"), QString());
    }
};

QTEST_MAIN(MonitorTest)
#include "tst_monitor.moc"
