#include "platform/linux/LinuxFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <vector>

#include "common/Utf8.h"
#include "platform/PrivateProfile.h"

namespace kelvane {
namespace {

// The whole file, or nothing when it cannot be read as a regular file of bounded size.
bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& contents) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<std::uint64_t>(info.st_size) <= limit;
    contents.clear();
    char chunk[65536];
    while (ok) {
        const ssize_t got = ::read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        contents.append(chunk, static_cast<std::size_t>(got));
        // The file may have grown since it was measured.
        ok = contents.size() <= limit;
    }
    ::close(fd);
    return ok;
}

}  // namespace

std::uint32_t LinuxFiles::GetCurrentDirectoryW(std::uint32_t capacity, char16_t* buffer) {
    std::vector<char> path(PATH_MAX);
    while (::getcwd(path.data(), path.size()) == nullptr) {
        if (errno != ERANGE || path.size() > (1u << 20)) {
            return 0;
        }
        path.resize(path.size() * 2);
    }
    const std::u16string directory = Utf8ToUtf16(path.data());
    const auto needed = static_cast<std::uint32_t>(directory.size() + 1);
    if (buffer == nullptr || capacity < needed) {
        return needed;
    }
    std::copy(directory.begin(), directory.end(), buffer);
    buffer[directory.size()] = u'\0';
    return needed - 1;
}

bool LinuxFiles::SetFileAttributesW(const char16_t* fileName, std::uint32_t /*attributes*/) {
    // Read-only is the one attribute with a Linux counterpart: the owner's write permission.
    if (fileName == nullptr) {
        return false;
    }
    const std::string path = Utf16ToUtf8(fileName);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    return (info.st_mode & S_IWUSR) != 0 ||
           ::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

std::uint32_t LinuxFiles::GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                                   const char16_t* defaultValue, char16_t* returned,
                                                   std::uint32_t size, const char16_t* fileName) {
    if (returned == nullptr || size == 0) {
        return 0;
    }
    std::u16string value = defaultValue != nullptr ? defaultValue : u"";
    std::string contents;
    // Listing sections or keys (a null name) is not offered; the default stands for it.
    if (section != nullptr && key != nullptr && fileName != nullptr &&
        ReadSmallFile(Utf16ToUtf8(fileName), kLargestProfile, contents)) {
        std::u16string found;
        if (FindProfileValue(DecodeProfileText(contents), section, key, found)) {
            value = std::move(found);
        }
    }
    const std::size_t copied = std::min<std::size_t>(value.size(), size - 1);
    std::copy_n(value.begin(), copied, returned);
    returned[copied] = u'\0';
    return static_cast<std::uint32_t>(copied);
}

}  // namespace kelvane
