#pragma once

#include <functional>
#include <string_view>

#include "common/WideFormat.h"

namespace kelvane {

// Receives every trace line while attached: the format as written at the trace point and the
// line formatted from it. Diagnostic builds and tests attach one; the program never does.
using TraceListener = std::function<void(std::u16string_view format, std::u16string_view line)>;

namespace detail {
const TraceListener* CurrentTraceListener();
}

// The trace sink. It takes a wide printf-style format and its values and discards them, so no
// behaviour depends on a trace point; the values are only formatted while a listener is attached.
template <typename... Args>
void DebugTrace(const char16_t* format, const Args&... args) {
    if (const TraceListener* listener = detail::CurrentTraceListener()) {
        const std::u16string line = FormatWide(format, {FormatArg(args)...});
        (*listener)(format, line);
    }
}

// Attaches a listener for its own lifetime and restores the previous one afterwards.
class ScopedTraceListener {
public:
    explicit ScopedTraceListener(TraceListener listener);
    ~ScopedTraceListener();
    ScopedTraceListener(const ScopedTraceListener&) = delete;
    ScopedTraceListener& operator=(const ScopedTraceListener&) = delete;

private:
    TraceListener m_listener;
    const TraceListener* m_previous;
};

}  // namespace kelvane
