#include "LinkedLocalTimeZone.h"

#include <QtTest>

#include <filesystem>

// The zone named by a link, replaced as the time settings do: a new link renamed over the old one.
class LocalTimeZoneTest : public QObject
{
    Q_OBJECT

private slots:
    void followsTheLinkWhenItIsReplaced_data()
    {
        QTest::addColumn<QString>("newTarget");
        QTest::addColumn<QByteArray>("newZone");
        QTest::newRow("another zone") << "/usr/share/zoneinfo/America/Havana" << QByteArray("America/Havana");
        QTest::newRow("no zone named: the system's") << "/nowhere" << QTimeZone::systemTimeZoneId();
    }

    void followsTheLinkWhenItIsReplaced()
    {
        QFETCH(QString, newTarget);
        QFETCH(QByteArray, newZone);
        qunsetenv("TZ"); // while set, it rules over the link
        QTemporaryDir dir;
        const QString link = dir.filePath("localtime"), newLink = dir.filePath("localtime.new");
        QVERIFY(QFile::link("/usr/share/zoneinfo/Australia/Lord_Howe", link) && QFile::link(newTarget, newLink));
        LinkedLocalTimeZone zone(link);
        QCOMPARE(zone.current().id(), QByteArray("Australia/Lord_Howe"));
        QSignalSpy changed(&zone, &LocalTimeZone::changed);
        std::filesystem::rename(newLink.toStdString(), link.toStdString());
        QVERIFY(changed.wait());
        QCOMPARE(zone.current().id(), newZone);
    }
};

QTEST_GUILESS_MAIN(LocalTimeZoneTest)
#include "tst_localtimezone.moc"
