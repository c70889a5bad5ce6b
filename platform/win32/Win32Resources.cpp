#include "platform/win32/Win32Resources.h"

#include <windows.h>

#include "platform/win32/Win32Interop.h"

namespace kelvane {
namespace {

HMODULE ToModule(ModuleHandle module) {
    return reinterpret_cast<HMODULE>(module.value);
}

// An integer id travels in the pointer itself, as MAKEINTRESOURCEW makes it; a text, including
// the "#129" form, is handed over for Windows to parse.
LPCWSTR ToName(ResourceName name) {
    return name.IsId() ? MAKEINTRESOURCEW(name.id) : win32::Wide(name.text);
}

}  // namespace

ModuleHandle Win32Resources::GetModuleHandleW(const char16_t* moduleName) {
    return win32::FromHandle<ModuleHandle>(::GetModuleHandleW(win32::Wide(moduleName)));
}

ResourceHandle Win32Resources::FindResourceW(ModuleHandle module, ResourceName name,
                                             ResourceName type) {
    // A text name that is null would reach Windows as the integer id 0.
    if ((!name.IsId() && name.text == nullptr) || (!type.IsId() && type.text == nullptr)) {
        return ResourceHandle::Null();
    }
    return win32::FromHandle<ResourceHandle>(
        ::FindResourceW(ToModule(module), ToName(name), ToName(type)));
}

GlobalHandle Win32Resources::LoadResource(ModuleHandle module, ResourceHandle resource) {
    return win32::FromHandle<GlobalHandle>(
        ::LoadResource(ToModule(module), reinterpret_cast<HRSRC>(resource.value)));
}

std::uint32_t Win32Resources::SizeofResource(ModuleHandle module, ResourceHandle resource) {
    return ::SizeofResource(ToModule(module), reinterpret_cast<HRSRC>(resource.value));
}

const void* Win32Resources::LockResource(GlobalHandle data) {
    return ::LockResource(reinterpret_cast<HGLOBAL>(data.value));
}

}  // namespace kelvane
