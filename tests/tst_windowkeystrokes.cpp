#include "X11WindowKeystrokes.h"

#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Other tests may share the X server and show windows titled Quillsound at the same time, so
// every window here carries this process's id in its title.
class TestWindowKeystrokes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sendsF12ToTheWindow_data();
    void sendsF12ToTheWindow();
    void prefersTheExactTitle_data();
    void prefersTheExactTitle();

    void neverReachesTheWrongWindow_data();
    void neverReachesTheWrongWindow();
    void returnsFalseWithoutSuchWindowOrDisplay_data();
    void returnsFalseWithoutSuchWindowOrDisplay();

private:
    // Starts a stand-in window and waits until it is on screen; false when it does not come.
    bool showWindow(const QString &program, const QStringList &arguments);
    QString recordPath(const QString &name) const { return m_dir->filePath(name); }
    static QString readFile(const QString &path);

    QString m_title;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<QProcess>> m_windows;
};

namespace {

constexpr int waitMs = 10000;

const QString qtWindow = QStringLiteral(STANDIN_WINDOW_PATH);
const QString xlibWindow = QStringLiteral(STANDIN_XWINDOW_PATH);

} // namespace

void TestWindowKeystrokes::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server, and DISPLAY is not set");
    m_title = QStringLiteral("Quillsound-test-%1").arg(QCoreApplication::applicationPid());
}

void TestWindowKeystrokes::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestWindowKeystrokes::cleanup()
{
    for (const auto &window : m_windows) {
        window->kill();
        window->waitForFinished();
    }
    m_windows.clear();
    m_dir.reset();
}

void TestWindowKeystrokes::sendsF12ToTheWindow_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("titleEnding");

    QTest::newRow("Qt window, exact title") << qtWindow << QStringList{} << QString();
    QTest::newRow("Qt window, title that begins with it")
        << qtWindow << QStringList{} << QStringLiteral(" – Aufnahme läuft");
    QTest::newRow("plain X window, title only in WM_NAME") << xlibWindow << QStringList{} << QString();
    QTest::newRow("window inside a window manager's frame")
        << xlibWindow << QStringList{QStringLiteral("--frame")} << QString();
}

void TestWindowKeystrokes::sendsF12ToTheWindow()
{
    QFETCH(QString, program);
    QFETCH(QStringList, options);
    QFETCH(QString, titleEnding);
    const QString record = recordPath(QStringLiteral("keys"));
    QVERIFY(showWindow(program, options + QStringList{m_title + titleEnding, record}));

    X11WindowKeystrokes keystrokes;
    QVERIFY(keystrokes.activateAndSendF12(m_title));

    QTRY_COMPARE_WITH_TIMEOUT(readFile(record), QStringLiteral("F12\n"), waitMs);
}

void TestWindowKeystrokes::prefersTheExactTitle_data()
{
    QTest::addColumn<bool>("exactShownFirst");

    QTest::newRow("exact title shown first") << true;
    QTest::newRow("exact title shown last") << false;
}

void TestWindowKeystrokes::prefersTheExactTitle()
{
    QFETCH(bool, exactShownFirst);
    const QString exactRecord = recordPath(QStringLiteral("exact"));
    const QString longerRecord = recordPath(QStringLiteral("longer"));
    const QStringList exact{m_title, exactRecord};
    const QStringList longer{m_title + QStringLiteral(" Helper"), longerRecord};
    QVERIFY(showWindow(qtWindow, exactShownFirst ? exact : longer));
    QVERIFY(showWindow(qtWindow, exactShownFirst ? longer : exact));

    X11WindowKeystrokes keystrokes;
    QVERIFY(keystrokes.activateAndSendF12(m_title));

    QTRY_COMPARE_WITH_TIMEOUT(readFile(exactRecord), QStringLiteral("F12\n"), waitMs);
    // One press went out, and the exact window has it.
    QVERIFY(!QFile::exists(longerRecord));
}

