#pragma once

#include "SoundSourceList.h"
#include "StreamStation.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QTimer;
class QWidget;
class ResultSet;
class StoreConnection;
class StreamProbe;

// The editor's choice of what a task records: the recorder's own choice, one of the sound server's
// sources, or a stream address, which is tried in the background as it is entered.
class SourceChoice : public QObject
{
    Q_OBJECT

public:
    static constexpr auto RecorderChoice = "录音程序的选择";
    static constexpr auto MonitorCaption = "所听到的声音: %1";
    static constexpr auto InvalidMessage = "录音来源无效: %1";
    static constexpr auto ConnectingText = "正在连接电台...";
    static constexpr auto StreamFailedText = "无法收听: %1";
    // Where the group ends on the window, in twips.
    static constexpr int BottomTwips = 8280;

    SourceChoice(QWidget *window, SoundSourceList &soundSources);

    // The stream addresses the store's tasks record, offered again.
    void listStreams(const std::shared_ptr<StoreConnection> &store);
    // Shows the current task's source; a task being added has the recorder's choice.
    void showCurrent(const ResultSet &rows);
    // Open to change while a task is added or edited, when the sound server's sources are asked for;
    // otherwise it shows the current task's source.
    void setEditable(bool editable);
    // The source to save, empty for the recorder's choice; nothing, and why, when it cannot be recorded.
    std::optional<QString> chosen(QString *refusal) const;

private:
    QString shownSource() const;
    void display(const QString &source);
    void rebuild();
    void typed();
    void showStation(const QString &address, const StreamStation &station, const QString &error);
    static bool isStream(const QString &text);

    SoundSourceList &m_soundSources;
    QComboBox *m_list;
    QLabel *m_info;
    StreamProbe *m_probe;
    // A pause in typing before an address is tried.
    QTimer *m_pause;
    QList<SoundSource> m_devices;
    QStringList m_streams;
    // The current task's source as stored.
    QString m_stored;
};
