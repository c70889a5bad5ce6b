#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/DebugTrace.h"

namespace kelvane::testing {

// Collects the trace lines issued during its lifetime.
class TraceRecorder {
public:
    struct Line {
        std::u16string format;
        std::u16string text;
    };

    TraceRecorder()
        : m_listener([this](std::u16string_view format, std::u16string_view text) {
              lines.push_back({std::u16string(format), std::u16string(text)});
          }) {}

    // The formatted lines whose format starts with `formatPrefix`, in order.
    std::vector<std::u16string> Texts(std::u16string_view formatPrefix = {}) const {
        std::vector<std::u16string> texts;
        for (const Line& line : lines) {
            if (line.format.starts_with(formatPrefix)) {
                texts.push_back(line.text);
            }
        }
        return texts;
    }

    std::vector<Line> lines;

private:
    ScopedTraceListener m_listener;
};

}  // namespace kelvane::testing
