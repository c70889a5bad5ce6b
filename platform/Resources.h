#pragma once

#include <cstdint>

#include "platform/Handles.h"

namespace kelvane {

// A resource name or type as FindResourceW takes it: an integer id (what MAKEINTRESOURCEW makes)
// or a text. A text of the form "#129" names the integer id 129, as it does on Windows.
struct ResourceName {
    const char16_t* text = nullptr;
    std::uint16_t id = 0;

    constexpr bool IsId() const { return text == nullptr; }
};

constexpr ResourceName MakeIntResource(std::uint16_t id) {
    return {nullptr, id};
}

constexpr ResourceName ResourceText(const char16_t* text) {
    return {text, 0};
}

// The resources embedded in a module. Each operation behaves as the Windows operation of the same
// name: failures are null handles, a null pointer and a size of 0.
class Resources {
public:
    virtual ~Resources() = default;

    // A null name is the program's own module.
    virtual ModuleHandle GetModuleHandleW(const char16_t* moduleName) = 0;

    // A null module is the program's own module. Text names and types match ignoring case.
    virtual ResourceHandle FindResourceW(ModuleHandle module, ResourceName name,
                                         ResourceName type) = 0;
    virtual GlobalHandle LoadResource(ModuleHandle module, ResourceHandle resource) = 0;
    // The resource's size in bytes.
    virtual std::uint32_t SizeofResource(ModuleHandle module, ResourceHandle resource) = 0;
    // The resource's bytes, valid as long as the module is loaded; they are read-only.
    virtual const void* LockResource(GlobalHandle data) = 0;
};

}  // namespace kelvane
