#include <memory>
#include <vector>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "SingleInstance.h"

namespace {

// Long enough for a loaded machine; a copy that gets no answer waits a few seconds before going ahead.
constexpr int waitMs = 15000;

// One started probe and what it has printed so far.
class Probe
{
public:
    Probe(const QString &identity, const QStringList &options, const QString &runtimeDir)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(SINGLEINSTANCE_PROBE_PATH), QStringList { identity } + options);
    }

    ~Probe()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(waitMs);
        }
    }

    QStringList lines()
    {
        m_output += m_process.readAllStandardOutput();
        return QString::fromUtf8(m_output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    int count(const QString &word) { return int(lines().count(word)); }
    bool said(const QString &word) { return count(word) > 0; }
    void tell(const QByteArray &command) { m_process.write(command + '\n'); }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_output;
};

enum class IdentityKind { SameFile, SymlinkToFirst, OtherFile };

} // namespace

Q_DECLARE_METATYPE(IdentityKind)

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void secondStartIsRefusedAndRaisesFirst();
    void killedCopyNeverBlocks_data();
    void killedCopyNeverBlocks();
    void copyAheadOfStartingHolderServesLaterStarts();
    void identityFollowsRealExecutablePath_data();
    void identityFollowsRealExecutablePath();
    void garbageClientDoesNotDisturbFirstCopy_data();
    void garbageClientDoesNotDisturbFirstCopy();
    void unansweredRequestLetsCopyGoAhead_data();
    void unansweredRequestLetsCopyGoAhead();

private:
    Probe &start(const QString &identity, const QStringList &options = {});
    // Starts a copy of identity that must be refused after raising the window of running for the times-th time.
    void expectRefused(const QString &identity, Probe &running, int times);
    QString makeIdentity(const QString &relativePath);
    QStringList lockFiles() const;

    std::unique_ptr<QTemporaryDir> m_runtimeDir;
    std::unique_ptr<QTemporaryDir> m_installDir;
    std::vector<std::unique_ptr<Probe>> m_probes;
    QString m_identity;
};

void TestSingleInstance::init()
{
    // Each test gets its own runtime directory and executable path, so nothing carries over.
    m_runtimeDir = std::make_unique<QTemporaryDir>();
    m_installDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtimeDir->isValid());
    QVERIFY(m_installDir->isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir->path()));
    m_identity = makeIdentity(QStringLiteral("bin/quillscheduler"));
}

void TestSingleInstance::cleanup()
{
    m_probes.clear();
    m_installDir.reset();
    m_runtimeDir.reset();
}

Probe &TestSingleInstance::start(const QString &identity, const QStringList &options)
{
    m_probes.push_back(std::make_unique<Probe>(identity, options, m_runtimeDir->path()));
    return *m_probes.back();
}

void TestSingleInstance::expectRefused(const QString &identity, Probe &running, int times)
{
    Probe &probe = start(identity);
    QVERIFY(probe.process().waitForFinished(waitMs));
    QCOMPARE(probe.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.process().exitCode(), 0);
    QCOMPARE(probe.lines(), QStringList { QStringLiteral("refused") });
    QTRY_COMPARE_WITH_TIMEOUT(running.count(QStringLiteral("raised")), times, waitMs);
}

QString TestSingleInstance::makeIdentity(const QString &relativePath)
{
    const QString path = m_installDir->filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("stands in for the program\n");
    return path;
}

QStringList TestSingleInstance::lockFiles() const
{
    return QDir(m_runtimeDir->path()).entryList({ QStringLiteral("*.lock") }, QDir::Files);
}

