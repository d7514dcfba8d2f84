#include "CursorTableModel.h"
#include "DateTimeText.h"
#include "EditorTestKit.h"
#include "ManualClock.h"
#include "RecordCursor.h"
#include "ResultSet.h"
#include "ScheduleFields.h"
#include "StoreConnection.h"
#include "TestAppDir.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace F = ScheduleFields;

class AddScheduleGridTest : public QObject
{
    Q_OBJECT

private:
    const DateTimeText m_texts{QLocale(QLocale::English, QLocale::UnitedStates)};
    ManualClock m_clock;

    static TestAppDir::Row task(const QString &date, const QString &time, const QString &program)
    {
        return EditorTestKit::task(date, time, program);
    }

    // Attaches the ordered rows of the store to the cursor, as the windows do.
    static bool attachOrdered(const TestAppDir &dir, RecordCursor &cursor)
    {
        StoreError error;
        auto connection = StoreConnection::open(dir.storePath(), &error);
        if (!connection)
            return false;
        auto rows = connection->openRecordset(F::OrderedQuery, &error);
        if (!rows)
            return false;
        cursor.attach(std::move(rows));
        return !cursor.refresh();
    }

    static int markedRow(const QAbstractItemModel &model)
    {
        int marked = -1;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.headerData(row, Qt::Vertical).toString() == QString::fromUtf8(CursorTableModel::CurrentRowMarker)) {
                if (marked >= 0)
                    return -2;
                marked = row;
            }
        }
        return marked;
    }

