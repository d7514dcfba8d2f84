#include "RecorderWindow.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

// The recorder's window as its user reads it: the station of a stream, the sound server's sources, and what was lost.
class RecorderWindowTest : public QObject
{
    Q_OBJECT

    static QString text(const RecorderWindow &window, const char *label)
    {
        const auto *found = window.findChild<QLabel *>(QLatin1String(label));
        return found && found->isVisible() ? found->text() : QStringLiteral("(hidden)");
    }

private slots:
    void showsTheStationAndTheNetworksLoss()
    {
        RecorderWindow window("/tmp/a.mp3", 60);
        window.show();
        window.showStream("http://127.0.0.1:8000/a.mp3");
        QCOMPARE(text(window, "lblStation"), "正在连接…");
        window.showStation({"", "", "vorbis", 0});
        QCOMPARE(QStringList({text(window, "lblStation"), text(window, "lblStreamFormat")}), QStringList({"(未命名)", "vorbis"}));
        window.showStation({"Quill Radio", "News at Six", "mp3", 128000});
        window.showLoss(2, 12);
        QCOMPARE(QStringList({text(window, "lblStation"), text(window, "lblNowPlaying"), text(window, "lblStreamFormat"),
                              text(window, "lblLoss"), text(window, "lblSourceLoss")}),
                 QStringList({"Quill Radio", "News at Six", "mp3, 128 kb/s", "网络中断 2 次, 共丢失 12 秒", "(hidden)"}));
        QVERIFY(!window.findChild<QComboBox *>("ComboSource")->isEnabled());
    }

    void offersTheSoundServersSources()
    {
        RecorderWindow window("/tmp/a.wav", 60);
        window.show();
        window.showSources({{"alsa_input.usb", "USB Microphone", false}, {"speakers.monitor", "Speakers", true}}, "speakers.monitor");
        auto *sources = window.findChild<QComboBox *>("ComboSource");
        QCOMPARE(sources->currentText(), "Speakers (所听到的声音)");
        QSignalSpy chosen(&window, &RecorderWindow::sourceChosen);
        sources->activated(0);
        QCOMPARE(chosen.value(0).value(0).toString(), "alsa_input.usb");
        window.showLoss(1, 3);
        QCOMPARE(QStringList({text(window, "lblSourceLoss"), text(window, "lblLoss")}),
                 QStringList({"声音服务器中断 1 次, 共丢失 3 秒", "(hidden)"}));
    }
};

QTEST_MAIN(RecorderWindowTest)
#include "tst_recorderwindow.moc"
