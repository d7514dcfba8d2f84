#include "EarlyCapture.h"
#include "RecorderArgument.h"
#include "SourceMemory.h"

#include <QtTest>

// The arguments, and what they are read as: the seconds (0 for a refused argument), the output path and the file kind.
using Reading = std::tuple<QStringList, qint64, QString, AudioFileKind>;

// The recorder's one argument as the scheduler writes it: its length, output path and file kind.
class RecorderArgumentTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        // The settings and the sound server's client files go here; no server is asked.
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toLocal8Bit());
        qputenv("HOME", m_dir.path().toLocal8Bit());
        qputenv("PULSE_SERVER", "unix:" + m_dir.filePath("no-server").toLocal8Bit());
    }

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

    // The source that the recorder's stream, opened before Qt is loaded, asks for: the task's own device,
    // else the pick that Qt's settings remembered; nothing where only Qt could read it, or for a stream.
    void earlyCaptureAsksForTheRightSource_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("sourceArgument");
        QTest::addColumn<std::optional<QString>>("requested");
        const QString device = QStringLiteral("alsa_input.pci-0000_00_1b.0.analog-stereo");
        QTest::newRow("nothing picked") << QString() << QString() << std::optional(QString());
        QTest::newRow("picked") << device << QString() << std::optional(device);
        QTest::newRow("picked, with a space") << "my mic" << QString() << std::optional<QString>();
        QTest::newRow("picked, not ASCII") << "麦克风" << QString() << std::optional<QString>();
        QTest::newRow("the task's own device") << device << "/s&testsink.monitor" << std::optional(QStringLiteral("testsink.monitor"));
        QTest::newRow("a stream") << device << "/s&http://127.0.0.1:1/live.mp3" << std::optional<QString>();
    }
    void earlyCaptureAsksForTheRightSource()
    {
        QFETCH(QString, remembered);
        QFETCH(QString, sourceArgument);
        QFETCH(std::optional<QString>, requested);
        SourceMemory().remember(remembered);
        QByteArrayList arguments{"quillsnd.exe", "/t&3&/o&" + m_dir.filePath("a.wav").toLocal8Bit()};
        if (!sourceArgument.isEmpty())
            arguments << sourceArgument.toLocal8Bit();
        std::vector<char *> argv;
        for (QByteArray &argument : arguments)
            argv.push_back(argument.data());
        const EarlyCapture early = EarlyCapture::open(int(argv.size()), argv.data());
        QCOMPARE(early.attempted, requested.has_value());
        if (requested)
            QCOMPARE(QString::fromStdString(early.requested), *requested);
        QVERIFY(!early.stream);
    }
};

QTEST_GUILESS_MAIN(RecorderArgumentTest)
#include "tst_recorderargument.moc"
