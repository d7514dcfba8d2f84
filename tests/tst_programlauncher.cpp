#include "DetachedProgramLauncher.h"

#include <memory>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The stand-ins are shell scripts using only shell builtins, so they run whatever PATH holds.
class TestProgramLauncher : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void passesTheArgumentUnchanged_data();
    void passesTheArgumentUnchanged();
    void startsNothingWhatCannotRun_data();
    void startsNothingWhatCannotRun();
    void leavesNoStreamTiedToTheCaller();

    void withWineOnlyWindowsProgramsGoToWine_data();
    void withWineOnlyWindowsProgramsGoToWine();

private:
    QString writeFile(const QString &path, const QByteArray &content, bool executable) const;
    // A script that writes its argument count and each argument, one a line, to RECORD beside it.
    static QByteArray recordingScript(const QString &record);
    QString writeRecordingScript(const QString &path, const QString &record) const;
    bool putWineOnPath();
    static QString readFile(const QString &path);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    QByteArray m_previousPath;
};

void TestProgramLauncher::init()
{
    // The launcher reports nothing, not even a warning.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Anything a shell might make of an argument would land here, where the test looks.
    m_previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_previousPath = qgetenv("PATH");
}

void TestProgramLauncher::cleanup()
{
    qputenv("PATH", m_previousPath);
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void TestProgramLauncher::passesTheArgumentUnchanged_data()
{
    QTest::addColumn<QString>("argument");

    QTest::newRow("plain") << QStringLiteral("C:\\Aufnahmen\\morgen.wav");
    QTest::newRow("spaces") << QStringLiteral("  my recording  1 ");
    QTest::newRow("ampersand") << QStringLiteral("a & touch pwned &");
    QTest::newRow("semicolon") << QStringLiteral("a; touch pwned;");
    QTest::newRow("command substitution") << QStringLiteral("$(touch pwned)");
    QTest::newRow("backquotes") << QStringLiteral("`touch pwned`");
    QTest::newRow("pipe and redirection") << QStringLiteral("x | touch pwned > out < in");
    QTest::newRow("single quotes") << QStringLiteral("it's '$(touch pwned)'");
    QTest::newRow("double quotes") << QStringLiteral("say \"hi\" \"$HOME\" \"");
    QTest::newRow("leading dash") << QStringLiteral("-c touch pwned");
    QTest::newRow("non-ASCII") << QStringLiteral("Größe – 録音 ✓ é");
    QTest::newRow("line break") << QStringLiteral("first\nsecond");
    QTest::newRow("empty") << QString();
}

void TestProgramLauncher::passesTheArgumentUnchanged()
{
    QFETCH(QString, argument);
    const QString program = writeRecordingScript(m_dir->filePath(QStringLiteral("quillsnd.exe")),
                                                 QStringLiteral("received"));
    QVERIFY(!program.isEmpty());

    DetachedProgramLauncher launcher;
    launcher.launch(program, argument);

    QTRY_COMPARE_WITH_TIMEOUT(readFile(m_dir->filePath(QStringLiteral("received"))),
                              QStringLiteral("1\n%1\n").arg(argument), 10000);
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("pwned"))));
}

void TestProgramLauncher::startsNothingWhatCannotRun_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("folder");

    const QByteArray script = "#!/bin/sh\nprintf 'ran\\n' > \"${0%/*}/received\"\n";
    QTest::newRow("missing file") << QStringLiteral("quillsnd.exe") << QByteArray() << false << false;
    QTest::newRow("not executable") << QStringLiteral("quillsnd.exe") << script << false << false;
    QTest::newRow("folder") << QStringLiteral("quillsnd.exe") << QByteArray() << false << true;
    // Without wine it is tried as it is; it must not end up read by a shell either.
    QTest::newRow("Windows program without wine")
        << QStringLiteral("quillsnd.exe") << QByteArray("MZ\nprintf 'ran\\n' > received\n") << true << false;
}

