#include "EditorTestKit.h"
#include "PrivateIcecast.h"
#include "PulseSoundSourceList.h"
#include "StoreConnection.h"
#include "StreamProbe.h"
#include "ToneSoundServer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

// What the editor offers to record: the sound server's sources, and stream addresses tried against a private Icecast
// server, a closed port and a server that never answers.
class SourcesTest : public QObject
{
    Q_OBJECT

    PrivateIcecast m_icecast;
    QTcpServer m_silent;
    QTemporaryDir m_home; // of the sound server, which is ended first
    ToneSoundServer m_sound;

private slots:
    void initTestCase()
    {
        QVERIFY(m_icecast.start() && m_silent.listen(QHostAddress::LocalHost));
        QVERIFY(m_icecast.play("tone.mp3", {"-c:a", "libmp3lame", "-b:a", "128k", "-content_type", "audio/mpeg", "-f", "mp3"}));
    }

    // The station, codec and bit rate, or why not; a server that takes the connection and says nothing meets the limit.
    void answersWithTheStationOrWhyNot_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("answer"); // name, codec, bit rate, error
        const QString port = QString::number(PrivateIcecast::closedPort());
        QTest::newRow("station") << m_icecast.address("tone.mp3") << QStringList{"Quill Test Radio", "mp3", "128000", ""};
        QTest::newRow("closed port") << "http://127.0.0.1:" + port + "/a.mp3" << QStringList{"", "", "0", "无法打开: Connection refused"};
        QTest::newRow("silent server") << "http://127.0.0.1:" + QString::number(m_silent.serverPort()) + "/a.mp3" << QStringList{"", "", "0", "电台没有回应"};
        QTest::newRow("file") << "file:///etc/passwd" << QStringList{"", "", "0", "无法打开: Invalid argument"};
    }
    void answersWithTheStationOrWhyNot()
    {
        QFETCH(QString, address);
        QFETCH(QStringList, answer);
        StreamProbe probe(2s);
        QSignalSpy answered(&probe, &StreamProbe::answered);
        // A trial overtaken by another never answers.
        probe.probe(m_icecast.address("none.mp3"));
        probe.probe(address);
        QVERIFY(answered.wait(5000));
        const auto station = answered.first().at(1).value<StreamStation>();
        QCOMPARE(QStringList({answered.first().at(0).toString(), station.name, station.codec, QString::number(station.bitRate), answered.first().at(2).toString()}),
                 QStringList{address} + answer);
    }

    // The monitor of the server's one output, told as such, and the default; nothing without a server.
    void soundSourcesAreListed()
    {
        PulseSoundSourceList list;
        QStringList listed;
        const auto fetch = [&] {
            listed.clear();
            list.fetch(this, [&](const QList<SoundSource> &sources, const QString &defaultSource) {
                listed = QStringList{"default " + defaultSource};
                for (const SoundSource &source : sources)
                    listed << source.name + (source.isMonitor ? " monitor" : " input");
            });
            return QTest::qWaitFor([&] { return !listed.isEmpty(); }, 5000) ? listed : QStringList{"not answered"};
        };
        qputenv("PULSE_SERVER", QFile::encodeName("unix:" + m_home.filePath("none")));
        QCOMPARE(fetch(), QStringList{"default "});
        QVERIFY(m_sound.start(m_home.path()));
        QCOMPARE(fetch(), (QStringList{"default testsink.monitor", "testsink.monitor monitor"}));
    }

    // The editor asks the sound server as a task is added or edited, not as it loads; the task's own source shows before.
    // A plan belongs to the row whose values it holds as stored, as a claim finds it: empty text is not NULL.
    void editorAsksOnEntry_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("linked");
        QTest::newRow("stored alike") << "SELECT 1" << true;
        QTest::newRow("plan without time") << "UPDATE AddSchPlan SET StartTime = NULL" << false;
        QTest::newRow("row without time") << "UPDATE AddSchTab SET StartTime = NULL" << false;
    }
    void editorAsksOnEntry()
    {
        QFETCH(QString, sql);
        QFETCH(bool, linked);
        EditorTestKit kit;
        kit.dir.insertSeries(TestAppDir::taskFields("2026-12-24 06:00:00 news").replaceInStrings("06:00:00", ""), "FREQ=DAILY", "testsink.monitor");
        kit.dir.exec(sql);
        StoreError error;
        std::optional<SeriesPlan> claimed;
        QVERIFY(kit.load() && !SeriesPlans(StoreConnection::open(kit.dir.storePath(), &error)).planOf(*kit.rows()->currentTask(), &claimed));
        const QString before = kit.source() + ' ' + QString::number(kit.services.soundSources.fetches);
        QVERIFY(kit.click("CmdEdit"));
        QCOMPARE(kit.grid() << before << kit.source() << QString::number(claimed.has_value()),
                 QStringList({linked ? "↻ news" : "news", (linked ? "testsink.monitor" : "录音程序的选择") + QString(" |  | shown 0"),
                              linked ? "所听到的声音: Test sink | testsink.monitor | open" : "录音程序的选择 |  | open", QString::number(linked)}));
        QVERIFY(kit.click("CmdCancel") && kit.click("CmdAdd"));
        QCOMPARE(kit.services.soundSources.fetches, 2);
    }
};

QTEST_MAIN(SourcesTest)
#include "tst_sources.moc"
