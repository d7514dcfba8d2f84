#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QLocalSocket;

// Asks the running recorder, through its RecorderStopServer, to stop and keep its recording.
class RecorderStopClient : public QObject
{
    Q_OBJECT

public:
    explicit RecorderStopClient(QObject *parent = nullptr);

    // Returns at once; finished() tells whether a recorder acknowledged. No recorder listening
    // answers false at once, one that does not answer within about a second false then.
    void requestStop();

signals:
    void finished(bool acknowledged);

private:
    void readAnswer();
    void finish(bool acknowledged);

    QLocalSocket *m_socket = nullptr;
    QByteArray m_answer;
    QTimer m_timeout;
};
