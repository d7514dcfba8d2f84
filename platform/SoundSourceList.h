#pragma once

#include <QList>
#include <QString>

#include <functional>

class QObject;

struct SoundSource
{
    QString name;
    QString description;
    // A monitor of an output: what is being played, "what you hear".
    bool isMonitor = false;
};

// The sound server's sources, as the server names them, and the one it records by default.
class SoundSourceList
{
public:
    using Answer = std::function<void(const QList<SoundSource> &sources, const QString &defaultSource)>;

    virtual ~SoundSourceList() = default;
    // Answers once, in the receiver's thread and only while it lives; an empty list when there is no
    // sound server to ask.
    virtual void fetch(QObject *receiver, Answer answer) = 0;
};
