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

    int count(const QByteArray &word) { return int((output += process.readAllStandardOutput()).split('\n').count(word)); }
    bool says(const QByteArray &word) { return QTest::qWaitFor([&] { return count(word) > 0; }, waitMs); }
};

} // namespace

// Copies of a stand-in program around SingleInstance, each in a process of its own.
class TestSingleInstance : public QObject
{
    Q_OBJECT

    // The runtime directory, with the executables in folders below it.
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<Probe>> m_probes;
    QString m_identity;

    Probe &start(const QString &identity, const QStringList &options = {})
    {
        Probe &probe = *m_probes.emplace_back(std::make_unique<Probe>());
        probe.process.start(QStringLiteral(SINGLEINSTANCE_PROBE_PATH), QStringList{identity} + options);
        return probe;
    }

    // A copy of identity must be refused, having raised running's window for the times-th time.
    void expectRefused(const QString &identity, Probe &running, int times)
    {
        Probe &probe = start(identity);
        QVERIFY(probe.process.waitForFinished(waitMs) && probe.process.exitCode() == 0 && probe.says("refused"));
        QTRY_COMPARE_WITH_TIMEOUT(running.count("raised"), times, waitMs);
    }

    // A file of its own at relativePath that stands in for the program's executable.
    QString makeIdentity(const QString &relativePath)
    {
        const QString path = m_dir->filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        return QFile::copy(QStringLiteral(SINGLEINSTANCE_PROBE_PATH), path) ? path : QString();
    }

private slots:
    void init()
    {
        m_probes.clear();
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir->path()));
        m_identity = makeIdentity(QStringLiteral("bin/quillscheduler"));
    }

    // Before the second start: a copy killed once it printed a line, a stray client's text, a symlink or another file.
    void secondStartIsRefusedAndRaisesFirst_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("value");
        QTest::newRow("alone") << QString() << QString();
        QTest::newRow("after a copy killed with its window open") << "killed" << "listening";
        QTest::newRow("after a copy killed while starting") << "killed" << "first";
        QTest::newRow("a stray client's flood") << "stray" << QString(200000, u'x');
        QTest::newRow("a stray request in other case") << "stray" << "QUILLSCHEDULER RAISE 1\n";
        QTest::newRow("second start through a symlink") << "link" << "bin/link-to-quillscheduler";
        QTest::newRow("copy in another directory") << "other" << "other/quillscheduler";
        QTest::newRow("other file in the same directory") << "other" << "bin/quillscheduler2";
    }

    void secondStartIsRefusedAndRaisesFirst()
    {
        QFETCH(QString, before);
        QFETCH(QString, value);
        if (before == u"killed") {
            // Its lock and its socket stay behind; the next start must see through both.
            Probe &killed = start(m_identity, value == u"first" ? QStringList{QStringLiteral("--wait")} : QStringList());
            QVERIFY(killed.says(value.toUtf8()));
            killed.process.kill();
            QVERIFY(killed.process.waitForFinished(waitMs));
        }
        Probe &first = start(m_identity);
        QVERIFY(first.says("listening"));
        // Inside the user's own runtime directory, where no other user can take the name first.
        const QString serverName = SingleInstance(m_identity).serverName();
        QCOMPARE(QFileInfo(serverName).absolutePath(), m_dir->path());
        QLocalSocket client;
        if (before == u"stray") {
            client.connectToServer(serverName);
            QVERIFY(client.waitForConnected(waitMs));
            client.write(value.toUtf8());
            client.flush();
        }
        QString second = m_identity;
        if (before == u"link")
            QVERIFY(QFile::link(m_identity, second = m_dir->filePath(value)));
        if (before == u"other") {
            // Each copy answers starts of its own executable only.
            Probe &other = start(second = makeIdentity(value));
            QVERIFY(other.says("listening"));
            expectRefused(second, other, 1);
            QCOMPARE(first.count("raised"), 0);
            return;
        }
        // A real start is still answered while the stray client hangs on, which is then sent away.
        expectRefused(second, first, 1);
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QLocalSocket::UnconnectedState, waitMs);
        // A copy left running for a day must not look like a leftover.
        QFile lock(QDir(m_dir->path()).entryInfoList({QStringLiteral("*.lock")}, QDir::Files).value(0).filePath());
        QVERIFY(lock.open(QIODevice::ReadOnly) && lock.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
        expectRefused(m_identity, first, 2);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
