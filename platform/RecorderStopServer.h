#pragma once

#include <QObject>
#include <QString>

class LocalRequestClients;
class QSocketNotifier;

// Lets the scheduler stop a recording where no keystroke can reach the recorder's window (Wayland):
// a socket in the user's runtime directory, which only the user can enter, taking one short
// request from a process of the same user and acknowledging it.
class RecorderStopServer : public QObject
{
    Q_OBJECT

public:
    static constexpr char Request[] = "quillsnd stop 1\n";
    static constexpr char Answer[] = "quillsnd stopping 1\n";
    static QString socketPath();

    explicit RecorderStopServer(QObject *parent = nullptr);
    ~RecorderStopServer() override;

    // Takes the path over from whatever socket is left there; false when it cannot listen.
    bool listen();

signals:
    void stopRequested();

private:
    void acceptConnection();

    int m_listener = -1;
    QSocketNotifier *m_notifier = nullptr;
    // Which socket file is ours, so that ending never removes one that a later recorder made.
    quint64 m_device = 0;
    quint64 m_inode = 0;
    LocalRequestClients *m_clients;
};
