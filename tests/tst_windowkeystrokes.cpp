#include "X11WindowKeystrokes.h"

#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Stand-in windows that record the F12s they get; their titles carry this process's id, as other tests show theirs.
class TestWindowKeystrokes : public QObject
{
    Q_OBJECT

private:
    static constexpr int waitMs = 10000;
    QString m_title;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<QProcess>> m_windows;

    // Shows a window that records into record; false when it does not come on screen.
    bool show(const QStringList &options, const QString &title, const QString &record)
    {
        auto &window = m_windows.emplace_back(std::make_unique<QProcess>());
        window->start(QStringLiteral(STANDIN_XWINDOW_PATH), options + QStringList{title, m_dir->filePath(record)});
        return window->waitForReadyRead(waitMs) && window->readAll() == "shown\n";
    }

    // True once every window has taken all that the server sent it so far.
    bool caughtUp()
    {
        for (const auto &window : m_windows) {
            window->write("sync\n");
            if (!window->waitForReadyRead(waitMs) || window->readAll() != "synced\n")
                return false;
        }
        return true;
    }

    QString keys(const QString &record) const
    {
        QFile file(m_dir->filePath(record));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server, and DISPLAY is not set");
        m_title = QStringLiteral("Quillsound-test-%1").arg(QCoreApplication::applicationPid());
    }

    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // QProcess kills the windows' processes as it goes.
    void cleanup() { m_windows.clear(); }

    // The windows as "options|title|record", %1 the title sought and %2 that in upper case; the record that gets F12.
    void sendsF12OnlyToTheRightWindow_data()
    {
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<QString>("receiver");
        const QString ownPid = QStringLiteral("--pid=%1").arg(QCoreApplication::applicationPid());
        QTest::newRow("exact title in _NET_WM_NAME") << QStringList{"--utf8|%1|a"} << "a";
        QTest::newRow("title that begins with it") << QStringList{"--utf8|%1 – Aufnahme läuft|a"} << "a";
        QTest::newRow("title only in WM_NAME") << QStringList{"|%1|a"} << "a";
        QTest::newRow("inside a window manager's frame") << QStringList{"--frame|%1|a"} << "a";
        QTest::newRow("exact title beats one that begins with it, shown first")
            << QStringList{"--utf8|%1|a", "--utf8|%1 Helper|b"} << "a";
        QTest::newRow("exact title beats one that begins with it, shown last")
            << QStringList{"--utf8|%1 Helper|b", "--utf8|%1|a"} << "a";
        // This program's own main window, "Quillsound 计划", begins like the recorder's title.
        QTest::newRow("exact title on this program's window") << QStringList{ownPid + "|%1|b", "|%1 Aufnahme|a"} << "a";
        QTest::newRow("only this program's window") << QStringList{ownPid + "|%1|b"} << QString();
        // Keys would go to whatever else has the focus.
        QTest::newRow("a window that cannot take the focus") << QStringList{"--unmapped|%1|b"} << QString();
        QTest::newRow("a title that only contains it") << QStringList{"|Not %1|b"} << QString();
        QTest::newRow("a title in other case") << QStringList{"|%2|b"} << QString();
        QTest::newRow("no window") << QStringList{} << QString();
    }

    void sendsF12OnlyToTheRightWindow()
    {
        QFETCH(QStringList, windows);
        QFETCH(QString, receiver);
        for (const QString &window : std::as_const(windows)) {
            QStringList fields = window.split(u'|');
            fields[1].replace(QStringLiteral("%1"), m_title).replace(QStringLiteral("%2"), m_title.toUpper());
            QVERIFY(show(fields[0].split(u' ', Qt::SkipEmptyParts), fields[1], fields[2]));
        }
        QCOMPARE(X11WindowKeystrokes().activateAndSendF12(m_title), !receiver.isEmpty());
        QVERIFY(caughtUp());
        // One press went out, and only the right window has it.
        if (!receiver.isEmpty())
            QCOMPARE(keys(receiver), QStringLiteral("F12\n"));
        QCOMPARE(keys(QStringLiteral("b")), QString());
    }

    void withoutADisplayNothingIsSent()
    {
        QVERIFY(show({}, m_title, QStringLiteral("a")));
        const QByteArray display = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":1999"); // no server there
        const bool sent = X11WindowKeystrokes().activateAndSendF12(m_title);
        qputenv("DISPLAY", display);
        QVERIFY(!sent);
    }
};

QTEST_GUILESS_MAIN(TestWindowKeystrokes)
#include "tst_windowkeystrokes.moc"
