#include "NewOutputFile.h"
#include "OutputFile.h"
#include "RecorderArgument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The recorder's one argument, read before any sound server is asked, and the name it records to.
class RecorderArgumentTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        // A folder whose name holds the very text that marks the output path.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("news&/o&more")));
    }

    void readsTheOneArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");

        const QString dir = m_dir.path();
        const auto row = [](const char *name, const QString &text, qint64 seconds, const QString &path, int kind) {
            QTest::newRow(name) << QStringList{text} << seconds << path << kind;
        };
        row("wav", QStringLiteral("/t&3&/o&") + dir + QStringLiteral("/a.wav"), 3, dir + QStringLiteral("/a.wav"),
            int(AudioFileKind::Wav));
        row("MP3 upper case, spaces", QStringLiteral("/t&0090&/o&") + dir + QStringLiteral("/My News.MP3"), 90,
            dir + QStringLiteral("/My News.MP3"), int(AudioFileKind::Mp3));
        row("marks in the path", QStringLiteral("/t&1&/o&") + dir + QStringLiteral("/news&/o&more/x &y.wma"), 1,
            dir + QStringLiteral("/news&/o&more/x &y.wma"), int(AudioFileKind::Wma));

        const auto refused = [&dir](const char *name, const QStringList &arguments) {
            QTest::newRow(name) << arguments << qint64(0) << QString() << -1;
        };
        const QString file = dir + QStringLiteral("/a.mp3");
        refused("none", {});
        refused("two", {QStringLiteral("/t&3&/o&") + file, QStringLiteral("x")});
        refused("zero seconds", {QStringLiteral("/t&0&/o&") + file});
        refused("negative", {QStringLiteral("/t&-5&/o&") + file});
        refused("fraction", {QStringLiteral("/t&1.5&/o&") + file});
        refused("plus sign", {QStringLiteral("/t&+5&/o&") + file});
        refused("space", {QStringLiteral("/t& 5&/o&") + file});
        refused("no seconds", {QStringLiteral("/t&&/o&") + file});
        refused("other digits", {QStringLiteral("/t&٣&/o&") + file});
        refused("too many seconds", {QStringLiteral("/t&99999999999999999999&/o&") + file});
        refused("no length mark", {QStringLiteral("t&3&/o&") + file});
        refused("no output mark", {QStringLiteral("/t&3/o&") + file});
        refused("relative path", {QStringLiteral("/t&3&/o&a.mp3")});
        refused("empty path", {QStringLiteral("/t&3&/o&")});
        refused("other extension", {QStringLiteral("/t&3&/o&") + dir + QStringLiteral("/a.ogg")});
        refused("no extension", {QStringLiteral("/t&3&/o&") + dir + QStringLiteral("/a")});
        refused("a folder", {QStringLiteral("/t&3&/o&") + dir + QStringLiteral("/")});
        refused("missing folder", {QStringLiteral("/t&3&/o&") + dir + QStringLiteral("/none/a.mp3")});
    }

    void readsTheOneArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(qint64, seconds);
        QFETCH(QString, path);
        QFETCH(int, kind);

        const RecorderArgument argument(arguments);
        QCOMPARE(argument.isValid(), kind >= 0);
        QCOMPARE(argument.errorString().isEmpty(), kind >= 0);
        if (kind < 0)
            return;
        QCOMPARE(argument.seconds(), seconds);
        QCOMPARE(argument.outputPath(), path);
        QCOMPARE(int(argument.kind()), kind);
    }

    void takesTheNextFreeNameAndLeavesTakenOnesAlone()
    {
        const QString wanted = m_dir.filePath(QStringLiteral("take.Mp3"));
        for (const QString &taken : {wanted, m_dir.filePath(QStringLiteral("take (2).Mp3"))}) {
            QFile file(taken);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("mine");
        }

        NewOutputFile output(wanted);
        const std::unique_ptr<OutputFile> file = output.take();
        QVERIFY2(file, qPrintable(output.errorString()));
        QCOMPARE(output.path(), m_dir.filePath(QStringLiteral("take (3).Mp3")));
        QVERIFY(file->write("new", 3) && file->sync());
        for (const QString &taken : {wanted, m_dir.filePath(QStringLiteral("take (2).Mp3"))}) {
            QFile kept(taken);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("mine"));
        }

        NewOutputFile unwritable(m_dir.filePath(QStringLiteral("none/take.mp3")));
        QVERIFY(!unwritable.take());
        QVERIFY(!unwritable.errorString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(RecorderArgumentTest)
#include "tst_recorderargument.moc"
