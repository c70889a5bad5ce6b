#include "platform/linux/DialogFrontEnd.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kelvane {
namespace {

struct SessionCase {
    const char* name;
    const char* qtPlatform;
    const char* display;
    const char* waylandDisplay;
    bool graphical;
};

void PrintTo(const SessionCase& session, std::ostream* out) {
    *out << session.name;
}

class DialogFrontEndTest : public ::testing::TestWithParam<SessionCase> {};

TEST_P(DialogFrontEndTest, WindowsOnlyWhereADisplayOrAQtPlatformIsNamed) {
    const SessionCase& session = GetParam();
    EXPECT_EQ(HasGraphicalSession(session.qtPlatform, session.display, session.waylandDisplay),
              session.graphical);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, DialogFrontEndTest,
    ::testing::Values(SessionCase{"Nothing", nullptr, nullptr, nullptr, false},
                      SessionCase{"AllEmpty", "", "", "", false},
                      SessionCase{"X11", nullptr, ":0", nullptr, true},
                      SessionCase{"Wayland", nullptr, "", "wayland-0", true},
                      SessionCase{"OffscreenWithoutDisplay", "offscreen", nullptr, nullptr, true}),
    [](const ::testing::TestParamInfo<SessionCase>& param) { return param.param.name; });

}  // namespace
}  // namespace kelvane
