#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Resources.h"

namespace kelvane::testing {

struct FakeResource {
    ModuleHandle module;
    std::u16string type;
    std::uint16_t id = 0;
    std::vector<std::uint8_t> bytes;
};

// The resources of scripted modules, found by integer id and type name. The bytes handed out by
// LockResource are the stored vector's own, so a reader that runs past them is caught by the
// address sanitizer.
class FakeResources final : public Resources {
public:
    static constexpr ModuleHandle kProgramModule{0x00400000};

    std::vector<FakeResource> resources;
    bool loadFails = false;
    bool lockFails = false;

    // Every operation in order: "FindResourceW", "LoadResource", "SizeofResource", "LockResource".
    std::vector<std::string> calls;

    void Add(ModuleHandle module, std::u16string type, std::uint16_t id,
             std::vector<std::uint8_t> bytes);

    ModuleHandle GetModuleHandleW(const char16_t* moduleName) override;
    ResourceHandle FindResourceW(ModuleHandle module, ResourceName name,
                                 ResourceName type) override;
    GlobalHandle LoadResource(ModuleHandle module, ResourceHandle resource) override;
    std::uint32_t SizeofResource(ModuleHandle module, ResourceHandle resource) override;
    const void* LockResource(GlobalHandle data) override;

private:
    const FakeResource* Lookup(std::uintptr_t handle) const;
};

}  // namespace kelvane::testing
