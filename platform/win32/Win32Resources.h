#pragma once

#include "platform/Resources.h"

namespace kelvane {

// The resources of the program's modules, through kernel32's resource functions.
class Win32Resources final : public Resources {
public:
    ModuleHandle GetModuleHandleW(const char16_t* moduleName) override;
    ResourceHandle FindResourceW(ModuleHandle module, ResourceName name,
                                 ResourceName type) override;
    GlobalHandle LoadResource(ModuleHandle module, ResourceHandle resource) override;
    std::uint32_t SizeofResource(ModuleHandle module, ResourceHandle resource) override;
    const void* LockResource(GlobalHandle data) override;
};

}  // namespace kelvane
