#include "RecorderWindow.h"

#include "PulseCapture.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The level meter shows tenths of a decibel from here up to full scale.
constexpr int meterFloorTenths = -600;

QString clockText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The scheduler's look: only the caption is blue and bold.
QGroupBox *addGroup(QVBoxLayout *layout, const char *name, const QString &caption)
{
    auto *group = new QGroupBox(caption);
    group->setObjectName(QString::fromLatin1(name));
    group->setStyleSheet(QStringLiteral("QGroupBox { color: rgb(0, 0, 255); font-weight: bold; }"));
    layout->addWidget(group);
    return group;
}

QLabel *addLabel(const char *name, const QString &text = {})
{
    auto *label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

RecorderWindow::RecorderWindow(const QString &outputPath, qint64 seconds, QWidget *parent)
    : QWidget(parent)
    , m_seconds(seconds)
    , m_elapsed(addLabel("lblElapsed"))
    , m_remaining(addLabel("lblRemaining"))
    , m_level(new QProgressBar)
    , m_sources(new QComboBox)
    , m_stationName(addLabel("lblStation"))
    , m_nowPlaying(addLabel("lblNowPlaying"))
    , m_streamFormat(addLabel("lblStreamFormat"))
    , m_loss(addLabel("lblLoss"))
    , m_sourceLoss(addLabel("lblSourceLoss"))
    , m_status(addLabel("lblStatus", QStringLiteral("正在录音。按 F12 停止录音并保存文件。")))
    , m_stop(new QPushButton(QStringLiteral("停止录音 (F12)")))
{
    setObjectName(QStringLiteral("Quillsound"));
    setWindowTitle(QString::fromLatin1(Title));
    auto *layout = new QVBoxLayout(this);

    auto *fileLayout = new QVBoxLayout(addGroup(layout, "FrameFile", QStringLiteral("录音文件")));
    QLabel *file = addLabel("lblOutputFile", outputPath);
    file->setWordWrap(true);
    file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileLayout->addWidget(file);

    auto *timeLayout = new QFormLayout(addGroup(layout, "FrameTime", QStringLiteral("录音时间")));
    timeLayout->addRow(QStringLiteral("已录音 :"), m_elapsed);
    timeLayout->addRow(QStringLiteral("剩余时间 :"), m_remaining);

    auto *levelLayout = new QVBoxLayout(addGroup(layout, "FrameLevel", QStringLiteral("音量 (峰值)")));
    m_level->setObjectName(QStringLiteral("LevelMeter"));
    m_level->setRange(meterFloorTenths, 0);
    levelLayout->addWidget(m_level);

    auto *sourceLayout = new QVBoxLayout(addGroup(layout, "FrameSource", QStringLiteral("录音来源")));
    m_sources->setObjectName(QStringLiteral("ComboSource"));
    m_sources->addItem(QStringLiteral("默认声源"), QString());
    sourceLayout->addWidget(m_sources);
    sourceLayout->addWidget(m_sourceLoss);
    m_sourceLoss->hide();
    connect(m_sources, &QComboBox::activated, this, &RecorderWindow::chooseSource);

    m_station = addGroup(layout, "FrameStation", QStringLiteral("网络电台"));
    auto *stationLayout = new QFormLayout(m_station);
    stationLayout->addRow(QStringLiteral("电台 :"), m_stationName);
    stationLayout->addRow(QStringLiteral("正在播放 :"), m_nowPlaying);
    stationLayout->addRow(QStringLiteral("格式 :"), m_streamFormat);
    stationLayout->addRow(QStringLiteral("中断 :"), m_loss);
    m_nowPlaying->setWordWrap(true);
    m_station->hide();

    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    m_stop->setObjectName(QStringLiteral("CmdStop"));
    layout->addWidget(m_stop, 0, Qt::AlignRight);
    connect(m_stop, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F12), this), &QShortcut::activated, this, &QWidget::close);

    showProgress(0, -std::numeric_limits<double>::infinity());
    setMinimumWidth(420);
}

void RecorderWindow::showProgress(qint64 frames, double peakDecibels)
{
    const qint64 elapsed = frames / PulseCapture::SampleRate;
    m_elapsed->setText(clockText(elapsed));
    m_remaining->setText(clockText(std::max<qint64>(0, m_seconds - elapsed)));
    const double tenths = std::clamp(peakDecibels * 10.0, double(meterFloorTenths), 0.0);
    m_level->setValue(int(std::lround(tenths)));
    m_level->setFormat(std::isfinite(peakDecibels) ? QStringLiteral("%1 dBFS").arg(peakDecibels, 0, 'f', 1)
                                                   : QStringLiteral("-∞ dBFS"));
}

void RecorderWindow::showSources(const QList<SoundSource> &sources, const QString &current)
{
    const QSignalBlocker blocker(m_sources);
    m_sources->clear();
    for (const SoundSource &source : sources) {
        const QString text = source.isMonitor ? QStringLiteral("%1 (所听到的声音)").arg(source.description)
                                              : source.description;
        m_sources->addItem(text, source.name);
    }
    const int index = m_sources->findData(current);
    if (index >= 0)
        m_sources->setCurrentIndex(index);
}

void RecorderWindow::showStream(const QString &address)
{
    m_sources->clear();
    m_sources->addItem(address, address);
    m_sources->setEnabled(false);
    m_stationName->setText(QStringLiteral("正在连接…"));
    m_station->show();
    showLoss(0, 0);
}

void RecorderWindow::showStation(const StreamStation &station)
{
    m_stationName->setText(station.name.isEmpty() ? QStringLiteral("(未命名)") : station.name);
    m_nowPlaying->setText(station.title);
    m_streamFormat->setText(station.bitRate > 0 ? QStringLiteral("%1, %2 kb/s").arg(station.codec).arg(station.bitRate / 1000)
                                                : station.codec);
}

void RecorderWindow::showLoss(int drops, qint64 lostSeconds)
{
    // A stream's losses are the network's, shown with the station; a sound server's show under the source.
    const bool stream = !m_station->isHidden();
    QLabel *label = stream ? m_loss : m_sourceLoss;
    label->setText(QStringLiteral("%1中断 %2 次, 共丢失 %3 秒")
                       .arg(stream ? QStringLiteral("网络") : QStringLiteral("声音服务器"))
                       .arg(drops)
                       .arg(lostSeconds));
    label->show();
}

void RecorderWindow::showNotice(const QString &message)
{
    m_status->setText(message);
}

void RecorderWindow::showFailure(const QString &message)
{
    endRecording();
    m_status->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    m_status->setText(message);
    m_stop->setText(QStringLiteral("关闭"));
    m_sources->setEnabled(false);
}

void RecorderWindow::endRecording()
{
    m_recording = false;
}

void RecorderWindow::closeEvent(QCloseEvent *event)
{
    if (!m_recording) {
        event->accept();
        return;
    }
    // The window goes once the file is finished.
    event->ignore();
    emit stopRequested();
}

void RecorderWindow::chooseSource(int index)
{
    emit sourceChosen(m_sources->itemData(index).toString());
}
