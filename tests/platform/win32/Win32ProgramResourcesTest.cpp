// The resources of the built Kelvane.exe, read back from the file as Windows sees them: loaded
// as a data file, so the same test reads the 64-bit build's program and, given its path in the
// environment variable KELVANE_EXE (a path of the build machine), the 32-bit one.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "tests/platform/win32/Win32TestSupport.h"

namespace kelvane {
namespace {

// Chinese (Taiwan): every resource of the program is under this language and no other.
constexpr WORD kTaiwan = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);
static_assert(kTaiwan == 1028);

using testing::FromBuildMachine;

std::wstring ProgramPath() {
    const char* chosen = std::getenv("KELVANE_EXE");
    return FromBuildMachine(chosen != nullptr && *chosen != '\0' ? chosen : KELVANE_EXE_PATH);
}

std::vector<std::uint8_t> ReadSourceFile(const char* relative) {
    std::ifstream in(
        std::filesystem::path(FromBuildMachine(std::string(KELVANE_SOURCE_DIR "/") + relative)),
        std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = ::LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr)
            << "cannot load the program as a data file, error " << ::GetLastError();
    }
    void TearDown() override {
        if (m_module != nullptr) {
            ::FreeLibrary(m_module);
        }
    }

    // The bytes of one resource in the program's language; empty when there is none.
    std::vector<std::uint8_t> Bytes(LPCWSTR type, LPCWSTR name) const {
        const HRSRC found = ::FindResourceExW(m_module, type, name, kTaiwan);
        if (found == nullptr) {
            return {};
        }
        const auto* data =
            static_cast<const std::uint8_t*>(::LockResource(::LoadResource(m_module, found)));
        return {data, data + ::SizeofResource(m_module, found)};
    }

    HMODULE m_module = nullptr;
};

// ---- Dialog templates -----------------------------------------------------------------------

// A reader of the packed template records: words, double words and sz-or-ordinal fields.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    bool failed() const { return m_failed; }

    std::uint16_t Word() {
        if (m_at + 2 > m_bytes.size()) {
            m_failed = true;
            return 0;
        }
        const auto value = static_cast<std::uint16_t>(m_bytes[m_at] | (m_bytes[m_at + 1] << 8));
        m_at += 2;
        return value;
    }
    std::uint32_t DoubleWord() {
        const std::uint32_t low = Word();
        return low | (static_cast<std::uint32_t>(Word()) << 16);
    }
    std::uint8_t Byte() {
        if (m_at >= m_bytes.size()) {
            m_failed = true;
            return 0;
        }
        return m_bytes[m_at++];
    }
    std::wstring Text() {
        std::wstring text;
        for (std::uint16_t c = Word(); c != 0 && !m_failed; c = Word()) {
            text += static_cast<wchar_t>(c);
        }
        return text;
    }
    // An ordinal is shown as "#" and its number.
    std::wstring TextOrOrdinal() {
        if (m_at + 2 <= m_bytes.size() && m_bytes[m_at] == 0xFF && m_bytes[m_at + 1] == 0xFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }
    void AlignToDoubleWord() { m_at = (m_at + 3) & ~std::size_t{3}; }
    void Skip(std::size_t count) { m_at += count; }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_at = 0;
    bool m_failed = false;
};

struct Control {
    std::int32_t id;
    std::wstring windowClass;  // the predefined classes by their ordinal: #128 button, #130 static
    std::wstring text;
    std::int16_t x, y, width, height;
    std::uint32_t style;
    std::uint32_t exStyle;

    bool operator==(const Control&) const = default;
};

struct Dialog {
    bool extended;
    std::uint32_t style, exStyle;
    std::int16_t x, y, width, height;
    std::wstring menu, windowClass, caption;
    std::uint16_t fontPoints, fontWeight;
    std::uint8_t fontItalic, fontCharset;
    std::wstring fontFace;
    std::vector<Control> controls;

    bool operator==(const Dialog&) const = default;
};

void PrintText(const std::wstring& text, std::ostream* os) {
    *os << '"';
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            *os << static_cast<char>(c);
        } else {
            *os << "\\u" << std::hex << static_cast<unsigned>(c) << std::dec;
        }
    }
    *os << '"';
}

void PrintTo(const Control& c, std::ostream* os) {
    *os << "{id " << c.id << " class ";
    PrintText(c.windowClass, os);
    *os << " text ";
    PrintText(c.text, os);
    *os << " at " << c.x << "," << c.y << " size " << c.width << "x" << c.height << " style 0x"
        << std::hex << c.style << " exstyle 0x" << c.exStyle << std::dec << "}";
}