void TestSingleInstance::secondStartIsRefusedAndRaisesFirst()
{
    Probe &first = start(m_identity);
    QTRY_VERIFY_WITH_TIMEOUT(first.said(QStringLiteral("listening")), waitMs);
    QCOMPARE(lockFiles().size(), 1);
    // Inside the user's own runtime directory, where no other user can take the name first.
    QCOMPARE(QFileInfo(SingleInstance(m_identity).serverName()).absolutePath(), m_runtimeDir->path());

    expectRefused(m_identity, first, 1);

    // A copy left running for a day must not look like a leftover.
    QFile lock(QDir(m_runtimeDir->path()).filePath(lockFiles().first()));
    QVERIFY(lock.open(QIODevice::ReadOnly));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    lock.close();

    expectRefused(m_identity, first, 2);
    QCOMPARE(first.process().state(), QProcess::Running);
}

void TestSingleInstance::killedCopyNeverBlocks_data()
{
    QTest::addColumn<bool>("wasListening");
    QTest::newRow("killed with its window open") << true;
    QTest::newRow("killed while starting") << false;
}

void TestSingleInstance::killedCopyNeverBlocks()
{
    QFETCH(bool, wasListening);

    Probe &killed = start(m_identity, wasListening ? QStringList() : QStringList { QStringLiteral("--wait") });
    QTRY_VERIFY_WITH_TIMEOUT(killed.said(wasListening ? QStringLiteral("listening") : QStringLiteral("first")), waitMs);
    killed.process().kill();
    QVERIFY(killed.process().waitForFinished(waitMs));
    QCOMPARE(killed.process().exitStatus(), QProcess::CrashExit);
    // The dead copy's lock stays behind; the next start must see through it.
    QCOMPARE(lockFiles().size(), 1);

    Probe &next = start(m_identity);
    QTRY_VERIFY_WITH_TIMEOUT(next.said(QStringLiteral("listening")), waitMs);

    expectRefused(m_identity, next, 1);
}

void TestSingleInstance::copyAheadOfStartingHolderServesLaterStarts()
{
    Probe &holder = start(m_identity, { QStringLiteral("--wait") });
    QTRY_VERIFY_WITH_TIMEOUT(holder.said(QStringLiteral("first")), waitMs);
    Probe &ahead = start(m_identity);
    QTRY_VERIFY_WITH_TIMEOUT(ahead.said(QStringLiteral("listening")), waitMs);

    // The holder's window appears while the copy that went ahead already serves the name.
    holder.tell("listen");
    expectRefused(m_identity, ahead, 1);
    QVERIFY(!holder.said(QStringLiteral("raised")));

    // Once that copy ends, the holder takes the name over.
    ahead.process().kill();
    QVERIFY(ahead.process().waitForFinished(waitMs));
    QTRY_VERIFY_WITH_TIMEOUT(holder.said(QStringLiteral("listening")), waitMs);
    expectRefused(m_identity, holder, 1);
}

void TestSingleInstance::identityFollowsRealExecutablePath_data()
{
    QTest::addColumn<QString>("secondPath");
    QTest::addColumn<IdentityKind>("kind");
    QTest::addColumn<bool>("refused");

    QTest::newRow("same path") << "bin/quillscheduler" << IdentityKind::SameFile << true;
    QTest::newRow("path through ..") << "bin/../bin/quillscheduler" << IdentityKind::SameFile << true;
    QTest::newRow("symlink to it") << "links/quillscheduler" << IdentityKind::SymlinkToFirst << true;
    QTest::newRow("copy in another directory") << "other/quillscheduler" << IdentityKind::OtherFile << false;
    QTest::newRow("other file in same directory") << "bin/quillscheduler2" << IdentityKind::OtherFile << false;
}

