#include "tests/support/FakeResources.h"

#include "common/WideText.h"

namespace kelvane::testing {
namespace {

// Handles are the resource's position plus this, so that no handle is null.
constexpr std::uintptr_t kHandleBase = 0x1000;

}  // namespace

void FakeResources::Add(ModuleHandle module, std::u16string type, std::uint16_t id,
                        std::vector<std::uint8_t> bytes) {
    resources.push_back({module, std::move(type), id, std::move(bytes)});
}

ModuleHandle FakeResources::GetModuleHandleW(const char16_t* moduleName) {
    return moduleName == nullptr ? kProgramModule : ModuleHandle::Null();
}

ResourceHandle FakeResources::FindResourceW(ModuleHandle module, ResourceName name,
                                            ResourceName type) {
    calls.emplace_back("FindResourceW");
    if (module.IsNull()) {
        module = kProgramModule;
    }
    // Only integer names and text types are scripted.
    if (!name.IsId() || type.IsId() || type.text == nullptr) {
        return ResourceHandle::Null();
    }
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const FakeResource& r = resources[i];
        if (r.module == module && r.id == name.id && EqualsIgnoreAsciiCase(r.type, type.text)) {
            return ResourceHandle{kHandleBase + i};
        }
    }
    return ResourceHandle::Null();
}

const FakeResource* FakeResources::Lookup(std::uintptr_t handle) const {
    if (handle < kHandleBase || handle - kHandleBase >= resources.size()) {
        return nullptr;
    }
    return &resources[handle - kHandleBase];
}

GlobalHandle FakeResources::LoadResource(ModuleHandle /*module*/, ResourceHandle resource) {
    calls.emplace_back("LoadResource");
    if (loadFails || Lookup(resource.value) == nullptr) {
        return GlobalHandle::Null();
    }
    return GlobalHandle{resource.value};
}

std::uint32_t FakeResources::SizeofResource(ModuleHandle /*module*/, ResourceHandle resource) {
    calls.emplace_back("SizeofResource");
    const FakeResource* found = Lookup(resource.value);
    return found != nullptr ? static_cast<std::uint32_t>(found->bytes.size()) : 0;
}

const void* FakeResources::LockResource(GlobalHandle data) {
    calls.emplace_back("LockResource");
    const FakeResource* found = Lookup(data.value);
    if (lockFails || found == nullptr) {
        return nullptr;
    }
    // An empty resource still has an address.
    static const std::uint8_t kNoBytes = 0;
    return found->bytes.empty() ? &kNoBytes : found->bytes.data();
}

}  // namespace kelvane::testing
