#pragma once

#include "SoundSourceList.h"
#include "StreamStation.h"

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The recorder's window, titled "Quillsound": the output file, elapsed and remaining time, a
// level meter, the source and, for a stream, the station. F12, its button and its close box all stop the recording and keep
// it; the window closes once the file is finished.
class RecorderWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr auto Title = "Quillsound";

    RecorderWindow(const QString &outputPath, qint64 seconds, QWidget *parent = nullptr);

    void showProgress(qint64 frames, double peakDecibels);
    // current is the source being recorded, empty for the server's default one.
    void showSources(const QList<SoundSource> &sources, const QString &current);
    // A stream is recorded instead of a sound server's source: the station is shown, no other source offered.
    void showStream(const QString &address);
    void showStation(const StreamStation &station);
    // Drops and seconds lost: the network's for a stream, the sound server's otherwise.
    void showLoss(int drops, qint64 lostSeconds);
    void showNotice(const QString &message);
    // The recording is over and its file finished; the window stays, with the message, until closed.
    void showFailure(const QString &message);
    // From now on closing the window closes it.
    void endRecording();

signals:
    void stopRequested();
    void sourceChosen(const QString &sourceName);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void chooseSource(int index);

    const qint64 m_seconds;
    bool m_recording = true;
    QLabel *m_elapsed;
    QLabel *m_remaining;
    QProgressBar *m_level;
    QComboBox *m_sources;
    QGroupBox *m_station = nullptr;
    QLabel *m_stationName;
    QLabel *m_nowPlaying;
    QLabel *m_streamFormat;
    QLabel *m_loss;
    QLabel *m_sourceLoss;
    QLabel *m_status;
    QPushButton *m_stop;
};
