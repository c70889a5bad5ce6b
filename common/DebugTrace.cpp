#include "common/DebugTrace.h"

#include <utility>

namespace kelvane {
namespace {
// Everything runs on the user-interface thread, so one slot is enough.
const TraceListener* g_traceListener = nullptr;
}  // namespace

const TraceListener* detail::CurrentTraceListener() {
    return g_traceListener;
}

ScopedTraceListener::ScopedTraceListener(TraceListener listener)
    : m_listener(std::move(listener)), m_previous(g_traceListener) {
    g_traceListener = &m_listener;
}

ScopedTraceListener::~ScopedTraceListener() {
    g_traceListener = m_previous;
}

}  // namespace kelvane