void TestSingleInstance::identityFollowsRealExecutablePath()
{
    QFETCH(QString, secondPath);
    QFETCH(IdentityKind, kind);
    QFETCH(bool, refused);

    QString secondIdentity = m_installDir->filePath(secondPath);
    if (kind == IdentityKind::SymlinkToFirst) {
        QVERIFY(QDir().mkpath(QFileInfo(secondIdentity).absolutePath()));
        QVERIFY(QFile::link(m_identity, secondIdentity));
    } else if (kind == IdentityKind::OtherFile) {
        secondIdentity = makeIdentity(secondPath);
        QVERIFY(!secondIdentity.isEmpty());
    }

    Probe &first = start(m_identity);
    QTRY_VERIFY_WITH_TIMEOUT(first.said(QStringLiteral("listening")), waitMs);

    if (refused) {
        expectRefused(secondIdentity, first, 1);
        QCOMPARE(lockFiles().size(), 1);
    } else {
        Probe &second = start(secondIdentity);
        QTRY_VERIFY_WITH_TIMEOUT(second.said(QStringLiteral("listening")), waitMs);
        QCOMPARE(second.lines().first(), QStringLiteral("first"));
        QVERIFY(!first.said(QStringLiteral("raised")));
        QCOMPARE(lockFiles().size(), 2);

        // Each copy answers starts of its own executable only.
        expectRefused(secondIdentity, second, 1);
        QVERIFY(!first.said(QStringLiteral("raised")));
    }
}

void TestSingleInstance::garbageClientDoesNotDisturbFirstCopy_data()
{
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("silent") << QByteArray();
    QTest::newRow("noise") << QByteArrayLiteral("hello\n");
    QTest::newRow("zero bytes") << QByteArray(64, '\0');
    QTest::newRow("a flood") << QByteArray(200000, 'x');
    QTest::newRow("request cut short") << QByteArrayLiteral("quillscheduler raise");
    QTest::newRow("request in other case") << QByteArrayLiteral("QUILLSCHEDULER RAISE 1\n");
}

void TestSingleInstance::garbageClientDoesNotDisturbFirstCopy()
{
    QFETCH(QByteArray, payload);

    Probe &first = start(m_identity);
    QTRY_VERIFY_WITH_TIMEOUT(first.said(QStringLiteral("listening")), waitMs);

    QLocalSocket client;
    client.connectToServer(SingleInstance(m_identity).serverName());
    QVERIFY(client.waitForConnected(waitMs));
    client.write(payload);
    client.flush();

    // A real start is still answered while the stray client hangs on.
    expectRefused(m_identity, first, 1);

    // The stray client is sent away rather than kept forever.
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, waitMs);
    QCOMPARE(first.count(QStringLiteral("raised")), 1);
    QCOMPARE(first.process().state(), QProcess::Running);
}

void TestSingleInstance::unansweredRequestLetsCopyGoAhead_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<bool>("listening");

    QTest::newRow("holder has no window yet") << QByteArray() << false << false;
    QTest::newRow("no answer") << QByteArray() << false << true;
    QTest::newRow("wrong answer") << QByteArrayLiteral("no\n") << false << true;
    QTest::newRow("hangs up") << QByteArray() << true << true;
}

void TestSingleInstance::unansweredRequestLetsCopyGoAhead()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, hangUp);
    QFETCH(bool, listening);

    // This process holds the claim and maybe a server that never answers properly, like a copy that hangs.
    SingleInstance holder(m_identity);
    QVERIFY(holder.claim());
    QLocalServer server;
    QVERIFY(!listening || server.listen(holder.serverName()));
    std::vector<QPointer<QLocalSocket>> clients;
    connect(&server, &QLocalServer::newConnection, &server, [&] {
        while (QLocalSocket *client = server.nextPendingConnection()) {
            clients.emplace_back(client);
            connect(client, &QLocalSocket::readyRead, client, [client, answer, hangUp] {
                client->readAll();
                if (!answer.isEmpty())
                    client->write(answer);
                if (hangUp)
                    client->abort();
            });
        }
    });

    Probe &probe = start(m_identity, { QStringLiteral("--wait") });
    QTRY_VERIFY_WITH_TIMEOUT(probe.said(QStringLiteral("first")), waitMs);
    QCOMPARE(probe.process().state(), QProcess::Running);
    QCOMPARE(clients.size(), size_t(listening ? 1 : 0));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
