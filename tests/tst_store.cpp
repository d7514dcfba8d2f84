#include "ResultSet.h"
#include "ScheduleFields.h"
#include "StoreConnection.h"
#include "StoreLocker.h"
#include "TaskClaims.h"
#include "TaskStore.h"
#include "TestAppDir.h"

#include <QTest>

namespace F = ScheduleFields;

// The store through its own interface, on real SQLite files changed behind its back by another connection.
class StoreTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestAppDir> m_dir;

    std::unique_ptr<ResultSet> open(const QString &source = F::OrderedQuery)
    {
        StoreError error;
        auto connection = StoreConnection::open(m_dir->storePath(), &error);
        auto rows = connection ? connection->openRecordset(source, &error) : nullptr;
        return rows && !(error = rows->requery()) ? std::move(rows) : nullptr;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        QVERIFY(m_dir->isValid());
    }

    void writesOutsideAnEditAndReadsWithoutARowAreRefused()
    {
        auto rows = open();
        QVERIFY(rows->bof() && rows->eof());
        StoreError error;
        rows->value(F::Program, &error);
        QCOMPARE(QList<int>({error.number, rows->edit().number, rows->deleteRow().number, rows->moveNext().number,
                             rows->moveFirst().number, rows->moveTo(0).number, rows->setValue(F::Program, "x").number,
                             rows->update().number, rows->cancelUpdate().number}),
                 QList<int>(6, StoreError::NoCurrentRecord) + QList<int>(3, StoreError::NoPendingEdit));
        QVERIFY(!rows->addNew());
        rows->value(QStringLiteral("Nonsense"), &error);
        QCOMPARE(QList<int>({error.number, rows->setValue(QStringLiteral("Nonsense"), 1).number}),
                 QList<int>(2, StoreError::FieldNotFound));
        // An empty title is refused by the store itself, and the row stays pending to be mended.
        QVERIFY(!rows->setValue(F::Filename, QStringLiteral("/tmp/x.mp3")) && !rows->setValue(F::Program, QString("")));
        QCOMPARE(rows->update().description, QStringLiteral("Field 'AddSchTab.Program' cannot be a zero-length string."));
        QVERIFY(rows->editMode() == ResultSet::EditMode::Adding && m_dir->rowCount() == 0);
    }

    // Empty and unreadable starts stay apart from missing ones, listed and read by row; a row gone reads as nothing.
    void readsKeepWhatIsStored_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("readable") << "2026-12-01" << QVariant(QDate(2026, 12, 1));
        QTest::newRow("unreadable") << "2026-13-01" << QVariant("2026-13-01");
        QTest::newRow("empty") << "" << QVariant("");
        QTest::newRow("missing") << QString() << QVariant();
    }

    void readsKeepWhatIsStored()
    {
        QFETCH(QString, date);
        QFETCH(QVariant, value);
        StoreError error;
        TaskStore store(StoreConnection::open(m_dir->storePath(), &error));
        bool any = true;
        QVERIFY(!store.hasTasks(&any) && !any);
        m_dir->insert({date, "09:00:00", "task", "/tmp/task.mp3", "60", QString()});
        m_dir->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) INSERT "
                                   "INTO AddSchTab (StartDate, Program, Filename) SELECT '2027-01-01', 'later', 'x' FROM n")
                        .arg(ResultSet::WholeRows));
        auto rows = open();
        const std::optional<Task> listed = rows->currentTask();
        std::optional<Task> read;
        QVERIFY(listed && !store.read(listed->rowId(), &read) && read == listed && !store.hasTasks(&any) && any);
        QCOMPARE(rows->value(F::StartDate), value);
        QCOMPARE(QList<bool>({listed->isNull(Task::Field::StartDate), listed->isNull(Task::Field::RecordLength)}),
                 QList<bool>({value.isNull(), true}));
        m_dir->exec("DELETE FROM AddSchTab");
        QVERIFY(!store.read(listed->rowId(), &read) && !read);
        // Rows read whole with the list stay as listed; a row read only later is found gone.
        QCOMPARE(rows->taskAt(0), listed);
        QVERIFY(!rows->taskAt(ResultSet::WholeRows) && !rows->moveTo(ResultSet::WholeRows) && rows->currentRowId() == -1);
    }

    void claimsRemoveOnlyTheRowAsRead_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<TaskClaims::Outcome>("outcome");
        QTest::newRow("unchanged") << QString() << TaskClaims::Outcome::Claimed;
        QTest::newRow("removed") << "DELETE FROM AddSchTab" << TaskClaims::Outcome::Gone;
        QTest::newRow("changed") << "UPDATE AddSchTab SET StartTime = '09:00:01'" << TaskClaims::Outcome::Changed;
        QTest::newRow("emptied to null") << "UPDATE AddSchTab SET RecordLength = NULL" << TaskClaims::Outcome::Changed;
        QTest::newRow("held") << "lock" << TaskClaims::Outcome::Locked;
    }

    void claimsRemoveOnlyTheRowAsRead()
    {
        QFETCH(QString, meanwhile);
        QFETCH(TaskClaims::Outcome, outcome);
        m_dir->insertTasks({"2026-12-01 09:00:00 task"});
        auto rows = open();
        StoreError error;
        auto claims = TaskClaims::open(m_dir->storePath(), &error, 0);
        StoreLocker locker(m_dir->storePath());
        if (meanwhile == QLatin1String("lock"))
            QVERIFY(locker.lock());
        else if (!meanwhile.isEmpty())
            m_dir->exec(meanwhile);
        const Task task = *rows->currentTask();
        const qint64 row = task.rowId();
        QVERIFY(claims);
        QCOMPARE(claims->claim(task, &error), outcome);
        QCOMPARE(claims->isOpen(), outcome == TaskClaims::Outcome::Claimed);
        if (outcome != TaskClaims::Outcome::Claimed)
            return;
        // Lasting only once committed; a claim put back returns the row as it was.
        const QList<QStringList> before = m_dir->rows();
        QVERIFY(claims->hasUnsettled() && !claims->restore(row) && !claims->commit());
        QCOMPARE(m_dir->rows(), before);
        QCOMPARE(claims->claim(task, &error), TaskClaims::Outcome::Claimed);
        claims->settle(row);
        QVERIFY(!claims->commit());
        QCOMPARE(m_dir->rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(StoreTest)
#include "tst_store.moc"