void PrintTo(const Dialog& d, std::ostream* os) {
    *os << (d.extended ? "DIALOGEX" : "DIALOG") << " style 0x" << std::hex << d.style
        << " exstyle 0x" << d.exStyle << std::dec << " at " << d.x << "," << d.y << " size "
        << d.width << "x" << d.height << " menu ";
    PrintText(d.menu, os);
    *os << " class ";
    PrintText(d.windowClass, os);
    *os << " caption ";
    PrintText(d.caption, os);
    *os << " font " << d.fontPoints << " weight " << d.fontWeight << " italic " << int{d.fontItalic}
        << " charset " << int{d.fontCharset} << " ";
    PrintText(d.fontFace, os);
    for (const Control& c : d.controls) {
        *os << "\n  ";
        PrintTo(c, os);
    }
}

// Reads a classic or an extended template. Classic templates store no font weight, italic flag
// or character set, and no help ids; those read as 0 (the charset of a classic one as 1, what
// the dialog manager uses for it).
bool ParseDialog(const std::vector<std::uint8_t>& bytes, Dialog& dialog) {
    TemplateReader in(bytes);
    const std::uint16_t version = in.Word();
    const std::uint16_t signature = in.Word();
    dialog.extended = version == 1 && signature == 0xFFFF;
    std::uint16_t count = 0;
    if (dialog.extended) {
        in.DoubleWord();  // help id
        dialog.exStyle = in.DoubleWord();
        dialog.style = in.DoubleWord();
    } else {
        dialog.style = static_cast<std::uint32_t>(version) | (std::uint32_t{signature} << 16);
        dialog.exStyle = in.DoubleWord();
    }
    count = in.Word();
    dialog.x = static_cast<std::int16_t>(in.Word());
    dialog.y = static_cast<std::int16_t>(in.Word());
    dialog.width = static_cast<std::int16_t>(in.Word());
    dialog.height = static_cast<std::int16_t>(in.Word());
    dialog.menu = in.TextOrOrdinal();
    dialog.windowClass = in.TextOrOrdinal();
    dialog.caption = in.Text();
    dialog.fontPoints = 0;
    dialog.fontWeight = 0;
    dialog.fontItalic = 0;
    dialog.fontCharset = 0;
    if ((dialog.style & DS_SETFONT) != 0) {
        dialog.fontPoints = in.Word();
        if (dialog.extended) {
            dialog.fontWeight = in.Word();
            dialog.fontItalic = in.Byte();
            dialog.fontCharset = in.Byte();
        } else {
            dialog.fontCharset = DEFAULT_CHARSET;
        }
        dialog.fontFace = in.Text();
    }
    for (std::uint16_t i = 0; i < count && !in.failed(); ++i) {
        in.AlignToDoubleWord();
        Control control{};
        if (dialog.extended) {
            in.DoubleWord();  // help id
            control.exStyle = in.DoubleWord();
            control.style = in.DoubleWord();
        } else {
            control.style = in.DoubleWord();
            control.exStyle = in.DoubleWord();
        }
        control.x = static_cast<std::int16_t>(in.Word());
        control.y = static_cast<std::int16_t>(in.Word());
        control.width = static_cast<std::int16_t>(in.Word());
        control.height = static_cast<std::int16_t>(in.Word());
        control.id = dialog.extended ? static_cast<std::int32_t>(in.DoubleWord())
                                     : static_cast<std::int16_t>(in.Word());
        control.windowClass = in.TextOrOrdinal();
        control.text = in.TextOrOrdinal();
        in.Skip(in.Word());  // creation data
        dialog.controls.push_back(control);
    }
    return !in.failed();
}

// The predefined window classes by name, as a resource compiler may also store them.
std::wstring ClassOrdinal(const std::wstring& windowClass) {
    if (_wcsicmp(windowClass.c_str(), L"Button") == 0) {
        return L"#128";
    }
    if (_wcsicmp(windowClass.c_str(), L"Static") == 0) {
        return L"#130";
    }
    return windowClass;
}

struct DialogCase {
    const char* name;
    WORD id;
    Dialog expected;

    friend void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }
};