private slots:
    void modelHoldsItsRulesThroughEveryChange()
    {
        TestAppDir dir;
        for (int i = 0; i < 30; ++i)
            dir.insert(task(QStringLiteral("2026-12-%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
                            QStringLiteral("09:%1:00").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("t%1").arg(i)));
        RecordCursor cursor;
        CursorTableModel model(&cursor, m_texts, m_clock, QTimeZone::systemTimeZone());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);

        QVERIFY(attachOrdered(dir, cursor));
        QCOMPARE(model.rowCount(), 30);
        ResultSet &rows = cursor.recordset();
        QVERIFY(!rows.moveNext());
        QVERIFY(!rows.moveTo(29));
        QVERIFY(!rows.moveNext());
        QVERIFY(rows.eof());
        QCOMPARE(model.currentRow(), -1);

        dir.exec(QStringLiteral("DELETE FROM AddSchTab WHERE Program IN ('t3', 't4', 't5')"));
        dir.insert(task("2027-01-01", "00:00:00", "late"));
        QVERIFY(!cursor.refresh());
        QCOMPARE(model.rowCount(), 28);
        QCOMPARE(model.index(27, 2).data().toString(), QStringLiteral("late"));

        QVERIFY(!rows.addNew());
        QVERIFY(!rows.setValue(F::Program, QStringLiteral("added")));
        QVERIFY(!rows.setValue(F::Filename, QStringLiteral("/rec/added.mp3")));
        QVERIFY(!rows.update());
        // The added row joins the grid at the next reading.
        QCOMPARE(model.rowCount(), 28);
        QVERIFY(!cursor.refresh());
        QCOMPARE(model.rowCount(), 29);

        dir.exec(QStringLiteral("DELETE FROM AddSchTab"));
        QVERIFY(attachOrdered(dir, cursor));
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.currentRow(), -1);
    }

    void cellsShowTheFieldsAsTheWindowsDo()
    {
        TestAppDir dir;
        dir.insert({"2026-12-02", "13:05:00", "news", "/rec/news.mp3", "90", "0 天 0 小时 1 分钟 30 秒 之后"});
        dir.insert({QString(), QString(), "bare", "/rec/bare.mp3", QString(), QString()});
        RecordCursor cursor;
        CursorTableModel model(&cursor, m_texts, m_clock, QTimeZone::systemTimeZone());
        QVERIFY(attachOrdered(dir, cursor));

        QStringList first;
        QStringList second;
        for (int column = 0; column < 6; ++column) {
            second << model.index(0, column).data().toString();
            first << model.index(1, column).data().toString();
        }
        QCOMPARE(first, QStringList({m_texts.dateText(QDate(2026, 12, 2)), m_texts.timeText(QTime(13, 5, 0)), "news",
                                     "/rec/news.mp3", "90", "0 天 0 小时 1 分钟 30 秒 之后"}));
        QCOMPARE(second, QStringList({"", "", "bare", "/rec/bare.mp3", "", ""}));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
        QStringList headers;
        for (int column = 0; column < model.columnCount(); ++column)
            headers << model.headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"StartDate", "StartTime", "Program", "Filename", "Parameter", "RecordLength"}));
    }

    // Each task "time/length/title" on 24 December; each row's mark as "missed", "clash" or "".
    void marksShowMissedAndClashingTasks_data()
    {
        QTest::addColumn<QStringList>("tasks");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("recording over") << QStringList{"05:00:00/60/early", "06:30:00/60/later"}
                                        << QStringList{"missed", ""};
        QTest::newRow("late but still recording") << QStringList{"05:30:00/3600/running"} << QStringList{""};
        QTest::newRow("starts within the one before")
            << QStringList{"06:10:00/3600/long", "06:30:00/60/short", "08:00:00/60/apart"}
            << QStringList{"clash", "clash", ""};
        QTest::newRow("starts as the one before ends")
            << QStringList{"06:10:00/60/first", "06:11:00/60/second"} << QStringList{"", ""};
        QTest::newRow("a missed one cuts nothing off")
            << QStringList{"04:00:00/3600/gone", "04:30:00/60/gone too", "06:30:00/60/next"}
            << QStringList{"missed", "missed", ""};
    }

    void marksShowMissedAndClashingTasks()
    {
        QFETCH(QStringList, tasks);
        QFETCH(QStringList, marks);
        TestAppDir dir;
        for (const QString &spec : std::as_const(tasks)) {
            const QStringList parts = spec.split(u'/');
            dir.insert({"2026-12-24", parts[0], parts[2], "/rec/x.mp3", parts[1], "length"});
        }
        m_clock.set(QDateTime(QDate(2026, 12, 24), QTime(6, 0, 0)));
        RecordCursor cursor;
        CursorTableModel model(&cursor, m_texts, m_clock, QTimeZone::systemTimeZone());
        QVERIFY(attachOrdered(dir, cursor));

        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex cell = model.index(row, 2);
            const QString tip = cell.data(Qt::ToolTipRole).toString();
            const QString mark = cell.data(Qt::ForegroundRole).isValid()   ? QStringLiteral("missed")
                                 : cell.data(Qt::BackgroundRole).isValid() ? QStringLiteral("clash")
                                                                           : QString();
            QCOMPARE(mark, marks.at(row));
            if (mark == QLatin1String("missed"))
                QCOMPARE(tip, QStringLiteral("已错过: 录音时间已过"));
            if (mark == QLatin1String("clash")) {
                // Named the other task and the second at which the earlier recording is cut.
                const QString other = model.index(row == 0 ? 1 : 0, 2).data().toString();
                QVERIFY2(tip.contains(other) && tip.contains(QStringLiteral("12-24 06:30:00")), qPrintable(tip));
            }
            QCOMPARE(tip.isEmpty(), mark.isEmpty());
        }
    }

    void aTaskBecomesMissedWhileTheListIsOpen()
    {
        TestAppDir dir;
        dir.insert(task("2026-12-24", "06:00:00", "soon"));
        m_clock.set(QDateTime(QDate(2026, 12, 24), QTime(7, 29, 0)));
        RecordCursor cursor;
        CursorTableModel model(&cursor, m_texts, m_clock, QTimeZone::systemTimeZone());
        QVERIFY(attachOrdered(dir, cursor));
        QVERIFY(!model.index(0, 0).data(Qt::ForegroundRole).isValid());

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        m_clock.set(QDateTime(QDate(2026, 12, 24), QTime(7, 30, 0)));
        QVERIFY(changed.wait(3000));
        QVERIFY(model.index(0, 0).data(Qt::ForegroundRole).isValid());
    }

    void markerFollowsTheCurrentRow()
    {
        TestAppDir dir;
        dir.insert(task("2026-12-03", "09:00:00", "c"));
        dir.insert(task("2026-12-01", "09:00:00", "a"));
        dir.insert(task("2026-12-02", "09:00:00", "b"));
        RecordCursor cursor;
        CursorTableModel model(&cursor, m_texts, m_clock, QTimeZone::systemTimeZone());
        QSignalSpy moved(&model, &CursorTableModel::currentRowMoved);
        QVERIFY(attachOrdered(dir, cursor));
        QCOMPARE(model.index(2, 2).data().toString(), QStringLiteral("c"));
        QCOMPARE(markedRow(model), 0);

        moved.clear();
        QVERIFY(!cursor.recordset().moveNext());
        QCOMPARE(markedRow(model), 1);
        QCOMPARE(model.currentRow(), 1);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.first().first().toInt(), 1);

        QVERIFY(!cursor.recordset().moveTo(2));
        QCOMPARE(markedRow(model), 2);
        QVERIFY(cursor.recordset().moveTo(3));
        QCOMPARE(markedRow(model), 2);

        QVERIFY(!cursor.recordset().moveNext());
        QCOMPARE(markedRow(model), -1);

        QVERIFY(!cursor.refresh());
        QCOMPARE(markedRow(model), 0);
        QVERIFY(!cursor.recordset().deleteRow());
        QCOMPARE(markedRow(model), -1);
    }

    void moveToDropsAPendingRow()
    {
        TestAppDir dir;
        dir.insert(task("2026-12-01", "09:00:00", "a"));
        dir.insert(task("2026-12-02", "09:00:00", "b"));
        RecordCursor cursor;
        QVERIFY(attachOrdered(dir, cursor));
        ResultSet &rows = cursor.recordset();
        QVERIFY(!rows.addNew());
        QVERIFY(!rows.setValue(F::Program, QStringLiteral("pending")));
        QSignalSpy changed(&cursor, &RecordCursor::currentRowChanged);
        QVERIFY(!rows.moveTo(1));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(rows.editMode(), ResultSet::EditMode::Browsing);
        QCOMPARE(rows.value(F::Program).toString(), QStringLiteral("b"));
        QCOMPARE(rows.currentIndex(), 1);
        QVERIFY(rows.update());
        QCOMPARE(dir.rowCount(), 2);

        QCOMPARE(rows.moveTo(-1).number, int(StoreError::NoCurrentRecord));
        QCOMPARE(rows.moveTo(2).number, int(StoreError::NoCurrentRecord));
        QCOMPARE(rows.currentIndex(), 1);
    }

    void rowsRemovedElsewhereStayListedUntilTheNextReading()
    {
        TestAppDir dir;
        for (int i = 0; i < 500; ++i)
            dir.insert(task("2026-12-01", QStringLiteral("%1:%2:00").arg(i / 60 + 1, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0')),
                            QStringLiteral("t%1").arg(i)));
        RecordCursor cursor;
        CursorTableModel model(&cursor, m_texts, m_clock, QTimeZone::systemTimeZone());
        QVERIFY(attachOrdered(dir, cursor));
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("t0"));

        // Removed by another program after the list was read: listed as read until the next reading.
        dir.exec(QStringLiteral("DELETE FROM AddSchTab WHERE Program IN ('t0', 't450')"));
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("t0"));
        QCOMPARE(model.index(450, 2).data().toString(), QStringLiteral("t450"));
        QCOMPARE(model.index(451, 2).data().toString(), QStringLiteral("t451"));
        QCOMPARE(model.rowCount(), 500);
        QVERIFY(!cursor.refresh());
        QCOMPARE(model.rowCount(), 498);
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("t1"));
    }

    void readOnlyGridSelectingARowMakesItCurrent()
    {
        EditorTestKit kit;
        kit.dir.insert(task("2026-12-03", "09:00:00", "c"));
        kit.dir.insert(task("2026-12-01", "09:00:00", "a"));
        kit.dir.insert(task("2026-12-02", "09:00:00", "b"));
        QVERIFY(kit.load());
        QTableView *grid = kit.grid();
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(grid->verticalHeader()->isVisibleTo(grid));
        QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
        kit.showAndClickRow(2);
        QCOMPARE(kit.data1()->recordset().currentIndex(), 2);
        QCOMPARE(kit.box("ProgramRec")->text(), QStringLiteral("c"));
        QCOMPARE(kit.box("DateRec")->text(), kit.services.texts.dateText(QDate(2026, 12, 3)));
        QCOMPARE(markedRow(*grid->model()), 2);
        QCOMPARE(grid->selectionModel()->selectedRows().first().row(), 2);

        QTest::keyClick(grid, Qt::Key_Up);
        QCOMPARE(kit.data1()->recordset().currentIndex(), 1);
        QCOMPARE(kit.box("ProgramRec")->text(), QStringLiteral("b"));
        QCOMPARE(markedRow(*grid->model()), 1);
    }

    void gridClickWhileAnEntryIsPendingLeavesIt()
    {
        EditorTestKit kit;
        kit.dir.insert(task("2026-12-01", "09:00:00", "a"));
        kit.dir.insert(task("2026-12-02", "09:00:00", "b"));
        QVERIFY(kit.load());
        kit.click("CmdAdd");
        QTableView *grid = kit.grid();
        kit.showAndClickRow(1);
        QCOMPARE(kit.data1()->recordset().editMode(), ResultSet::EditMode::Adding);
        QCOMPARE(kit.box("ProgramRec")->text(), QStringLiteral("Quillsound"));
        QCOMPARE(markedRow(*grid->model()), 0);
        QTRY_COMPARE(grid->selectionModel()->selectedRows().size(), 1);
        QTRY_COMPARE(grid->selectionModel()->selectedRows().first().row(), 0);

        // The entry is still whole: it saves.
        kit.enterStart("11", "30", "2026", "8", "0", "0");
        kit.enterLength("0", "0", "1", "0");
        kit.click("CmdUpdate");
        QVERIFY(kit.services.boxes.boxes().isEmpty());
        QCOMPARE(kit.dir.rowCount(), 3);
        QCOMPARE(kit.dir.rows().first().at(2), QStringLiteral("Quillsound"));
    }
};

QTEST_MAIN(AddScheduleGridTest)
#include "tst_addschedule_grid.moc"
