#include "SingleInstance.h"

#include <QLocalSocket>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Long enough for a loaded machine; a copy that gets no answer waits a few seconds before going ahead.
constexpr int waitMs = 15000;

// One started copy of the stand-in and what it has printed so far; QProcess kills it at the end.
struct Probe
{
    QProcess process;
    QByteArray output;

    int count(const QByteArray &word)
    {
        output += process.readAllStandardOutput();
        return int(output.split('\n').count(word));
    }
    bool says(const QByteArray &word)
    {
        return QTest::qWaitFor([&] { return count(word) > 0; }, waitMs);
    }
};

} // namespace

// Copies of a stand-in program around SingleInstance, each in a process of its own.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    // The runtime directory, with the executables in folders below it.
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<Probe>> m_probes;
    QString m_identity;

    Probe &start(const QString &identity, const QStringList &options = {})
    {
        Probe &probe = *m_probes.emplace_back(std::make_unique<Probe>());
        probe.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        probe.process.start(QStringLiteral(SINGLEINSTANCE_PROBE_PATH), QStringList{identity} + options);
        return probe;
    }

    // A copy of identity must be refused, having raised running's window for the times-th time.
    void expectRefused(const QString &identity, Probe &running, int times)
    {
        Probe &probe = start(identity);
        QVERIFY(probe.process.waitForFinished(waitMs));
        QCOMPARE(probe.process.exitCode(), 0);
        QVERIFY(probe.says("refused"));
        QTRY_COMPARE_WITH_TIMEOUT(running.count("raised"), times, waitMs);
    }

    // A file of its own at relativePath that stands in for the program's executable.
    QString makeIdentity(const QString &relativePath)
    {
        const QString path = m_dir->filePath(relativePath);
        return QDir().mkpath(QFileInfo(path).absolutePath()) && QFile::copy(QStringLiteral(SINGLEINSTANCE_PROBE_PATH), path)
            ? path
            : QString();
    }

private slots:
    void init()
    {
        // Each test gets its own runtime directory and executable path, so nothing carries over.
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->path()));
        m_identity = makeIdentity(QStringLiteral("bin/quillscheduler"));
    }

    void cleanup() { m_probes.clear(); }

    // Each row: a copy killed before the first starts, and the line it printed by then; what a stray
    // client of the socket sends; the symlink the second start goes through. Empty for none.
    void secondStartIsRefusedAndRaisesFirst_data()
    {
        QTest::addColumn<QByteArray>("killedAfter");
        QTest::addColumn<QByteArray>("stray");
        QTest::addColumn<QString>("link");
        QTest::newRow("alone") << QByteArray() << QByteArray() << QString();
        QTest::newRow("after a copy killed with its window open") << QByteArray("listening") << QByteArray() << QString();
        QTest::newRow("after a copy killed while starting") << QByteArray("first") << QByteArray() << QString();
        QTest::newRow("a stray client's flood") << QByteArray() << QByteArray(200000, 'x') << QString();
        QTest::newRow("a stray request in other case")
            << QByteArray() << QByteArrayLiteral("QUILLSCHEDULER RAISE 1\n") << QString();
        QTest::newRow("second start through a symlink") << QByteArray() << QByteArray() << "links/quillscheduler";
    }

    void secondStartIsRefusedAndRaisesFirst()
    {
        QFETCH(QByteArray, killedAfter);
        QFETCH(QByteArray, stray);
        QFETCH(QString, link);
        const QString second = link.isEmpty() ? m_identity : m_dir->filePath(link);
        if (!link.isEmpty())
            QVERIFY(QDir().mkpath(QFileInfo(second).absolutePath()) && QFile::link(m_identity, second));
        if (!killedAfter.isEmpty()) {
            // Its lock and its socket stay behind; the next start must see through both.
            Probe &killed = start(m_identity, killedAfter == "first" ? QStringList{QStringLiteral("--wait")} : QStringList());
            QVERIFY(killed.says(killedAfter));
            killed.process.kill();
            QVERIFY(killed.process.waitForFinished(waitMs));
        }
        Probe &first = start(m_identity);
        QVERIFY(first.says("listening"));
        // Inside the user's own runtime directory, where no other user can take the name first.
        const QString serverName = SingleInstance(m_identity).serverName();
        QCOMPARE(QFileInfo(serverName).absolutePath(), m_dir->path());
        QLocalSocket client;
        if (!stray.isEmpty()) {
            client.connectToServer(serverName);
            QVERIFY(client.waitForConnected(waitMs));
            client.write(stray);
            client.flush();
        }
        // A real start is still answered while the stray client hangs on, which is then sent away.
        expectRefused(second, first, 1);
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, waitMs);
        // A copy left running for a day must not look like a leftover.
        const QStringList locks = QDir(m_dir->path()).entryList({QStringLiteral("*.lock")}, QDir::Files);
        QCOMPARE(locks.size(), 1);
        QFile lock(m_dir->filePath(locks.first()));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
        expectRefused(m_identity, first, 2);
    }

    void otherExecutableIsAnotherProgram_data()
    {
        QTest::addColumn<QString>("otherPath");
        QTest::newRow("copy in another directory") << "other/quillscheduler";
        QTest::newRow("other file in the same directory") << "bin/quillscheduler2";
    }

    // Each copy answers starts of its own executable only.
    void otherExecutableIsAnotherProgram()
    {
        QFETCH(QString, otherPath);
        const QString path = makeIdentity(otherPath);
        Probe &first = start(m_identity);
        QVERIFY(first.says("listening"));
        Probe &other = start(path);
        QVERIFY(other.says("listening"));
        expectRefused(path, other, 1);
        QCOMPARE(first.count("raised"), 0);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
