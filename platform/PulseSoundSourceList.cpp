#include "PulseSoundSourceList.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QThreadPool>

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <algorithm>
#include <memory>

namespace {

// A server that does not answer within this long counts as none.
constexpr int AnswerMs = 2000;

struct FreeMainloop
{
    void operator()(pa_mainloop *loop) const { pa_mainloop_free(loop); }
};
struct ReleaseContext
{
    void operator()(pa_context *context) const
    {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};

} // namespace

void PulseSoundSourceList::fetch(QObject *receiver, Answer answer)
{
    QThreadPool::globalInstance()->start([receiver = QPointer(receiver), answer = std::move(answer)] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [receiver, answer, listing = ask()] {
            if (receiver)
                answer(listing.sources, listing.defaultSource);
        }, Qt::QueuedConnection);
    });
}

PulseSoundSourceList::Listing PulseSoundSourceList::ask()
{
    const std::unique_ptr<pa_mainloop, FreeMainloop> loop(pa_mainloop_new());
    if (!loop)
        return {};
    const std::unique_ptr<pa_context, ReleaseContext> context(pa_context_new(pa_mainloop_get_api(loop.get()), "QuillScheduler"));
    if (!context || pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return {};
    Listing listing;
    bool asked = false;
    const QDeadlineTimer deadline(AnswerMs);
    while (listing.repliesDue > 0 && !deadline.hasExpired()) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
            return {};
        if (state == PA_CONTEXT_READY && !asked) {
            asked = true;
            const auto serverInfo = [](pa_context *, const pa_server_info *info, void *data) {
                auto *listing = static_cast<Listing *>(data);
                if (info && info->default_source_name)
                    listing->defaultSource = QString::fromUtf8(info->default_source_name);
                --listing->repliesDue;
            };
            const auto sourceInfo = [](pa_context *, const pa_source_info *info, int end, void *data) {
                auto *listing = static_cast<Listing *>(data);
                if (end != 0)
                    --listing->repliesDue;
                else if (info)
                    listing->sources.append({QString::fromUtf8(info->name), QString::fromUtf8(info->description),
                                             info->monitor_of_sink != PA_INVALID_INDEX});
            };
            bool started = true;
            for (pa_operation *operation : {pa_context_get_server_info(context.get(), serverInfo, &listing),
                                            pa_context_get_source_info_list(context.get(), sourceInfo, &listing)}) {
                if (operation)
                    pa_operation_unref(operation);
                else
                    started = false;
            }
            if (!started)
                return {};
        }
        // Each wait is capped, so that a server that never answers cannot hold the thread past the deadline.
        if (pa_mainloop_prepare(loop.get(), int(std::max<qint64>(deadline.remainingTime(), 0)) * 1000) < 0
            || pa_mainloop_poll(loop.get()) < 0 || pa_mainloop_dispatch(loop.get()) < 0)
            return {};
    }
    return listing.repliesDue == 0 ? listing : Listing();
}
