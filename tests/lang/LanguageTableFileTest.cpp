#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

#include "tests/support/LanguageTableFile.h"

namespace kelvane {
namespace {

using testing::ReadLanguageTableFile;
using testing::TableBytes;

// The embedded table, line by line.
constexpr std::array<std::u16string_view, 34> kLines = {
    u"[eng]",
    u"Please plug in Lumo=Please plug in Lumo",
    u"Cancel=Cancel",
    u"",
    u"",
    u"[cht]",
    u"Please plug in Lumo=請插入 Lumo 印表機",
    u"Cancel=取消",
    u"",
    u"",
    u"[chs]",
    u"Please plug in Lumo=请插入 Lumo 打印机",
    u"Cancel=取消",
    u"",
    u"",
    u"[frn]",
    u"",
    u"",
    u"[ger]",
    u"",
    u"",
    u"[ita]",
    u"",
    u"",
    u"[spn]",
    u"",
    u"",
    u"[jpn]",
    u"",
    u"",
    u"[krn]",
    u"",
    u"",
    u"[prt]",
};

TEST(LanguageTableFile, HoldsTheThirtyFourLinesAsUtf16WithMarkAndCrLf) {
    std::u16string text;
    for (const std::u16string_view line : kLines) {
        text.append(line).append(u"\r\n");
    }
    const std::vector<std::uint8_t> file = ReadLanguageTableFile();

    ASSERT_EQ(file.size(), 506u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xFE);
    // The last line ends with CR LF and nothing follows: no terminator.
    EXPECT_EQ((std::vector<std::uint8_t>(file.end() - 4, file.end())),
              (std::vector<std::uint8_t>{0x0D, 0x00, 0x0A, 0x00}));
    EXPECT_EQ(file, TableBytes(text));
}

}  // namespace
}  // namespace kelvane