void TestProgramLauncher::startsNothingWhatCannotRun()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(bool, executable);
    QFETCH(bool, folder);
    const QString path = m_dir->filePath(fileName);
    if (folder)
        QVERIFY(QDir(m_dir->path()).mkdir(fileName));
    else if (!content.isEmpty())
        QVERIFY(!writeFile(path, content, executable).isEmpty());
    const QString emptyBin = m_dir->filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(emptyBin));
    qputenv("PATH", QFile::encodeName(emptyBin));
    const QString follower = writeRecordingScript(m_dir->filePath(QStringLiteral("follower")),
                                                  QStringLiteral("follower-received"));
    QVERIFY(!follower.isEmpty());

    DetachedProgramLauncher launcher;
    // Only an executable file is worth ending the running recorder for.
    QCOMPARE(launcher.canLaunch(path), executable);
    QVERIFY(!launcher.launch(path, QStringLiteral("a.wav")));
    // A program started afterwards that has run shows the launcher still works, and that the
    // first one, had it been started, would have left its record by now.
    launcher.launch(follower, QStringLiteral("b.wav"));

    QTRY_COMPARE_WITH_TIMEOUT(readFile(m_dir->filePath(QStringLiteral("follower-received"))),
                              QStringLiteral("1\nb.wav\n"), 10000);
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("received"))));
}

// A recorder holding this program's output open would keep a reader of it (a terminal's
// pipe, CTest) waiting for as long as the recording runs.
void TestProgramLauncher::leavesNoStreamTiedToTheCaller()
{
    const QString program = writeFile(m_dir->filePath(QStringLiteral("quillsnd.exe")),
                                      "#!/bin/sh\n"
                                      "for fd in 0 1 2; do\n"
                                      "  if [ /proc/$$/fd/$fd -ef /dev/null ]; then r=\"$r$fd:null \"; else r=\"$r$fd:tied \"; fi\n"
                                      "done\n"
                                      "printf '%s\\n' \"$r\" > \"${0%/*}/received\"\n",
                                      true);
    QVERIFY(!program.isEmpty());

    DetachedProgramLauncher launcher;
    launcher.launch(program, QStringLiteral("a.wav"));

    QTRY_COMPARE_WITH_TIMEOUT(readFile(m_dir->filePath(QStringLiteral("received"))),
                              QStringLiteral("0:null 1:null 2:null \n"), 10000);
}

void TestProgramLauncher::withWineOnlyWindowsProgramsGoToWine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("record");

    const QByteArray windowsProgram("MZ\x90\x00\x03\x00\x00\x00", 8);
    QTest::newRow("copied from Windows, not marked executable")
        << windowsProgram << false << QStringLiteral("wine-received");
    QTest::newRow("Windows program marked executable") << windowsProgram << true << QStringLiteral("wine-received");
    QTest::newRow("script runs itself") << recordingScript(QStringLiteral("received")) << true
                                        << QStringLiteral("received");
}

void TestProgramLauncher::withWineOnlyWindowsProgramsGoToWine()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, executable);
    QFETCH(QString, record);
    QVERIFY(putWineOnPath());
    const QString program = writeFile(m_dir->filePath(QStringLiteral("quillsnd.exe")), content, executable);
    QVERIFY(!program.isEmpty());
    const QString argument = QStringLiteral("rec 1 & $(touch pwned) \"x\"");

    DetachedProgramLauncher launcher;
    QVERIFY(launcher.canLaunch(program));
    QVERIFY(launcher.launch(program, argument));

    const bool byWine = record == QLatin1String("wine-received");
    QTRY_COMPARE_WITH_TIMEOUT(readFile(m_dir->filePath(record)),
                              byWine ? QStringLiteral("2\n%1\n%2\n").arg(program, argument)
                                     : QStringLiteral("1\n%1\n").arg(argument),
                              10000);
    QVERIFY(!QFile::exists(m_dir->filePath(byWine ? QStringLiteral("received") : QStringLiteral("wine-received"))));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("pwned"))));
}

QString TestProgramLauncher::writeFile(const QString &path, const QByteArray &content, bool executable) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    file.close();
    const QFile::Permissions readWrite = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    if (!file.setPermissions(executable ? readWrite | QFile::ExeOwner | QFile::ExeUser : readWrite))
        return {};
    return path;
}

QByteArray TestProgramLauncher::recordingScript(const QString &record)
{
    return "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"${0%/*}/" + record.toUtf8() + "\"\n";
}

QString TestProgramLauncher::writeRecordingScript(const QString &path, const QString &record) const
{
    return writeFile(path, recordingScript(record), true);
}

// A wine of our own, first on PATH of this process only, that records how it was called.
bool TestProgramLauncher::putWineOnPath()
{
    const QString bin = m_dir->filePath(QStringLiteral("winebin"));
    if (!QDir().mkpath(bin)
        || writeRecordingScript(bin + QStringLiteral("/wine"), QStringLiteral("../wine-received")).isEmpty())
        return false;
    return qputenv("PATH", QFile::encodeName(bin) + ':' + m_previousPath);
}

QString TestProgramLauncher::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QTEST_GUILESS_MAIN(TestProgramLauncher)
#include "tst_programlauncher.moc"