const DialogCase kDialogCases[] = {
    {"MainDialog",
     102,
     {true,
      0x90C800C0,
      0x00040000,
      0,
      0,
      312,
      109,
      L"",
      L"",
      L"Orvane Kelvane",
      9,
      0,
      0,
      1,
      L"\u65B0\u7D30\u660E\u9AD4",
      {{1, L"#128", L"\u78BA\u5B9A", 255, 7, 50, 14, 0x40010001, 0},
       {2, L"#128", L"\u53D6\u6D88", 131, 88, 50, 14, 0x50010000, 0},
       {1000, L"#130", L"Please plug in Lumo", 100, 40, 110, 18, 0x50020201, 0}}}},
    {"AboutBox",
     100,
     {false,
      0x80C800C0,
      0,
      0,
      0,
      235,
      55,
      L"",
      L"",
      L"\u95DC\u65BC Kelvane",
      9,
      0,
      0,
      1,
      L"\u65B0\u7D30\u660E\u9AD4",
      {{-1, L"#130", L"#128", 11, 17, 20, 20, 0x50000003, 0},
       {-1, L"#130", L"Kelvane Version 1.0", 40, 10, 119, 8, 0x50020080, 0},
       {-1, L"#130", L"Copyright (C) 2026 Orvane", 40, 25, 119, 8, 0x50020000, 0},
       {1, L"#128", L"\u78BA\u5B9A", 178, 7, 50, 14, 0x50030001, 0}}}},
};

class ProgramDialogTemplates : public ProgramResources,
                               public ::testing::WithParamInterface<DialogCase> {};

TEST_P(ProgramDialogTemplates, MatchTheDialogAsDesigned) {
    const DialogCase& c = GetParam();
    const std::vector<std::uint8_t> bytes = Bytes(RT_DIALOG, MAKEINTRESOURCEW(c.id));
    ASSERT_FALSE(bytes.empty()) << "no dialog " << c.id << " in language 1028";
    Dialog dialog{};
    ASSERT_TRUE(ParseDialog(bytes, dialog)) << "the template ends early";
    for (Control& control : dialog.controls) {
        control.windowClass = ClassOrdinal(control.windowClass);
    }
    EXPECT_EQ(dialog, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Kelvane, ProgramDialogTemplates, ::testing::ValuesIn(kDialogCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// ---- String table, language table, icon, version ------------------------------------------

TEST_F(ProgramResources, StringOneHundredOneIsTheAboutItemWithItsAccessKey) {
    // Strings come in blocks of 16: string 101 is the sixth of block 7.
    const std::vector<std::uint8_t> block = Bytes(RT_STRING, MAKEINTRESOURCEW(101 / 16 + 1));
    ASSERT_FALSE(block.empty());
    TemplateReader in(block);
    std::wstring text;
    for (int i = 0; i <= 101 % 16; ++i) {
        const std::uint16_t length = in.Word();
        text.clear();
        for (std::uint16_t k = 0; k < length; ++k) {
            text += static_cast<wchar_t>(in.Word());
        }
    }
    ASSERT_FALSE(in.failed());
    EXPECT_EQ(text, L"\u95DC\u65BC Kelvane(&A)...");
}

TEST_F(ProgramResources, LanguageTableIsTheTextFileByteForByte) {
    const std::vector<std::uint8_t> expected = ReadSourceFile("res/LanguageTable.ini");
    ASSERT_EQ(expected.size(), 506U);
    EXPECT_EQ(Bytes(L"INI_FILE", MAKEINTRESOURCEW(129)), expected);
}

TEST_F(ProgramResources, IconHoldsTheTwoImagesOfTheIconFile) {
    const std::vector<std::uint8_t> group = Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(128));
    const std::vector<std::uint8_t> file = ReadSourceFile("res/kelvane.ico");
    ASSERT_GE(group.size(), 6U + 2 * 14);
    ASSERT_GE(file.size(), 6U + 2 * 16);
    TemplateReader in(group);
    EXPECT_EQ(in.Word(), 0);
    EXPECT_EQ(in.Word(), 1);  // icons
    ASSERT_EQ(in.Word(), 2);
    TemplateReader fileIn(file);
    fileIn.Skip(6);
    const int expectedSizes[] = {32, 16};
    for (const int size : expectedSizes) {
        SCOPED_TRACE(size);
        EXPECT_EQ(in.Byte(), size);
        EXPECT_EQ(in.Byte(), size);
        EXPECT_EQ(in.Byte(), 16);  // colours
        in.Byte();
        EXPECT_EQ(in.Word(), 1);  // planes
        EXPECT_EQ(in.Word(), 4);  // bits per pixel
        const std::uint32_t length = in.DoubleWord();
        const std::uint16_t imageId = in.Word();

        fileIn.Skip(8);
        const std::uint32_t fileLength = fileIn.DoubleWord();
        const std::uint32_t fileOffset = fileIn.DoubleWord();
        ASSERT_LE(std::size_t{fileOffset} + fileLength, file.size());
        const std::vector<std::uint8_t> fileImage(file.begin() + fileOffset,
                                                  file.begin() + fileOffset + fileLength);
        const std::vector<std::uint8_t> image = Bytes(RT_ICON, MAKEINTRESOURCEW(imageId));
        EXPECT_EQ(image.size(), length);
        EXPECT_TRUE(image == fileImage) << "image " << imageId << " differs from the icon file";
        // 4 bits per pixel, colour and mask: the header's height is twice the width.
        ASSERT_GE(image.size(), 40U);
        TemplateReader header(image);
        EXPECT_EQ(header.DoubleWord(), 40U);
        EXPECT_EQ(header.DoubleWord(), static_cast<std::uint32_t>(size));
        EXPECT_EQ(header.DoubleWord(), static_cast<std::uint32_t>(2 * size));
        EXPECT_EQ(header.Word(), 1);
        EXPECT_EQ(header.Word(), 4);
        // Header, 16 palette entries, the colour rows and the mask rows (padded to 4 bytes).
        const auto pixels = static_cast<std::size_t>(size);
        const std::size_t maskRow = (pixels + 31) / 32 * 4;
        EXPECT_EQ(image.size(), 40 + 64 + pixels * pixels / 2 + maskRow * pixels);
    }
}

struct VersionTextCase {
    const char* name;
    const wchar_t* key;
    const wchar_t* expected;

    friend void PrintTo(const VersionTextCase& c, std::ostream* os) { *os << c.name; }
};

const VersionTextCase kVersionTexts[] = {
    {"CompanyName", L"CompanyName", L""},
    {"FileDescription", L"FileDescription", L"Kelvane MFC Application"},
    {"FileVersion", L"FileVersion", L"1, 0, 0, 1"},
    {"InternalName", L"InternalName", L"Kelvane"},
    {"LegalCopyright", L"LegalCopyright", L"Copyright (C) 2026 Orvane"},
    {"OriginalFilename", L"OriginalFilename", L"Kelvane.EXE"},
    {"ProductName", L"ProductName", L"Kelvane Application"},
    {"ProductVersion", L"ProductVersion", L"1, 0, 0, 1"},
};

class ProgramVersionTexts : public ProgramResources,
                            public ::testing::WithParamInterface<VersionTextCase> {};

TEST_P(ProgramVersionTexts, AreInTheTaiwanUnicodeBlock) {
    const VersionTextCase& c = GetParam();
    std::vector<std::uint8_t> record = Bytes(RT_VERSION, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(record.empty()) << "no version record in language 1028";
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040404B0\\") + c.key;
    ASSERT_TRUE(::VerQueryValueW(record.data(), path.c_str(), &value, &length))
        << "no value " << c.name;
    // The length counts the terminator, except that an empty value may report 0.
    const std::wstring text(static_cast<const wchar_t*>(value));
    EXPECT_EQ(text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Kelvane, ProgramVersionTexts, ::testing::ValuesIn(kVersionTexts),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(ProgramResources, VersionNumbersAndTranslationAreOneZeroZeroOneInTaiwanUnicode) {
    std::vector<std::uint8_t> record = Bytes(RT_VERSION, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(record.empty());
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDU);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000U);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001U);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000U);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001U);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4U);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0404);
    EXPECT_EQ(translation[1], 1200);
}

