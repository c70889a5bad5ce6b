#include "common/DebugTrace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvane {
namespace {

TEST(DebugTrace, ReachesTheAttachedListenerWithFormatAndLine) {
    std::vector<std::pair<std::u16string, std::u16string>> seen;
    {
        ScopedTraceListener listener([&](std::u16string_view format, std::u16string_view line) {
            seen.emplace_back(format, line);
        });
        DebugTrace(u"m_dwModelSN = %d,\n", 68u);
    }
    DebugTrace(u"after = %d\n", 1);

    ASSERT_EQ(seen.size(), 1u) << "nothing is delivered once the listener is detached";
    EXPECT_EQ(seen[0].first, u"m_dwModelSN = %d,\n");
    EXPECT_EQ(seen[0].second, u"m_dwModelSN = 68,\n");
}

TEST(DebugTrace, InnerListenerRestoresTheOuterOne) {
    int outer = 0;
    int inner = 0;
    ScopedTraceListener first([&](std::u16string_view, std::u16string_view) { ++outer; });
    {
        ScopedTraceListener second([&](std::u16string_view, std::u16string_view) { ++inner; });
        DebugTrace(u"x");
    }
    DebugTrace(u"y");
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(outer, 1);
}

}  // namespace
}  // namespace kelvane
