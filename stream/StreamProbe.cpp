#include "StreamProbe.h"

#include "StreamInput.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QThreadPool>

StreamProbe::StreamProbe(std::chrono::milliseconds limit, QObject *parent)
    : QObject(parent)
    , m_limit(limit)
{
}

StreamProbe::~StreamProbe()
{
    cancel();
}

void StreamProbe::cancel()
{
    if (m_cancelled)
        m_cancelled->store(true);
    m_cancelled.reset();
}

void StreamProbe::probe(const QString &address)
{
    cancel();
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    const QDeadlineTimer deadline(m_limit);
    // The answer is handed over in the main thread, and only while this probe and this trial stand.
    QThreadPool::globalInstance()->start([address, deadline, cancelled = m_cancelled, self = QPointer(this)] {
        StreamInput input(address, [&] { return cancelled->load() || deadline.hasExpired(); });
        const bool opened = input.open() == StreamInput::Opening::Opened;
        const QString error = opened ? QString() : deadline.hasExpired() ? QStringLiteral("电台没有回应") : input.errorString();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [address, station = input.station(), error, cancelled, self] {
            if (self && !cancelled->load())
                emit self->answered(address, station, error);
        }, Qt::QueuedConnection);
    });
}
