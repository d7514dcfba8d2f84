#include "PulseSourceList.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/thread-mainloop.h>

PulseSourceList::PulseSourceList(QObject *parent)
    : QObject(parent)
{
}

PulseSourceList::~PulseSourceList()
{
    if (!m_loop)
        return;
    pa_threaded_mainloop_stop(m_loop);
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    pa_threaded_mainloop_free(m_loop);
}

void PulseSourceList::fetch()
{
    if (m_loop)
        return;
    m_loop = pa_threaded_mainloop_new();
    if (m_loop)
        m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Quillsound");
    if (!m_context) {
        emit listed({}, {});
        return;
    }
    pa_context_set_state_callback(m_context, &PulseSourceList::contextChanged, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(m_loop) < 0)
        emit listed({}, {});
}

// Runs in libpulse's thread.
void PulseSourceList::contextChanged(pa_context *context, void *data)
{
    auto *self = static_cast<PulseSourceList *>(data);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        self->m_repliesDue = 2;
        const auto serverInfo = [](pa_context *, const pa_server_info *info, void *data) {
            auto *self = static_cast<PulseSourceList *>(data);
            if (info && info->default_source_name)
                self->m_defaultSource = QString::fromUtf8(info->default_source_name);
            self->answer();
        };
        const auto sourceInfo = [](pa_context *, const pa_source_info *info, int end, void *data) {
            auto *self = static_cast<PulseSourceList *>(data);
            if (end != 0) {
                self->answer();
                return;
            }
            if (info)
                self->m_sources.append({QString::fromUtf8(info->name), QString::fromUtf8(info->description),
                                        info->monitor_of_sink != PA_INVALID_INDEX});
        };
        self->started(pa_context_get_server_info(context, serverInfo, self));
        self->started(pa_context_get_source_info_list(context, sourceInfo, self));
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        self->m_sources.clear();
        self->m_repliesDue = 1;
        self->answer();
        break;
    default:
        break;
    }
}

void PulseSourceList::started(pa_operation *operation)
{
    if (operation)
        pa_operation_unref(operation);
    else
        answer();
}

void PulseSourceList::answer()
{
    if (--m_repliesDue > 0 || m_answered)
        return;
    m_answered = true;
    emit listed(m_sources, m_defaultSource);
}
