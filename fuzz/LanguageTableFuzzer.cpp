// Any table bytes, any language code and any key: lookups stay inside their buffers.
#include <vector>

#include "fuzz/FuzzInput.h"
#include "lang/LanguageIni.h"
#include "tests/support/FakePlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kelvane::fuzz::FuzzInput input(data, size);
    const std::u16string code = input.Text(300);
    const std::u16string key = input.Text(600);
    const std::u16string table = input.Rest();

    std::vector<std::uint8_t> bytes(table.size() * 2);
    for (std::size_t i = 0; i < table.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(table[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(table[i] >> 8);
    }
    kelvane::testing::FakePlatform fake;
    fake.resources.Add(kelvane::testing::FakeResources::kProgramModule, u"INI_FILE", 129,
                       std::move(bytes));
    kelvane::CLanguageIni ini(fake.platform());
    ini.LoadFromResource(kelvane::ModuleHandle::Null(), 129, u"INI_FILE");
    ini.SelectSection(code.c_str());
    ini.GetText(key.c_str());

    char16_t section[64] = {};
    kelvane::CLanguageIni::ExtractSection(code.c_str(), section, 64, table.c_str());
    char16_t value[16] = {};
    kelvane::CLanguageIni::FindKeyValue(section, key.c_str(), u"", value, 16, table.c_str());
    return 0;
}
