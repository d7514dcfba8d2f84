#include "RecorderArgument.h"

#include <QtTest>

// The arguments, and what they are read as: the seconds (0 for a refused argument), the output path and the file kind.
using Reading = std::tuple<QStringList, qint64, QString, AudioFileKind>;

// The recorder's one argument as the scheduler writes it: its length, output path and file kind.
class RecorderArgumentTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void readsTheOneArgument_data()
    {
        // A folder whose name holds the very text that marks the output path.
        QVERIFY(QDir(m_dir.path()).mkpath("news&/o&more"));
        QTest::addColumn<Reading>("reading");
        const auto row = [this](const QByteArray &name, const char *seconds, const char *path, qint64 length = 0,
                                AudioFileKind kind = AudioFileKind::Wav) {
            const QString file = QString::fromUtf8(path).replace("DIR", m_dir.path());
            QTest::newRow(name.constData()) << Reading{{QStringLiteral("/t&%1&/o&%2").arg(QString::fromUtf8(seconds), file)}, length, file, kind};
        };
        row("wav", "3", "DIR/a.wav", 3, AudioFileKind::Wav);
        row("MP3 upper case, spaces", "0090", "DIR/My News.MP3", 90, AudioFileKind::Mp3);
        row("marks in the path", "1", "DIR/news&/o&more/x &y.wma", 1, AudioFileKind::Wma);
        for (const char *seconds : {"0", "-5", "1.5", "+5", " 5", "", "٣", "99999999999999999999"})
            row("seconds " + QByteArray(seconds), seconds, "DIR/a.mp3");
        for (const char *path : {"a.mp3", "", "DIR/a.ogg", "DIR/a", "DIR/", "DIR/none/a.mp3"})
            row("path " + QByteArray(path), "3", path);
        const QString file = m_dir.filePath("a.mp3");
        for (const auto &[name, arguments] : {std::pair("none", QStringList()), std::pair("two", QStringList{"/t&3&/o&" + file, "x"}),
                                              std::pair("no length mark", QStringList{"t&3&/o&" + file}),
                                              std::pair("no output mark", QStringList{"/t&3/o&" + file})})
            QTest::newRow(name) << Reading{arguments, 0, {}, {}};
    }
    void readsTheOneArgument()
    {
        QFETCH(Reading, reading);
        const auto &[arguments, seconds, path, kind] = reading;
        const RecorderArgument argument(arguments);
        QCOMPARE(argument.isValid(), seconds > 0);
        QCOMPARE(argument.errorString().isEmpty(), seconds > 0);
        if (seconds > 0)
            QCOMPARE(QStringList({QString::number(argument.seconds()), argument.outputPath(), QString::number(int(argument.kind()))}),
                     QStringList({QString::number(seconds), path, QString::number(int(kind))}));
    }
};

QTEST_GUILESS_MAIN(RecorderArgumentTest)
#include "tst_recorderargument.moc"
