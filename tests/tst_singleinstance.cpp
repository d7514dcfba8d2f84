#include "SingleInstance.h"

#include <QDateTime>
#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Long enough for a loaded machine; a copy that gets no answer waits a few seconds before going ahead.
constexpr int waitMs = 15000;

// One started probe and what it has printed so far.
class Probe
{
public:
    Probe(const QString &identity, const QStringList &options)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(SINGLEINSTANCE_PROBE_PATH), QStringList{identity} + options);
    }
    ~Probe()
    {
        m_process.kill();
        m_process.waitForFinished(waitMs);
    }
    int count(const QString &word)
    {
        m_output += m_process.readAllStandardOutput();
        return int(QString::fromUtf8(m_output).split(u'\n', Qt::SkipEmptyParts).count(word));
    }
    bool said(const QString &word) { return count(word) > 0; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_output;
};

} // namespace

// Copies of a stand-in program around SingleInstance, each in a process of its own.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_runtimeDir;
    std::unique_ptr<QTemporaryDir> m_installDir;
    std::vector<std::unique_ptr<Probe>> m_probes;
    QString m_identity;

    Probe &start(const QString &identity, const QStringList &options = {})
    {
        return *m_probes.emplace_back(std::make_unique<Probe>(identity, options));
    }

    // A copy of identity must be refused, having raised running's window for the times-th time.
    void expectRefused(const QString &identity, Probe &running, int times)
    {
        Probe &probe = start(identity);
        QVERIFY(probe.process().waitForFinished(waitMs));
        QCOMPARE(probe.process().exitCode(), 0);
        QVERIFY(probe.said(QStringLiteral("refused")));
        QTRY_COMPARE_WITH_TIMEOUT(running.count(QStringLiteral("raised")), times, waitMs);
    }

    QString makeIdentity(const QString &relativePath)
    {
        const QString path = m_installDir->filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("stands in for the program\n") > 0 ? path : QString();
    }

private slots:
    void init()
    {
        // Each test gets its own runtime directory and executable path, so nothing carries over.
        m_runtimeDir = std::make_unique<QTemporaryDir>();
        m_installDir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir->path()));
        m_identity = makeIdentity(QStringLiteral("bin/quillscheduler"));
    }

    void cleanup() { m_probes.clear(); }

    void secondStartIsRefusedAndRaisesFirst()
    {
        Probe &first = start(m_identity);
        QTRY_VERIFY_WITH_TIMEOUT(first.said(QStringLiteral("listening")), waitMs);
        // Inside the user's own runtime directory, where no other user can take the name first.
        QCOMPARE(QFileInfo(SingleInstance(m_identity).serverName()).absolutePath(), m_runtimeDir->path());
        expectRefused(m_identity, first, 1);
        // A copy left running for a day must not look like a leftover.
        const QStringList locks = QDir(m_runtimeDir->path()).entryList({QStringLiteral("*.lock")}, QDir::Files);
        QCOMPARE(locks.size(), 1);
        QFile lock(m_runtimeDir->filePath(locks.first()));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
        expectRefused(m_identity, first, 2);
    }

    void killedCopyNeverBlocks_data()
    {
        QTest::addColumn<bool>("wasListening");
        QTest::newRow("killed with its window open") << true;
        QTest::newRow("killed while starting") << false;
    }

    void killedCopyNeverBlocks()
    {
        QFETCH(bool, wasListening);
        Probe &killed = start(m_identity, wasListening ? QStringList() : QStringList{QStringLiteral("--wait")});
        QTRY_VERIFY_WITH_TIMEOUT(killed.said(wasListening ? QStringLiteral("listening") : QStringLiteral("first")),
                                 waitMs);
        killed.process().kill();
        QVERIFY(killed.process().waitForFinished(waitMs));
        // Its lock and its socket stay behind; the next start must see through both.
        Probe &next = start(m_identity);
        QTRY_VERIFY_WITH_TIMEOUT(next.said(QStringLiteral("listening")), waitMs);
        expectRefused(m_identity, next, 1);
    }

    void identityFollowsRealExecutablePath_data()
    {
        QTest::addColumn<QString>("secondPath");
        QTest::addColumn<QString>("kind");
        QTest::newRow("symlink to it") << "links/quillscheduler" << "link";
        QTest::newRow("copy in another directory") << "other/quillscheduler" << "other";
        QTest::newRow("other file in the same directory") << "bin/quillscheduler2" << "other";
    }

    void identityFollowsRealExecutablePath()
    {
        QFETCH(QString, secondPath);
        QFETCH(QString, kind);
        QString second = m_installDir->filePath(secondPath);
        if (kind == QLatin1String("link"))
            QVERIFY(QDir().mkpath(QFileInfo(second).absolutePath()) && QFile::link(m_identity, second));
        else
            second = makeIdentity(secondPath);
        Probe &first = start(m_identity);
        QTRY_VERIFY_WITH_TIMEOUT(first.said(QStringLiteral("listening")), waitMs);
        if (kind != QLatin1String("other")) {
            expectRefused(second, first, 1);
            return;
        }
        // Each copy answers starts of its own executable only.
        Probe &other = start(second);
        QTRY_VERIFY_WITH_TIMEOUT(other.said(QStringLiteral("listening")), waitMs);
        expectRefused(second, other, 1);
        QVERIFY(!first.said(QStringLiteral("raised")));
    }

    void strayClientDoesNotDisturbFirstCopy_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("a flood") << QByteArray(200000, 'x');
        QTest::newRow("request in other case") << QByteArrayLiteral("QUILLSCHEDULER RAISE 1\n");
    }

    void strayClientDoesNotDisturbFirstCopy()
    {
        QFETCH(QByteArray, payload);
        Probe &first = start(m_identity);
        QTRY_VERIFY_WITH_TIMEOUT(first.said(QStringLiteral("listening")), waitMs);
        QLocalSocket client;
        client.connectToServer(SingleInstance(m_identity).serverName());
        QVERIFY(client.waitForConnected(waitMs));
        client.write(payload);
        client.flush();
        // A real start is still answered while the stray client hangs on, which is then sent away.
        expectRefused(m_identity, first, 1);
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, waitMs);
        QCOMPARE(first.count(QStringLiteral("raised")), 1);
    }

};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
