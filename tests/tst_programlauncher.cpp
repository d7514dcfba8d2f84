#include "DetachedProgramLauncher.h"

#include <memory>

#include <QtTest>

// The file's content (none: missing), whether it is executable, whether wine is there, and the record of what ran.
using Launch = std::tuple<QByteArray, bool, bool, QString>;

// The stand-ins are shell scripts using only builtins, so they run whatever PATH holds.
class TestProgramLauncher : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString write(const QString &name, const QByteArray &content, bool executable) const
    {
        QFile file(m_dir->filePath(name));
        const bool written = file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
                             && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | (executable ? QFile::ExeOwner : QFile::Permissions()));
        return written ? file.fileName() : QString();
    }

    // Records its argument count and each argument, one a line.
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
    void startsWhatCanRunWithTheArgumentUnchanged_data()
    {
        QTest::addColumn<Launch>("launch");
        const QByteArray windowsProgram("MZ\x90\x00\x03\x00\x00\x00", 8);
        QTest::newRow("script") << Launch{recordingScript("received"), true, false, "received"};
        QTest::newRow("script, with wine there") << Launch{recordingScript("received"), true, true, "received"};
        QTest::newRow("Windows program, not marked executable") << Launch{windowsProgram, false, true, "wine-received"};
        QTest::newRow("Windows program marked executable") << Launch{windowsProgram, true, true, "wine-received"};
        QTest::newRow("missing file") << Launch{QByteArray(), false, false, {}};
        QTest::newRow("not executable") << Launch{recordingScript("received"), false, false, {}};
        // Without wine it is tried as it is; it must not end up read by a shell either.
        QTest::newRow("Windows program without wine") << Launch{QByteArray("MZ\nprintf 'ran\\n' > received\n"), true, false, {}};
    }

    void startsWhatCanRunWithTheArgumentUnchanged()
    {
        QFETCH(Launch, launch);
        const auto &[content, executable, withWine, record] = launch;
        // The launcher reports nothing, not even a warning.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        m_dir = std::make_unique<QTemporaryDir>();
        // Anything a shell might make of an argument would land here, where the test looks.
        QDir::setCurrent(m_dir->path());
        const QString program = content.isEmpty() ? m_dir->filePath(QStringLiteral("quillsnd.exe"))
                                                  : write(QStringLiteral("quillsnd.exe"), content, executable);
        // A wine of our own, alone on PATH, that records how it was called.
        write(QStringLiteral("wine"), recordingScript("wine-received"), true);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(withWine ? m_dir->path() : m_dir->filePath(QStringLiteral("none"))));
        const QString argument = QStringLiteral("rec 1 & $(touch pwned); `touch pwned` 'x' \"$HOME\" | > < -c 録音 é\nline");
        const QString source = QStringLiteral("/s&http://127.0.0.1:8000/a b;c");

        DetachedProgramLauncher launcher;
        QCOMPARE(launcher.canLaunch(program), !record.isEmpty() || (executable && !content.isEmpty()));
        QCOMPARE(launcher.launch(program, {argument, source}), !record.isEmpty());
        // A stream tied to ours would keep our reader (CTest) waiting.
        const QString follower = write(QStringLiteral("follower"), "#!/bin/sh\nfor fd in 0 1 2; do [ /proc/$$/fd/$fd -ef /dev/null ] "
                                                                   "|| t=\"$t $fd\"; done\necho \"tied:$t\" > \"${0%/*}/follower-received\"\n", true);
        QVERIFY(launcher.launch(follower, {}));
        qputenv("PATH", path);
        QTRY_COMPARE_WITH_TIMEOUT(read(QStringLiteral("follower-received")), QStringLiteral("tied:\n"), 10000);

        const QString expected = record == QLatin1String("wine-received") ? QStringLiteral("3\n%1\n%2\n%3\n").arg(program, argument, source)
                                                                          : QStringLiteral("2\n%1\n%2\n").arg(argument, source);
        if (!record.isEmpty()) // it runs beside the follower, and may still be writing
            QTRY_COMPARE_WITH_TIMEOUT(read(record), expected, 10000);
        QCOMPARE(read(QStringLiteral("received")), record == QLatin1String("received") ? expected : QString());
        QCOMPARE(read(QStringLiteral("wine-received")), record == QLatin1String("wine-received") ? expected : QString());
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("pwned"))));
    }
};

QTEST_GUILESS_MAIN(TestProgramLauncher)
#include "tst_programlauncher.moc"
