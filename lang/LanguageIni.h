#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/Platform.h"

namespace kelvane {

// Window, item and menu texts are read into, and translated in, buffers of this many characters,
// the terminator included.
inline constexpr std::size_t kLanguageTextCapacity = 1024;

// The program's embedded language table: an INI-style UTF-16 text whose sections are language
// codes, whose keys are the texts of the untranslated dialog and whose values are the texts to
// show instead. A lookup never fails visibly; whatever is missing, the key stands as its own text.
class CLanguageIni {
public:
    explicit CLanguageIni(const Platform& platform);
    virtual ~CLanguageIni();
    CLanguageIni(const CLanguageIni&) = delete;
    CLanguageIni& operator=(const CLanguageIni&) = delete;

    // Takes a copy of resource `id` of type `type` in `module`. True when its bytes are held.
    // Whatever was held before is released first, also when this load fails.
    bool LoadFromResource(ModuleHandle module, std::uint16_t id, const char16_t* type);

    // Extracts the body of section `code` for later lookups. True when the body is not empty, and
    // when no table is held; false for an empty code (which changes nothing) or a section that is
    // missing or empty (which leaves no section text).
    bool SelectSection(const char16_t* code);

    // The value of `key` in the selected section, or `key` itself when there is none or it is
    // empty. The text stays valid until the next lookup.
    const char16_t* GetText(const char16_t* key);

    // Copies the body of section `code` of the table text `source` into `destination`, whose size
    // is `capacity` bytes, and terminates it. The body runs from the character after the header's
    // own CR up to, not including, the character before the next "[". Returns its length in
    // characters, 0 on any failure.
    static std::uint32_t ExtractSection(const char16_t* code, char16_t* destination,
                                        std::uint32_t capacity, const char16_t* source);

    // Looks `key` up in the section body `text` with the arguments of GetPrivateProfileStringW
    // (the body in place of the file name; `outputSize` in bytes). An entry counts only where it
    // begins a line. Returns the length of the value stored in `output`, else 0 with `output`
    // holding `defaultText`; with a missing argument or an empty key `output` is not touched.
    static std::uint32_t FindKeyValue(const char16_t* section, const char16_t* key,
                                      const char16_t* defaultText, char16_t* output,
                                      std::uint32_t outputSize, const char16_t* text);

    // Replaces the texts of `window`, of its direct children, of the items of its combo boxes,
    // of the column titles and first-column texts of its list views, and of its menu bar, by
    // their translations. Returns 0.
    std::int32_t TranslateWindow(WindowHandle window);
    // The steps of TranslateWindow.
    bool TranslateComboBox(WindowHandle combo);
    bool TranslateListBox(WindowHandle list);
    bool TranslateHeader(WindowHandle header);
    bool TranslateListView(WindowHandle list);
    std::int32_t TranslateMenu(MenuHandle menu, WindowHandle window);

private:
    using TextBuffer = std::array<char16_t, kLanguageTextCapacity>;
    bool TranslateListItems(WindowHandle box, const ListMessages& kind);

    Platform m_platform;
    TextBuffer m_szIniPath{};
    TextBuffer m_szSection{};
    TextBuffer m_szText{};
    TextBuffer m_szWork{};
    std::uint32_t m_dwDataSize = 0;
    std::unique_ptr<char16_t[]> m_pData;
    std::unique_ptr<char16_t[]> m_pSectionText;
};

}  // namespace kelvane
