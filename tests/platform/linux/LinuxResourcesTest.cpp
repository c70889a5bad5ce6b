#include "platform/linux/LinuxResources.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <vector>

#include "lang/LanguageIni.h"
#include "res/ResourceIds.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/LanguageTableFile.h"

namespace kelvane {
namespace {

using testing::ReadLanguageTableFile;

TEST(LinuxResources, ServeTheLanguageTableFileByteForByte) {
    LinuxResources resources;
    const ModuleHandle program = resources.GetModuleHandleW(nullptr);
    const ResourceHandle found = resources.FindResourceW(program, MakeIntResource(kLanguageTableId),
                                                         ResourceText(kLanguageTableType));
    ASSERT_FALSE(found.IsNull());
    const GlobalHandle loaded = resources.LoadResource(program, found);
    ASSERT_FALSE(loaded.IsNull());
    const std::uint32_t size = resources.SizeofResource(program, found);
    const auto* bytes = static_cast<const std::uint8_t*>(resources.LockResource(loaded));
    ASSERT_NE(bytes, nullptr);

    EXPECT_EQ(size, 506u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + size), ReadLanguageTableFile());
}

struct FindCase {
    const char* name;
    ModuleHandle module;
    ResourceName resource;
    ResourceName type;
    bool found;

    friend void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }
};

class LinuxFindResourceTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(LinuxFindResourceTest, FindsByIdAndTypeAsWindowsDoes) {
    LinuxResources resources;
    const FindCase& c = GetParam();
    EXPECT_EQ(!resources.FindResourceW(c.module, c.resource, c.type).IsNull(), c.found);
}

std::string FindName(const ::testing::TestParamInfo<FindCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, LinuxFindResourceTest,
    ::testing::Values(FindCase{"ProgramModule", LinuxResources::kProgramModule,
                               MakeIntResource(129), ResourceText(u"INI_FILE"), true},
                      FindCase{"NullModuleIsTheProgram", ModuleHandle::Null(), MakeIntResource(129),
                               ResourceText(u"INI_FILE"), true},
                      FindCase{"TypeIgnoresCase", ModuleHandle::Null(), MakeIntResource(129),
                               ResourceText(u"ini_file"), true},
                      FindCase{"IdWrittenAsText", ModuleHandle::Null(), ResourceText(u"#129"),
                               ResourceText(u"INI_FILE"), true},
                      FindCase{"OtherId", ModuleHandle::Null(), MakeIntResource(130),
                               ResourceText(u"INI_FILE"), false},
                      FindCase{"IdTextNotANumber", ModuleHandle::Null(), ResourceText(u"#12x"),
                               ResourceText(u"INI_FILE"), false},
                      FindCase{"NameAsPlainText", ModuleHandle::Null(), ResourceText(u"129"),
                               ResourceText(u"INI_FILE"), false},
                      FindCase{"OtherType", ModuleHandle::Null(), MakeIntResource(129),
                               ResourceText(u"INI"), false},
                      FindCase{"IntegerType", ModuleHandle::Null(), MakeIntResource(129),
                               MakeIntResource(10), false},
                      FindCase{"OtherModule", ModuleHandle{0x7000}, MakeIntResource(129),
                               ResourceText(u"INI_FILE"), false}),
    FindName);

TEST(LinuxResources, RefuseHandlesTheyDidNotGive) {
    LinuxResources resources;
    EXPECT_TRUE(resources.LoadResource(ModuleHandle::Null(), ResourceHandle{7}).IsNull());
    EXPECT_EQ(resources.SizeofResource(ModuleHandle::Null(), ResourceHandle{7}), 0u);
    EXPECT_EQ(resources.LockResource(GlobalHandle{7}), nullptr);
    EXPECT_TRUE(resources.GetModuleHandleW(u"kernel32.dll").IsNull());
}

TEST(LinuxResources, CarryTheLanguageTableIntoTheTranslations) {
    testing::FakePlatform fake;
    LinuxResources resources;
    fake.Use(resources);
    CLanguageIni ini{fake.platform()};

    ASSERT_TRUE(ini.LoadFromResource(resources.GetModuleHandleW(nullptr), kLanguageTableId,
                                     kLanguageTableType));
    ASSERT_TRUE(ini.SelectSection(u"cht"));
    EXPECT_EQ(std::u16string(ini.GetText(u"Please plug in Lumo")), u"請插入 Lumo 印表機");
}

}  // namespace
}  // namespace kelvane
