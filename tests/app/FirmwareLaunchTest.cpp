#include "app/FirmwareLaunch.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "tests/support/FakeFiles.h"
#include "tests/support/FakeShell.h"

namespace kelvane {
namespace {

using testing::FakeFiles;
using testing::FakeShell;

constexpr char16_t kDir[] = u"/home/lumo/updates";
const std::string kBothSections =
    "[LumoA]\nversion=A1\nEXE=fwa.exe\n[LumoB]\nversion=B2\nEXE=fwb.exe\n";

struct LaunchCase {
    const char* name;
    std::u16string directory;
    std::optional<std::string> ini;  // none: no Kelvane.ini
    std::uint32_t model;
    std::optional<std::u16string> command;  // none: nothing started

    friend void PrintTo(const LaunchCase& c, std::ostream* os) { *os << c.name; }
};

class FirmwareLaunch : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(FirmwareLaunch, OpensTheComposedPathOrNothing) {
    const LaunchCase& c = GetParam();
    FakeFiles files;
    FakeShell shell;
    files.currentDirectory = c.directory;
    if (c.ini) {
        files.files[c.directory + u"/Kelvane.ini"] = {*c.ini, kFileAttributeReadOnly};
    }

    LaunchFirmwareProgram(files, shell, c.model);

    if (!c.command) {
        EXPECT_TRUE(shell.executions.empty());
        return;
    }
    ASSERT_EQ(shell.executions.size(), 1u);
    const auto& run = shell.executions[0];
    EXPECT_EQ(run.file, *c.command);
    EXPECT_EQ(run.verb, u"open");
    EXPECT_TRUE(run.owner.IsNull());
    EXPECT_FALSE(run.hasParameters);
    EXPECT_FALSE(run.hasDirectory);
    EXPECT_EQ(run.showCommand, 1);
}

std::string LaunchName(const ::testing::TestParamInfo<LaunchCase>& info) {
    return info.param.name;
}

const std::u16string kLongest = std::u16string(259 - 18 - 2 - 3, u'v');

INSTANTIATE_TEST_SUITE_P(
    Cases, FirmwareLaunch,
    ::testing::Values(
        LaunchCase{"LumoA", kDir, kBothSections, 68, u"/home/lumo/updates/A1/fwa.exe"},
        LaunchCase{"LumoBIgnoresLumoA", kDir, kBothSections, 91, u"/home/lumo/updates/B2/fwb.exe"},
        LaunchCase{"MissingFileGivesEmptyParts", kDir, std::nullopt, 68, u"/home/lumo/updates//"},
        LaunchCase{"MissingKey", kDir, "[LumoA]\nversion=A1\n", 68, u"/home/lumo/updates/A1/"},
        LaunchCase{"OnlyTheOtherSection", kDir, "[LumoA]\nversion=A1\nEXE=x\n", 91,
                   u"/home/lumo/updates//"},
        LaunchCase{"DeeperRelativeVersion", kDir, "[LumoA]\nversion=fw/2024\nEXE=go\n", 68,
                   u"/home/lumo/updates/fw/2024/go"},
        LaunchCase{"ShellCharactersStayLiteral", kDir,
                   "[LumoA]\nversion=a b;$(x)\nEXE=`y` & z.exe\n", 68,
                   u"/home/lumo/updates/a b;$(x)/`y` & z.exe"},
        LaunchCase{"Utf16File", kDir,
                   std::string("\xFF\xFE[\0L\0u\0m\0o\0A\0]\0\n\0E\0X\0E\0=\0\x16\x4E", 28), 68,
                   u"/home/lumo/updates//\u4E16"},
        LaunchCase{"RootDirectory", u"/", kBothSections, 68, u"//A1/fwa.exe"},
        LaunchCase{"OtherModelStartsNothing", kDir, kBothSections, 1, std::nullopt},
        LaunchCase{"LongestCommandThatFits", kDir,
                   "[LumoA]\nversion=" + std::string(kLongest.size(), 'v') + "\nEXE=e.x\n", 68,
                   std::u16string(kDir) + u"/" + kLongest + u"/e.x"},
        LaunchCase{"CommandThatWouldNotFit", kDir,
                   "[LumoA]\nversion=" + std::string(kLongest.size(), 'v') + "\nEXE=ex.y\n", 68,
                   std::nullopt},
        LaunchCase{"ValueCutToItsBufferIsNeverStarted", kDir,
                   "[LumoA]\nversion=" + std::string(400, 'v') + "\nEXE=e\n", 68, std::nullopt},
        LaunchCase{"DirectoryTooLongForTheIniPath", u"/" + std::u16string(250, u'd'), kBothSections,
                   68, std::nullopt},
        LaunchCase{"DirectoryTooLongForItsBuffer", u"/" + std::u16string(300, u'd'), kBothSections,
                   68, std::nullopt}),
    LaunchName);

TEST(FirmwareLaunch, ResetsTheIniAttributesThenReadsTheModelsSection) {
    FakeFiles files;
    FakeShell shell;
    files.files[u"/home/lumo/updates/Kelvane.ini"] = {
        kBothSections, kFileAttributeReadOnly | kFileAttributeHidden};

    LaunchFirmwareProgram(files, shell, 91);

    EXPECT_EQ(files.files[u"/home/lumo/updates/Kelvane.ini"].attributes, 0x80u);
    ASSERT_EQ(files.profileReads.size(), 2u);
    for (const auto& read : files.profileReads) {
        EXPECT_EQ(read.section, u"LumoB");
        EXPECT_EQ(read.fileName, u"/home/lumo/updates/Kelvane.ini");
        EXPECT_EQ(read.size, 260u);
    }
    EXPECT_EQ(files.profileReads[0].key, u"version");
    EXPECT_EQ(files.profileReads[1].key, u"EXE");
}

TEST(FirmwareLaunch, OtherModelStillResetsTheAttributesButReadsNothing) {
    FakeFiles files;
    FakeShell shell;
    files.files[u"/home/lumo/updates/Kelvane.ini"] = {kBothSections, kFileAttributeReadOnly};
    LaunchFirmwareProgram(files, shell, 5);
    EXPECT_EQ(files.files[u"/home/lumo/updates/Kelvane.ini"].attributes, 0x80u);
    EXPECT_TRUE(files.profileReads.empty());
}

TEST(FirmwareLaunch, DirectoryThatDoesNotFitTouchesNothing) {
    FakeFiles files;
    FakeShell shell;
    files.currentDirectory = u"/" + std::u16string(300, u'd');
    LaunchFirmwareProgram(files, shell, 68);
    EXPECT_TRUE(files.attributeChanges.empty());
    EXPECT_TRUE(files.profileReads.empty());
}

TEST(FirmwareLaunch, SectionsByModel) {
    EXPECT_EQ(std::u16string(FirmwareSection(68)), u"LumoA");
    EXPECT_EQ(std::u16string(FirmwareSection(91)), u"LumoB");
    for (const std::uint32_t model : {0u, 1u, 67u, 69u, 92u}) {
        EXPECT_EQ(FirmwareSection(model), nullptr) << model;
    }
}

}  // namespace
}  // namespace kelvane
