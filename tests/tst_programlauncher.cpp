#include "DetachedProgramLauncher.h"

#include <memory>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The stand-ins are shell scripts that write their argument count and each argument, one a line,
// to a record beside them; they use only shell builtins, so they run whatever PATH holds.
class TestProgramLauncher : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_previousPath;

    QString write(const QString &name, const QByteArray &content, bool executable) const
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return {};
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | (executable ? QFile::ExeOwner : QFile::Permissions()));
        return path;
    }

    static QByteArray recordingScript(const char *record)
    {
        return QByteArray("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"${0%/*}/") + record + "\"\n";
    }

    QString read(const QString &name) const
    {
        QFile file(m_dir->filePath(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void init()
    {
        // The launcher reports nothing, not even a warning.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        m_dir = std::make_unique<QTemporaryDir>();
        // Anything a shell might make of an argument would land here, where the test looks.
        QDir::setCurrent(m_dir->path());
        m_previousPath = qgetenv("PATH");
    }

    void cleanup() { qputenv("PATH", m_previousPath); }

    void startsWhatCanRunWithTheArgumentUnchanged_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("withWine");
        QTest::addColumn<QString>("record");
        const QByteArray windowsProgram("MZ\x90\x00\x03\x00\x00\x00", 8);
        QTest::newRow("script") << recordingScript("received") << true << false << "received";
        QTest::newRow("script, with wine there") << recordingScript("received") << true << true << "received";
        QTest::newRow("Windows program, not marked executable") << windowsProgram << false << true << "wine-received";
        QTest::newRow("Windows program marked executable") << windowsProgram << true << true << "wine-received";
        QTest::newRow("missing file") << QByteArray() << false << false << QString();
        QTest::newRow("not executable") << recordingScript("received") << false << false << QString();
        // Without wine it is tried as it is; it must not end up read by a shell either.
        QTest::newRow("Windows program without wine")
            << QByteArray("MZ\nprintf 'ran\\n' > received\n") << true << false << QString();
    }

    void startsWhatCanRunWithTheArgumentUnchanged()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, executable);
        QFETCH(bool, withWine);
        QFETCH(QString, record);
        const QString program = content.isEmpty() ? m_dir->filePath(QStringLiteral("quillsnd.exe"))
                                                  : write(QStringLiteral("quillsnd.exe"), content, executable);
        // A wine of our own, alone on PATH, that records how it was called.
        write(QStringLiteral("bin/wine"), recordingScript("../wine-received"), true);
        qputenv("PATH", QFile::encodeName(m_dir->filePath(withWine ? QStringLiteral("bin") : QStringLiteral("none"))));
        const QString argument = QStringLiteral("rec 1 & $(touch pwned); `touch pwned` 'x' \"$HOME\" | > < -c 録音 é\nline");

        DetachedProgramLauncher launcher;
        QCOMPARE(launcher.canLaunch(program), !record.isEmpty() || (executable && !content.isEmpty()));
        QCOMPARE(launcher.launch(program, argument), !record.isEmpty());
        // A program started afterwards that has run shows that the first, had it started, has run too.
        const QString follower = write(QStringLiteral("follower"), recordingScript("follower-received"), true);
        QVERIFY(launcher.launch(follower, QString()));
        QTRY_COMPARE_WITH_TIMEOUT(read(QStringLiteral("follower-received")), QStringLiteral("1\n\n"), 10000);

        const QString expected = record == QLatin1String("wine-received") ? QStringLiteral("2\n%1\n%2\n").arg(program, argument)
                                                                          : QStringLiteral("1\n%1\n").arg(argument);
        QCOMPARE(read(QStringLiteral("received")), record == QLatin1String("received") ? expected : QString());
        QCOMPARE(read(QStringLiteral("wine-received")), record == QLatin1String("wine-received") ? expected : QString());
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("pwned"))));
    }

    // A recorder holding this program's output open would keep a reader of it (a terminal's pipe,
    // CTest) waiting for as long as the recording runs.
    void leavesNoStreamTiedToTheCaller()
    {
        const QString program = write(QStringLiteral("quillsnd.exe"),
                                      "#!/bin/sh\nfor fd in 0 1 2; do\n"
                                      "  if [ /proc/$$/fd/$fd -ef /dev/null ]; then r=\"$r$fd:null \"; else r=\"$r$fd:tied \"; fi\n"
                                      "done\nprintf '%s\\n' \"$r\" > \"${0%/*}/received\"\n",
                                      true);
        QVERIFY(DetachedProgramLauncher().launch(program, QStringLiteral("a.wav")));
        QTRY_COMPARE_WITH_TIMEOUT(read(QStringLiteral("received")), QStringLiteral("0:null 1:null 2:null \n"), 10000);
    }
};

QTEST_GUILESS_MAIN(TestProgramLauncher)
#include "tst_programlauncher.moc"
