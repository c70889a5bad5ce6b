#include "lang/LanguageIni.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>

#include "common/WideText.h"

namespace kelvane {
namespace {

// The table is UTF-16LE and is read in place as char16_t.
static_assert(std::endian::native == std::endian::little);

// Zero bytes kept after the table's own: they terminate its text, which has no terminator, and
// keep the step past the header of a last, empty section inside the block.
constexpr std::size_t kTrailingZeroBytes = 20;
// "[" + code + "]" and its terminator.
constexpr std::size_t kHeaderCapacity = 256;
// key + "=" and its terminator.
constexpr std::size_t kPatternCapacity = 512;

std::u16string_view OrEmpty(const char16_t* text) {
    return text != nullptr ? std::u16string_view(text) : std::u16string_view();
}

// Copies as much of `source` as fits into `capacity` characters and terminates it.
std::size_t CopyCut(char16_t* dest, std::size_t capacity, std::u16string_view source) {
    const std::size_t length = std::min(source.size(), capacity - 1);
    std::copy_n(source.begin(), length, dest);
    dest[length] = u'\0';
    return length;
}

}  // namespace

CLanguageIni::CLanguageIni(const Platform& platform) : m_platform(platform) {}

CLanguageIni::~CLanguageIni() = default;

bool CLanguageIni::LoadFromResource(ModuleHandle module, std::uint16_t id, const char16_t* type) {
    m_dwDataSize = 0;
    m_pData.reset();
    m_pSectionText.reset();

    Resources& resources = m_platform.resources;
    const ResourceHandle found =
        resources.FindResourceW(module, MakeIntResource(id), ResourceText(type));
    if (found.IsNull()) {
        return false;
    }
    const GlobalHandle loaded = resources.LoadResource(module, found);
    if (loaded.IsNull()) {
        return false;
    }
    const std::uint32_t size = resources.SizeofResource(module, found);
    const void* bytes = resources.LockResource(loaded);
    if (bytes == nullptr) {
        return false;
    }
    // On a 32-bit system a size near 4 GiB would wrap the block size around.
    if (size > std::numeric_limits<std::size_t>::max() - kTrailingZeroBytes - 1) {
        return false;
    }
    const std::size_t blockChars = (std::size_t{size} + kTrailingZeroBytes + 1) / sizeof(char16_t);
    std::unique_ptr<char16_t[]> data(new (std::nothrow) char16_t[blockChars]());
    if (!data) {
        return false;
    }
    std::unique_ptr<char16_t[]> sectionText(new (std::nothrow) char16_t[blockChars]());
    if (!sectionText) {
        return false;
    }
    std::memcpy(data.get(), bytes, size);
    m_pData = std::move(data);
    m_pSectionText = std::move(sectionText);
    m_dwDataSize = size;
    return true;
}

bool CLanguageIni::SelectSection(const char16_t* code) {
    CopyCut(m_szSection.data(), m_szSection.size(), OrEmpty(code));
    if (m_szSection[0] == u'\0') {
        return false;
    }
    if (!m_pData || !m_pSectionText) {
        return true;
    }
    m_pSectionText[0] = u'\0';
    return ExtractSection(m_szSection.data(), m_pSectionText.get(), m_dwDataSize, m_pData.get()) !=
           0;
}

const char16_t* CLanguageIni::GetText(const char16_t* key) {
    // A null key would ask the INI reader for the list of all keys.
    const char16_t* const keyText = key != nullptr ? key : u"";
    TextBuffer local{};
    if (m_pSectionText) {
        FindKeyValue(m_szSection.data(), keyText, keyText, local.data(), sizeof(local),
                     m_pSectionText.get());
    } else {
        // No table is held and no INI path is ever set, so this gives back the key.
        m_platform.files.GetPrivateProfileStringW(
            m_szSection.data(), keyText, keyText, local.data(),
            static_cast<std::uint32_t>(local.size()), m_szIniPath.data());
    }
    // Built in `local` first, so that a key that is m_szText itself survives.
    if (local[0] == u'\0') {
        CopyCut(local.data(), local.size(), keyText);
    }
    CopyCut(m_szText.data(), m_szText.size(), BufferText(local.data(), local.size()));
    return m_szText.data();
}

std::uint32_t CLanguageIni::ExtractSection(const char16_t* code, char16_t* destination,
                                           std::uint32_t capacity, const char16_t* source) {
    const std::size_t room = capacity / sizeof(char16_t);
    if (code == nullptr || destination == nullptr || source == nullptr || room == 0) {
        return 0;
    }
    // A code too long for the header buffer has no header to be found by.
    const std::u16string_view codeText(code);
    if (codeText.size() + 3 > kHeaderCapacity) {
        return 0;
    }
    std::array<char16_t, kHeaderCapacity> headerBuffer{};
    headerBuffer[0] = u'[';
    std::copy(codeText.begin(), codeText.end(), headerBuffer.begin() + 1);
    headerBuffer[codeText.size() + 1] = u']';
    const std::u16string_view header(headerBuffer.data(), codeText.size() + 2);

    const std::u16string_view text(source);
    const std::size_t at = text.find(header);
    if (at == std::u16string_view::npos) {
        return 0;
    }
    // The character after the header is the CR of its line end, so the body begins with the LF.
    const std::size_t start = at + header.size() + 1;
    std::size_t length = 0;
    if (start < text.size()) {
        const std::size_t bracket = text.find(u'[', start);
        if (bracket == std::u16string_view::npos) {
            length = text.size() - start;
        } else if (bracket > start + 1) {
            // Up to the character before the next header's "[", the LF that ends the blank line.
            length = bracket - start - 1;
        }
    }
    length = std::min(length, room - 1);
    std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(std::min(start, text.size())), length,
                destination);
    destination[length] = u'\0';
    return static_cast<std::uint32_t>(length);
}

std::uint32_t CLanguageIni::FindKeyValue(const char16_t* section, const char16_t* key,
                                         const char16_t* defaultText, char16_t* output,
                                         std::uint32_t outputSize, const char16_t* text) {
    if (text == nullptr || section == nullptr || key == nullptr || output == nullptr ||
        outputSize == 0 || key[0] == u'\0') {
        return 0;
    }
    std::memset(output, 0, outputSize);
    const std::size_t room = outputSize / sizeof(char16_t);
    if (room == 0) {
        return 0;
    }
    CopyCut(output, room, OrEmpty(defaultText));

    // A key too long for the pattern buffer is not looked for: cutting it would find another key.
    const std::u16string_view keyText(key);
    if (keyText.size() + 2 > kPatternCapacity) {
        return 0;
    }
    std::array<char16_t, kPatternCapacity> patternBuffer{};
    std::copy(keyText.begin(), keyText.end(), patternBuffer.begin());
    patternBuffer[keyText.size()] = u'=';
    const std::u16string_view pattern(patternBuffer.data(), keyText.size() + 1);

    const std::u16string_view body(text);
    std::size_t at = body.find(pattern);
    // Only an entry that begins a line counts; "ancel=" inside "Cancel=..." does not.
    while (at != std::u16string_view::npos && (at == 0 || body[at - 1] != u'\n')) {
        at = body.find(pattern, at + 1);
    }
    if (at == std::u16string_view::npos) {
        return 0;
    }
    std::u16string_view value = body.substr(at + pattern.size());
    value = value.substr(0, std::min(value.find_first_of(u"\r\n"), value.size()));
    return static_cast<std::uint32_t>(CopyCut(output, room, value));
}

}  // namespace kelvane
