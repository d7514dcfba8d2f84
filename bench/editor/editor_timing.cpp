#include "AddSchedule.h"
#include "DBusDesktopNotices.h"
#include "DateTimeText.h"
#include "DetachedProgramLauncher.h"
#include "EmptyStore.h"
#include "LinkedLocalTimeZone.h"
#include "LinuxProcessTerminator.h"
#include "LogindSleepInhibitor.h"
#include "PulseSoundSourceList.h"
#include "MessageBoxes.h"
#include "RecorderLaunch.h"
#include "RecorderStopClient.h"
#include "ScheduleFields.h"
#include "Scheduler.h"
#include "SeriesPlans.h"
#include "StoreConnection.h"
#include "TaskClaims.h"
#include "TaskStore.h"
#include "QtFileDialog.h"
#include "SystemClock.h"
#include "X11WindowKeystrokes.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

// editor_timing fill DIR COUNT [SERIES]   makes DIR/AddSchedule.mdb holding COUNT tasks, SERIES of them
//                                         repeating (daily or on weekdays)
// editor_timing claims DIR       times 500 claims of series' occurrences, each with its next
//                                occurrence stored and committed, and prints the median, p99, slowest
// editor_timing measure DIR      times the editor over that store and prints one line:
//                                tasks, start-up, a monitor tick (median and slowest of 1,000),
//                                load and show, save, close (ms, medians), peak memory (MiB)

