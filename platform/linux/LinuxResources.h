#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/Resources.h"

namespace kelvane {

// One resource compiled into the program.
struct EmbeddedResource {
    std::u16string_view type;
    std::uint16_t id = 0;
    std::span<const std::uint8_t> bytes;
};

// The program's resources on Linux, where there is no resource section: the files of res/ are
// compiled into the program and served by the same operations as on Windows. The program is the
// only module; a null module stands for it, as on Windows.
class LinuxResources final : public Resources {
public:
    static constexpr ModuleHandle kProgramModule{1};

    // The program's own resources: the language table (id 129, type "INI_FILE").
    LinuxResources();
    explicit LinuxResources(std::vector<EmbeddedResource> resources);

    ModuleHandle GetModuleHandleW(const char16_t* moduleName) override;
    ResourceHandle FindResourceW(ModuleHandle module, ResourceName name,
                                 ResourceName type) override;
    GlobalHandle LoadResource(ModuleHandle module, ResourceHandle resource) override;
    std::uint32_t SizeofResource(ModuleHandle module, ResourceHandle resource) override;
    const void* LockResource(GlobalHandle data) override;

private:
    const EmbeddedResource* Lookup(std::uintptr_t handle) const;

    std::vector<EmbeddedResource> m_resources;
};

}  // namespace kelvane
