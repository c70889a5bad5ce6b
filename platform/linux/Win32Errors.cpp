#include "platform/linux/Win32Errors.h"

#include <cerrno>

#include "platform/ErrorCodes.h"

namespace kelvane {

std::uint32_t Win32ErrorFromErrno(int error) {
    constexpr std::uint32_t kErrorPathNotFound = 3;
    constexpr std::uint32_t kErrorTooManyOpenFiles = 4;
    constexpr std::uint32_t kErrorSharingViolation = 32;
    constexpr std::uint32_t kErrorFilenameExceedsRange = 206;
    constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
    constexpr std::uint32_t kErrorGenFailure = 31;
    switch (error) {
        case 0:
            return kErrorSuccess;
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
        case ELOOP:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return kErrorAccessDenied;
        // usblp lets one process at a time open a printer, as Windows refuses a second
        // exclusive open.
        case EBUSY:
        case ETXTBSY:
            return kErrorSharingViolation;
        case EMFILE:
        case ENFILE:
            return kErrorTooManyOpenFiles;
        case ENOMEM:
            return kErrorNotEnoughMemory;
        case EEXIST:
            return kErrorAlreadyExists;
        case ENAMETOOLONG:
            return kErrorFilenameExceedsRange;
        case EINVAL:
            return kErrorInvalidParameter;
        case EBADF:
            return kErrorInvalidHandle;
        // The device went away between being listed and being opened.
        case ENODEV:
        case ENXIO:
        case ESHUTDOWN:
            return kErrorDeviceNotConnected;
        default:
            return kErrorGenFailure;
    }
}

}  // namespace kelvane
