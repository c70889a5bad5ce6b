#include "usb/NarrowText.h"

namespace kelvane {

int NarrowSize(KernelObjects& kernel, const char16_t* source) {
    return kernel.WideCharToMultiByte(kCpAcp, 0, source, -1, nullptr, 0);
}

char* ToNarrow(KernelObjects& kernel, std::span<char> dest, const char16_t* source) {
    const int size = NarrowSize(kernel, source);
    if (size <= 0 || static_cast<std::size_t>(size) > dest.size()) {
        return nullptr;
    }
    return kernel.WideCharToMultiByte(kCpAcp, 0, source, -1, dest.data(), size) != 0 ? dest.data()
                                                                                     : nullptr;
}

}  // namespace kelvane
