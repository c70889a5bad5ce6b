#include "platform/linux/LinuxFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "common/Utf8.h"
#include "common/WideText.h"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

class LinuxFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/kelvane-files-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        m_dir = name;
        m_previous = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(m_previous);
        std::error_code ignored;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }

    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::u16string Read(const fs::path& file, const char16_t* section, const char16_t* key,
                        std::uint32_t size = 260) {
        std::array<char16_t, 300> buffer;
        buffer.fill(u'#');
        const std::u16string name = Utf8ToUtf16(file.string());
        const std::uint32_t copied = files.GetPrivateProfileStringW(
            section, key, u"dflt", buffer.data(), size, name.c_str());
        const std::u16string value(BufferText(buffer.data(), buffer.size()));
        EXPECT_EQ(copied, value.size());
        return value;
    }

    LinuxFiles files;
    fs::path m_dir;
    fs::path m_previous;
};

TEST_F(LinuxFilesTest, CurrentDirectoryFitsOrReportsWhatItNeeds) {
    fs::current_path(m_dir);
    const std::u16string expected = Utf8ToUtf16(fs::current_path().string());
    std::array<char16_t, 260> buffer{};

    EXPECT_EQ(files.GetCurrentDirectoryW(260, buffer.data()), expected.size());
    EXPECT_EQ(BufferText(buffer.data(), buffer.size()), expected);

    buffer.fill(u'#');
    const auto tight = static_cast<std::uint32_t>(expected.size());
    EXPECT_EQ(files.GetCurrentDirectoryW(tight, buffer.data()), expected.size() + 1);
    EXPECT_EQ(buffer[0], u'#') << "nothing written when it does not fit";
}

TEST_F(LinuxFilesTest, CurrentDirectoryLongerThanAnyPathBuffer) {
    fs::path deep = m_dir;
    for (int level = 0; level < 30; ++level) {
        deep /= std::string(100, static_cast<char>('a' + level % 26));
    }
    fs::create_directories(deep);
    fs::current_path(deep);
    std::array<char16_t, 260> buffer{};
    EXPECT_GT(files.GetCurrentDirectoryW(260, buffer.data()), 3000u);
    EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(LinuxFilesTest, AttributeResetMakesTheFileWritableForItsOwner) {
    const fs::path ini = Write("Kelvane.ini", "[LumoA]\n");
    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_TRUE(files.SetFileAttributesW(Utf8ToUtf16(ini.string()).c_str(), 0x80));
    const auto permissions = fs::status(ini).permissions();
    EXPECT_NE(permissions & fs::perms::owner_write, fs::perms::none);
    EXPECT_NE(permissions & fs::perms::group_read, fs::perms::none) << "nothing else changes";
    EXPECT_EQ(permissions & fs::perms::others_write, fs::perms::none);

    EXPECT_FALSE(files.SetFileAttributesW(Utf8ToUtf16((m_dir / "missing").string()).c_str(), 0x80));
    EXPECT_FALSE(fs::exists(m_dir / "missing"));
}

TEST_F(LinuxFilesTest, ReadsUtf8AndUtf16Files) {
    using namespace std::string_literals;
    EXPECT_EQ(
        Read(Write("a.ini", "\xEF\xBB\xBF[LumoA]\r\nEXE=\xE5\x8F\x96.exe\r\n"), u"LumoA", u"EXE"),
        u"\u53D6.exe");
    EXPECT_EQ(Read(Write("b.ini", "\xFF\xFE[\0L\0]\0\r\0\n\0k\0=\0v\0"s), u"l", u"K"), u"v");
}

TEST_F(LinuxFilesTest, KeepsAtMostSizeMinusOneCharacters) {
    const fs::path ini = Write("c.ini", "[s]\nk=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(Read(ini, u"s", u"k"), std::u16string(259, u'x'));
    EXPECT_EQ(Read(ini, u"s", u"k", 4), u"xxx");
    EXPECT_EQ(Read(ini, u"s", u"missing", 3), u"df");
}

struct BadFileCase {
    const char* name;
    std::string bytes;  // empty: nothing is written there
    bool directory;

    friend void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.name; }
};

class BadProfiles : public LinuxFilesTest, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(BadProfiles, YieldTheDefault) {
    const fs::path path = m_dir / "Kelvane.ini";
    if (GetParam().directory) {
        fs::create_directory(path);
    } else if (!GetParam().bytes.empty()) {
        Write("Kelvane.ini", GetParam().bytes);
    }
    EXPECT_EQ(Read(path, u"LumoA", u"EXE"), u"dflt");
}

std::string BadName(const ::testing::TestParamInfo<BadFileCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadProfiles,
    ::testing::Values(BadFileCase{"Missing", "", false}, BadFileCase{"Directory", "", true},
                      BadFileCase{"Binary",
                                  std::string("\x7F"
                                              "ELF\0\0\x01\x02[LumoA\0EXE",
                                              16),
                                  false},
                      BadFileCase{"MegabyteLine", "[LumoA]\nX=" + std::string(1 << 20, 'y'), false},
                      BadFileCase{"OddUtf16", std::string("\xFF\xFE[\0", 4), false}),
    BadName);

TEST_F(LinuxFilesTest, MegabyteLineDoesNotHideWhatFollows) {
    const fs::path ini =
        Write("d.ini", "[LumoA]\nX=" + std::string(1 << 20, 'y') + "\r\nEXE=after\r\n");
    EXPECT_EQ(Read(ini, u"LumoA", u"EXE"), u"after");
}

TEST_F(LinuxFilesTest, HugeFileIsNotReadAtAll) {
    const fs::path ini = Write("e.ini", "[LumoA]\nEXE=x\n");
    fs::resize_file(ini, LinuxFiles::kLargestProfile + 1);
    EXPECT_EQ(Read(ini, u"LumoA", u"EXE"), u"dflt");
}

TEST_F(LinuxFilesTest, FifoIsNotWaitedOn) {
    const fs::path fifo = m_dir / "Kelvane.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Read(fifo, u"LumoA", u"EXE"), u"dflt");
}

}  // namespace
}  // namespace kelvane
