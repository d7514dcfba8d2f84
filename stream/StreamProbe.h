#pragma once

#include "StreamStation.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <memory>

// Tries a stream address on a worker thread, so that no window waits for the network: the station
// it names, or why it could not be read. A new trial, cancel() or the probe's end stops the one
// under way; a trial that has not answered within the limit ends as failed.
class StreamProbe : public QObject
{
    Q_OBJECT

public:
    explicit StreamProbe(std::chrono::milliseconds limit, QObject *parent = nullptr);
    ~StreamProbe() override;

    void probe(const QString &address);
    void cancel();

signals:
    // An empty error when the stream could be read.
    void answered(const QString &address, const StreamStation &station, const QString &error);

private:
    std::chrono::milliseconds m_limit;
    std::shared_ptr<std::atomic_bool> m_cancelled;
};
