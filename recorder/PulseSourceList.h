#pragma once

#include <QList>
#include <QObject>
#include <QString>

struct pa_context;
struct pa_operation;
struct pa_threaded_mainloop;

struct AudioSource
{
    QString name;
    QString description;
    // A monitor of an output: what is being played, "what you hear".
    bool isMonitor = false;
};

// Asks the sound server for its sources and its default one, in a thread of libpulse's own so
// that the window never waits for the server.
class PulseSourceList : public QObject
{
    Q_OBJECT

public:
    explicit PulseSourceList(QObject *parent = nullptr);
    ~PulseSourceList() override;

    // Answers with listed(), once; an empty list when the server cannot be asked.
    void fetch();

signals:
    void listed(const QList<AudioSource> &sources, const QString &defaultSource);

private:
    static void contextChanged(pa_context *context, void *self);
    // An operation that could not even start counts as answered.
    void started(pa_operation *operation);
    void answer();

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    // Filled in libpulse's thread, read there too; handed over once by the queued signal.
    QList<AudioSource> m_sources;
    QString m_defaultSource;
    int m_repliesDue = 0;
    bool m_answered = false;
};