void TestWindowKeystrokes::neverReachesTheWrongWindow_data()
{
    QTest::addColumn<QStringList>("exactWindowOptions");
    QTest::addColumn<bool>("recorderShown");

    // This program's own main window, "Quillsound 计划", begins like the recorder's title.
    QTest::newRow("exact title on a window of this program, beside the recorder's")
        << QStringList{QStringLiteral("--pid=%1").arg(QCoreApplication::applicationPid())} << true;
    QTest::newRow("exact title on a window of this program alone")
        << QStringList{QStringLiteral("--pid=%1").arg(QCoreApplication::applicationPid())} << false;
    // Keys would go to whatever else has the focus.
    QTest::newRow("exact title on a window that cannot take the focus") << QStringList{QStringLiteral("--unmapped")}
                                                                        << false;
}

void TestWindowKeystrokes::neverReachesTheWrongWindow()
{
    QFETCH(QStringList, exactWindowOptions);
    QFETCH(bool, recorderShown);
    const QString exactRecord = recordPath(QStringLiteral("exact"));
    const QString recorderRecord = recordPath(QStringLiteral("recorder"));
    QVERIFY(showWindow(xlibWindow, exactWindowOptions + QStringList{m_title, exactRecord}));
    if (recorderShown)
        QVERIFY(showWindow(qtWindow, {m_title + QStringLiteral(" Aufnahme"), recorderRecord}));

    X11WindowKeystrokes keystrokes;
    QCOMPARE(keystrokes.activateAndSendF12(m_title), recorderShown);
    if (recorderShown)
        QTRY_COMPARE_WITH_TIMEOUT(readFile(recorderRecord), QStringLiteral("F12\n"), waitMs);
    QTest::qWait(200);
    QVERIFY(!QFile::exists(exactRecord));
}

void TestWindowKeystrokes::returnsFalseWithoutSuchWindowOrDisplay_data()
{
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<bool>("changeDisplay");
    QTest::addColumn<QByteArray>("display");

    QTest::newRow("no window at all") << QString() << false << QByteArray();
    QTest::newRow("title that only contains it") << QStringLiteral("Not %1").arg(m_title) << false << QByteArray();
    QTest::newRow("title in other case") << m_title.toUpper() << false << QByteArray();
    QTest::newRow("display unset") << m_title << true << QByteArray();
    QTest::newRow("no server there") << m_title << true << QByteArray(":1999");
    QTest::newRow("nonsense display") << m_title << true << QByteArray("not a display");
}

void TestWindowKeystrokes::returnsFalseWithoutSuchWindowOrDisplay()
{
    QFETCH(QString, shownTitle);
    QFETCH(bool, changeDisplay);
    QFETCH(QByteArray, display);
    if (!shownTitle.isEmpty())
        QVERIFY(showWindow(qtWindow, {shownTitle, recordPath(QStringLiteral("keys"))}));
    const QByteArray previous = qgetenv("DISPLAY");
    if (changeDisplay && display.isEmpty())
        qunsetenv("DISPLAY");
    else if (changeDisplay)
        qputenv("DISPLAY", display);

    X11WindowKeystrokes keystrokes;
    const bool sent = keystrokes.activateAndSendF12(m_title);
    qputenv("DISPLAY", previous);

    QVERIFY(!sent);
}

bool TestWindowKeystrokes::showWindow(const QString &program, const QStringList &arguments)
{
    auto &window = m_windows.emplace_back(std::make_unique<QProcess>());
    window->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    window->start(program, arguments);
    if (!window->waitForStarted(waitMs))
        return false;
    QByteArray output;
    return QTest::qWaitFor([&window, &output] {
        output += window->readAllStandardOutput();
        return output.contains("shown\n") || window->state() == QProcess::NotRunning;
    }, waitMs) && output.contains("shown\n");
}

QString TestWindowKeystrokes::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QTEST_GUILESS_MAIN(TestWindowKeystrokes)
#include "tst_windowkeystrokes.moc"
