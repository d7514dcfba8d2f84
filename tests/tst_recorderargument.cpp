#include "NewOutputFile.h"
#include "OutputFile.h"
#include "RecorderArgument.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The recorder's one argument, read before any sound server is asked.
class RecorderArgumentTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void readsTheOneArgument_data()
    {
        // A folder whose name holds the very text that marks the output path.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("news&/o&more")));
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<qint64>("seconds"); // 0 for a refused argument
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("kind");

        const auto row = [this](const char *name, const char *seconds, const char *path, qint64 length = 0,
                                AudioFileKind kind = AudioFileKind::Wav) {
            const QString file = QString::fromUtf8(path).replace(QStringLiteral("DIR"), m_dir.path());
            QTest::newRow(name) << QStringList{QStringLiteral("/t&%1&/o&%2").arg(QString::fromUtf8(seconds), file)}
                                << length << file << int(kind);
        };
        row("wav", "3", "DIR/a.wav", 3, AudioFileKind::Wav);
        row("MP3 upper case, spaces", "0090", "DIR/My News.MP3", 90, AudioFileKind::Mp3);
        row("marks in the path", "1", "DIR/news&/o&more/x &y.wma", 1, AudioFileKind::Wma);
        row("zero seconds", "0", "DIR/a.mp3");
        row("negative", "-5", "DIR/a.mp3");
        row("fraction", "1.5", "DIR/a.mp3");
        row("plus sign", "+5", "DIR/a.mp3");
        row("space", " 5", "DIR/a.mp3");
        row("no seconds", "", "DIR/a.mp3");
        row("other digits", "٣", "DIR/a.mp3");
        row("too many seconds", "99999999999999999999", "DIR/a.mp3");
        row("relative path", "3", "a.mp3");
        row("empty path", "3", "");
        row("other extension", "3", "DIR/a.ogg");
        row("no extension", "3", "DIR/a");
        row("a folder", "3", "DIR/");
        row("missing folder", "3", "DIR/none/a.mp3");
        const QString file = m_dir.filePath(QStringLiteral("a.mp3"));
        for (const auto &[name, arguments] : {std::pair("none", QStringList()),
                                              std::pair("two", QStringList{QStringLiteral("/t&3&/o&") + file, "x"}),
                                              std::pair("no length mark", QStringList{QStringLiteral("t&3&/o&") + file}),
                                              std::pair("no output mark", QStringList{QStringLiteral("/t&3/o&") + file})})
            QTest::newRow(name) << arguments << qint64(0) << QString() << 0;
    }
    void readsTheOneArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(qint64, seconds);
        QFETCH(QString, path);
        QFETCH(int, kind);

        const RecorderArgument argument(arguments);
        QCOMPARE(argument.isValid(), seconds > 0);
        QCOMPARE(argument.errorString().isEmpty(), seconds > 0);
        if (seconds == 0)
            return;
        QCOMPARE(argument.seconds(), seconds);
        QCOMPARE(argument.outputPath(), path);
        QCOMPARE(int(argument.kind()), kind);
    }

    void noFileWhereNoneCanBeMade()
    {
        NewOutputFile output(m_dir.filePath(QStringLiteral("none/take.mp3")));
        QVERIFY(!output.take());
        QVERIFY(!output.errorString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(RecorderArgumentTest)
#include "tst_recorderargument.moc"
