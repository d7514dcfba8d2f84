#pragma once

#include <map>
#include <memory>

#include <QProcess>
#include <QTemporaryDir>

// An Icecast server on 127.0.0.1, ffmpeg playing a 440 Hz tone into each mount, live: listeners get no backlog.
// Its webroot serves what the tests write there.
class PrivateIcecast
{
public:
    ~PrivateIcecast();
    bool start();
    QString address(const QString &mount) const;
    // Returns once a listener of the mount hears the tone, encoded by the given ffmpeg output options.
    bool play(const QString &mount, const QStringList &encoding);
    // A live HLS playlist of the tone in the server's webroot, written by ffmpeg's hls muxer; returns once it has segments.
    bool playHls(const QString &playlist);
    bool stop(const QString &mount);
    // A port on 127.0.0.1 where nothing listens.
    static quint16 closedPort();

private:
    bool answers(const QString &mount) const;
    const QProcess &playTone(const QString &name, const QStringList &output);

    QTemporaryDir m_dir;
    const QString m_webroot = m_dir.filePath("web");
    QProcess m_server;
    quint16 m_port = 0;
    std::map<QString, std::unique_ptr<QProcess>> m_sources;
};
