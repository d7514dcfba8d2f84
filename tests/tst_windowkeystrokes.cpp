#include "X11WindowKeystrokes.h"

#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int waitMs = 10000;
const QString xwindow = QStringLiteral(STANDIN_XWINDOW_PATH);

} // namespace

// Stand-in windows under the test's X server. Other tests may show windows titled Quillsound at the
// same time, so every title here carries this process's id. Each window records the F12s it gets.
class TestWindowKeystrokes : public QObject
{
    Q_OBJECT

private:
    QString m_title;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<QProcess>> m_windows;

    // Shows a window that records into record; false when it does not come on screen.
    bool show(const QStringList &options, const QString &title, const QString &record)
    {
        auto &window = m_windows.emplace_back(std::make_unique<QProcess>());
        window->start(xwindow, options + QStringList{title, m_dir->filePath(record)});
        QByteArray output;
        return QTest::qWaitFor([&] {
            output += window->readAllStandardOutput();
            return output.contains("shown\n") || window->state() == QProcess::NotRunning;
        }, waitMs) && output.contains("shown\n");
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

    void cleanup()
    {
        for (const auto &window : m_windows) {
            window->kill();
            window->waitForFinished();
        }
        m_windows.clear();
    }

    // Each row: the windows shown, as "options|title ending|record", and which record gets F12.
    void sendsF12OnlyToTheRightWindow_data()
    {
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<QString>("receiver");
        const QString ownPid = QStringLiteral("--pid=%1").arg(QCoreApplication::applicationPid());
        QTest::newRow("exact title in _NET_WM_NAME") << QStringList{"--utf8||a"} << "a";
        QTest::newRow("title that begins with it") << QStringList{"--utf8| – Aufnahme läuft|a"} << "a";
        QTest::newRow("title only in WM_NAME") << QStringList{"||a"} << "a";
        QTest::newRow("inside a window manager's frame") << QStringList{"--frame||a"} << "a";
        QTest::newRow("exact title beats one that begins with it, shown first")
            << QStringList{"--utf8||a", "--utf8| Helper|b"} << "a";
        QTest::newRow("exact title beats one that begins with it, shown last")
            << QStringList{"--utf8| Helper|b", "--utf8||a"} << "a";
        // This program's own main window, "Quillsound 计划", begins like the recorder's title.
        QTest::newRow("exact title on this program's window") << QStringList{ownPid + "||b", "| Aufnahme|a"} << "a";
        QTest::newRow("only this program's window") << QStringList{ownPid + "||b"} << QString();
        // Keys would go to whatever else has the focus.
        QTest::newRow("a window that cannot take the focus") << QStringList{"--unmapped||b"} << QString();
        QTest::newRow("a title that only contains it") << QStringList{"|Not |b"} << QString();
        QTest::newRow("a title in other case") << QStringList{"|upper|b"} << QString();
        QTest::newRow("no window") << QStringList{} << QString();
    }

    void sendsF12OnlyToTheRightWindow()
    {
        QFETCH(QStringList, windows);
        QFETCH(QString, receiver);
        for (const QString &window : std::as_const(windows)) {
            const QStringList parts = window.split(u'|');
            const QStringList options = parts[0].split(u' ', Qt::SkipEmptyParts);
            const QString title = parts[1] == QLatin1String("upper") ? m_title.toUpper()
                                  : parts[1] == QLatin1String("Not ") ? parts[1] + m_title
                                                                      : m_title + parts[1];
            QVERIFY(show(options, title, parts[2]));
        }
        QCOMPARE(X11WindowKeystrokes().activateAndSendF12(m_title), !receiver.isEmpty());
        if (!receiver.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(keys(receiver), QStringLiteral("F12\n"), waitMs);
        QTest::qWait(200);
        // One press went out, and only the right window has it.
        QCOMPARE(keys(QStringLiteral("b")), QString());
    }

    void withoutADisplayNothingIsSent_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("unset") << QByteArray();
        QTest::newRow("no server there") << QByteArray(":1999");
        QTest::newRow("nonsense") << QByteArray("not a display");
    }

    void withoutADisplayNothingIsSent()
    {
        QFETCH(QByteArray, display);
        QVERIFY(show({}, m_title, QStringLiteral("a")));
        const QByteArray previous = qgetenv("DISPLAY");
        display.isEmpty() ? qunsetenv("DISPLAY") : qputenv("DISPLAY", display);
        const bool sent = X11WindowKeystrokes().activateAndSendF12(m_title);
        qputenv("DISPLAY", previous);
        QVERIFY(!sent);
    }
};

QTEST_GUILESS_MAIN(TestWindowKeystrokes)
#include "tst_windowkeystrokes.moc"