namespace {

constexpr int Rounds = 5;

// Answers every box at once, so that nothing waits for a user.
class SilentMessageBoxes : public MessageBoxes
{
public:
    MessageAnswer show(QWidget *, const QString &, const QString &, MessageButtons buttons, MessageIcon,
                       const QString &) override
    {
        ++shown;
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    }
    int shown = 0;
};

int fill(const QString &dir, int count, int series)
{
    const QString path = QDir(dir).filePath(QStringLiteral("AddSchedule.mdb"));
    QString problem;
    if (EmptyStore::create(path, &problem) != EmptyStore::Result::Created) {
        QTextStream(stderr) << "cannot make the store: " << problem << '\n';
        return 1;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        if (!db.open())
            return 1;
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO AddSchTab VALUES (?, ?, ?, ?, ?, ?)"));
        QSqlQuery plan(db);
        plan.prepare(QStringLiteral("INSERT INTO AddSchPlan (StartDate, StartTime, Program, Filename, Parameter, "
                                    "RecordLength, Rule) SELECT *, ? FROM AddSchTab WHERE rowid = ?"));
        const int seriesEvery = series > 0 ? count / series : 0;
        // Spread over ten years from 2031, so none falls due while the timing runs.
        const QDate first(2031, 1, 1);
        for (int i = 0; i < count; ++i) {
            const int seconds = int((qint64(i) * 7919) % 86400);
            insert.addBindValue(first.addDays((i * 613) % 3650).toString(Qt::ISODate));
            insert.addBindValue(QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss")));
            insert.addBindValue(QStringLiteral("Program %1").arg(i));
            insert.addBindValue(QStringLiteral("/home/user/recordings/program-%1.mp3").arg(i));
            insert.addBindValue(QStringLiteral("5400"));
            insert.addBindValue(QStringLiteral("0 天 1 小时 30 分钟 0 秒 之后"));
            if (!insert.exec()) {
                QTextStream(stderr) << insert.lastError().text() << '\n';
                return 1;
            }
            if (seriesEvery > 0 && i % seriesEvery == 0) {
                plan.addBindValue(i % 2 ? QStringLiteral("FREQ=DAILY") : QStringLiteral("FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR"));
                plan.addBindValue(insert.lastInsertId());
                plan.exec();
            }
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return 0;
}

double peakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double ms(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

int measure(const QString &dir)
{
    SilentMessageBoxes boxes;
    QtFileDialog fileDialog;
    const DateTimeText texts;
    const SystemClock clock;
    const LinkedLocalTimeZone zone(QStringLiteral("/etc/localtime"));
    LinuxProcessTerminator terminator;
    DetachedProgramLauncher launcher;
    X11WindowKeystrokes keystrokes;
    RecorderStopClient stopClient;
    RecorderLaunch recorder(terminator, launcher, keystrokes, stopClient);
    DBusDesktopNotices notices(QStringLiteral("QuillScheduler"));
    LogindSleepInhibitor sleepInhibitor(QStringLiteral("QuillScheduler"));
    PulseSoundSourceList soundSources;
    const WindowServices windowServices{dir, boxes, fileDialog, texts, clock, zone, soundSources};
    const Scheduler::Services services{windowServices, recorder, notices, sleepInhibitor,
                                       [windowServices](MainWindowLink &mainWindow) {
                                           return AddSchedule::load(mainWindow, windowServices);
                                       }};

    QElapsedTimer timer;
    timer.start();
    Scheduler scheduler(services);
    if (const StoreError error = scheduler.Form_Load()) {
        QTextStream(stderr) << error.number << ' ' << error.description << '\n';
        return 1;
    }
    scheduler.show();
    scheduler.repaint();
    const double startup = ms(timer.nsecsElapsed());

    std::vector<double> ticks;
    for (int tick = 0; tick < 1000; ++tick) {
        const qint64 tickStart = timer.nsecsElapsed();
        scheduler.Timer2_Timer();
        ticks.push_back(ms(timer.nsecsElapsed() - tickStart));
    }
    auto *viewRec = scheduler.findChild<QPushButton *>(QStringLiteral("CmdViewRec"));

    std::vector<double> loads;
    std::vector<double> saves;
    std::vector<double> closes;
    // The first round shows the editor that start-up loaded; every later one loads it afresh.
    for (int round = 0; round <= Rounds; ++round) {
        qint64 shownAt = 0;
        qint64 saveStart = 0;
        qint64 saveEnd = 0;
        qint64 closeStart = 0;
        QTimer::singleShot(0, &scheduler, [&] {
            auto *editor = qobject_cast<AddSchedule *>(QApplication::activeModalWidget());
            if (!editor)
                return;
            editor->repaint();
            shownAt = timer.nsecsElapsed();
            editor->findChild<QPushButton *>(QStringLiteral("CmdAdd"))->click();
            editor->findChild<QComboBox *>(QStringLiteral("ComboYear"))->setEditText(QStringLiteral("2035"));
            editor->findChild<QComboBox *>(QStringLiteral("ComboRecmins"))->setEditText(QStringLiteral("30"));
            saveStart = timer.nsecsElapsed();
            editor->findChild<QPushButton *>(QStringLiteral("CmdUpdate"))->click();
            editor->repaint();
            saveEnd = timer.nsecsElapsed();
            closeStart = timer.nsecsElapsed();
            editor->findChild<QPushButton *>(QStringLiteral("CmdExit"))->click();
        });
        const qint64 clickAt = timer.nsecsElapsed();
        viewRec->click();
        scheduler.repaint();
        const qint64 closedAt = timer.nsecsElapsed();
        if (round == 0)
            continue;
        loads.push_back(ms(shownAt - clickAt));
        saves.push_back(ms(saveEnd - saveStart));
        closes.push_back(ms(closedAt - closeStart));
    }
    if (boxes.shown != 0) {
        QTextStream(stderr) << "unexpected message boxes: " << boxes.shown << '\n';
        return 1;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
    db.setDatabaseName(QDir(dir).filePath(QStringLiteral("AddSchedule.mdb")));
    db.open();
    QSqlQuery count(QStringLiteral("SELECT count(*) FROM AddSchTab"), db);
    count.next();
    const int tasks = count.value(0).toInt() - Rounds - 1;

    QTextStream(stdout) << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8\n")
                               .arg(tasks, 8)
                               .arg(startup, 10, 'f', 1)
                               .arg(median(ticks), 9, 'f', 3)
                               .arg(*std::max_element(ticks.begin(), ticks.end()), 9, 'f', 3)
                               .arg(median(loads), 13, 'f', 1)
                               .arg(median(saves), 8, 'f', 1)
                               .arg(median(closes), 8, 'f', 1)
                               .arg(peakMemoryMiB(), 13, 'f', 1);
    return 0;
}

int claims(const QString &dir)
{
    const QString path = QDir(dir).filePath(QStringLiteral("AddSchedule.mdb"));
    StoreError error;
    auto connection = StoreConnection::open(path, &error);
    auto claims = TaskClaims::open(path, &error, 1000);
    if (!connection || !claims) {
        QTextStream(stderr) << error.description << '\n';
        return 1;
    }
    QList<SeriesPlan> plans;
    SeriesPlans(connection).all(&plans);
    TaskStore store(connection);
    QSqlQuery rowOf(connection->database());
    rowOf.prepare(QStringLiteral("SELECT rowid FROM AddSchTab WHERE StartDate = ? AND StartTime = ? AND Filename = ?"));
    std::vector<double> times;
    QElapsedTimer timer;
    for (const SeriesPlan &plan : plans.mid(0, 500)) {
        for (const auto field : {ScheduleFields::Field::StartDate, ScheduleFields::Field::StartTime, ScheduleFields::Field::Filename})
            rowOf.addBindValue(plan.row.stored(field));
        std::optional<Task> task;
        if (!rowOf.exec() || !rowOf.next() || store.read(rowOf.value(0).toLongLong(), &task) || !task)
            return 1;
        rowOf.finish();
        timer.start();
        if (claims->claim(*task, &error) != TaskClaims::Outcome::Claimed)
            return 1;
        claims->settle(task->rowId());
        if (claims->commit())
            return 1;
        times.push_back(ms(timer.nsecsElapsed()));
    }
    std::sort(times.begin(), times.end());
    QTextStream(stdout) << QStringLiteral("claim with the next occurrence, %1 claims: median %2 ms, p99 %3 ms, slowest %4 ms\n")
                               .arg(times.size())
                               .arg(median(times), 0, 'f', 3)
                               .arg(times.at(times.size() * 99 / 100), 0, 'f', 3)
                               .arg(times.back(), 0, 'f', 3);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (arguments.size() >= 3 && arguments.at(0) == QLatin1String("fill")) {
        QCoreApplication app(argc, argv);
        return fill(arguments.at(1), arguments.at(2).toInt(), arguments.value(3).toInt());
    }
    if (arguments.size() == 2 && arguments.at(0) == QLatin1String("claims")) {
        QCoreApplication app(argc, argv);
        return claims(arguments.at(1));
    }
    if (arguments.size() == 2 && arguments.at(0) == QLatin1String("measure")) {
        QApplication app(argc, argv);
        return measure(arguments.at(1));
    }
    QTextStream(stderr) << "usage: editor_timing fill DIR COUNT [SERIES] | editor_timing measure DIR | editor_timing claims DIR\n";
    return 2;
}
