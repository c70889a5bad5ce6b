#include "platform/linux/LinuxResources.h"

#include <optional>

#include "common/WideText.h"
#include "platform/linux/EmbeddedResources.h"
#include "res/ResourceIds.h"

namespace kelvane {
namespace {

// The integer a name stands for: an integer id, or a text "#" followed by decimal digits.
std::optional<std::uint16_t> IntegerName(ResourceName name) {
    if (name.IsId()) {
        return name.id;
    }
    const std::u16string_view text(name.text);
    if (text.size() < 2 || text.front() != u'#') {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char16_t c : text.substr(1)) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - u'0');
        if (value > 0xFFFF) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint16_t>(value);
}

bool Matches(ResourceName name, std::uint16_t id) {
    const auto integer = IntegerName(name);
    return integer && *integer == id;
}

bool Matches(ResourceName name, std::u16string_view text) {
    return !name.IsId() && !IntegerName(name) && EqualsIgnoreAsciiCase(name.text, text);
}

}  // namespace

LinuxResources::LinuxResources()
    : LinuxResources({{kLanguageTableType,
                       kLanguageTableId,
                       {kEmbeddedLanguageTable, kEmbeddedLanguageTableSize}}}) {}

LinuxResources::LinuxResources(std::vector<EmbeddedResource> resources)
    : m_resources(std::move(resources)) {}

ModuleHandle LinuxResources::GetModuleHandleW(const char16_t* moduleName) {
    return moduleName == nullptr ? kProgramModule : ModuleHandle::Null();
}

ResourceHandle LinuxResources::FindResourceW(ModuleHandle module, ResourceName name,
                                             ResourceName type) {
    if (!module.IsNull() && module != kProgramModule) {
        return ResourceHandle::Null();
    }
    if (!name.IsId() && name.text == nullptr) {
        return ResourceHandle::Null();
    }
    for (std::size_t i = 0; i < m_resources.size(); ++i) {
        if (Matches(name, m_resources[i].id) && Matches(type, m_resources[i].type)) {
            return ResourceHandle{i + 1};
        }
    }
    return ResourceHandle::Null();
}

const EmbeddedResource* LinuxResources::Lookup(std::uintptr_t handle) const {
    if (handle == 0 || handle > m_resources.size()) {
        return nullptr;
    }
    return &m_resources[handle - 1];
}

GlobalHandle LinuxResources::LoadResource(ModuleHandle module, ResourceHandle resource) {
    if ((!module.IsNull() && module != kProgramModule) || Lookup(resource.value) == nullptr) {
        return GlobalHandle::Null();
    }
    return GlobalHandle{resource.value};
}

std::uint32_t LinuxResources::SizeofResource(ModuleHandle module, ResourceHandle resource) {
    const EmbeddedResource* found = Lookup(resource.value);
    if ((!module.IsNull() && module != kProgramModule) || found == nullptr) {
        return 0;
    }
    return static_cast<std::uint32_t>(found->bytes.size());
}

const void* LinuxResources::LockResource(GlobalHandle data) {
    const EmbeddedResource* found = Lookup(data.value);
    return found != nullptr ? found->bytes.data() : nullptr;
}

}  // namespace kelvane