// ---- Every resource, and only under Chinese (Taiwan) --------------------------------------

struct Listing {
    HMODULE module;
    std::vector<std::wstring> entries;  // "type/name/language"
};

std::wstring NameText(LPCWSTR name) {
    return IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name))
                                : std::wstring(name);
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
    reinterpret_cast<Listing*>(param)->entries.push_back(NameText(type) + L"/" + NameText(name) +
                                                         L"/" + std::to_wstring(language));
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    ::EnumResourceLanguagesW(module, type, name, &AddLanguage, param);
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPWSTR type, LONG_PTR param) {
    ::EnumResourceNamesW(module, type, &AddName, param);
    return TRUE;
}

TEST_F(ProgramResources, HoldsExactlyTheProgramsResourcesAllInLanguage1028) {
    Listing listing{m_module, {}};
    ::EnumResourceTypesW(m_module, &AddType, reinterpret_cast<LONG_PTR>(&listing));
    // Types by number: 3 icon, 5 dialog, 6 string block, 14 icon group, 16 version.
    // In the order of their texts.
    const std::vector<std::wstring> expected = {
        L"#14/#128/1028", L"#16/#1/1028",  L"#3/#1/1028", L"#3/#2/1028",
        L"#5/#100/1028",  L"#5/#102/1028", L"#6/#7/1028", L"INI_FILE/#129/1028"};
    std::vector<std::wstring> found = listing.entries;
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace kelvane
