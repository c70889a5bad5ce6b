// Finding a model's device interfaces through the device-setup services: counting, listing and
// picking one of them.
#include <cstring>
#include <string>
#include <vector>

#include "common/DebugTrace.h"
#include "common/WideText.h"
#include "platform/ErrorCodes.h"
#include "usb/GuidText.h"
#include "usb/PrinterModels.h"
#include "usb/UsbLink.h"

namespace kelvane {
namespace {

constexpr std::uint32_t kNoMember = 0xFFFFFFFF;
// A detail record larger than this cannot hold a path of MAX_PATH characters anyway; a size
// report beyond it is not worth allocating for.
constexpr std::uint32_t kLargestDetailSize = 0x10000;
constexpr std::uint32_t kDetailSlack = 512;

bool EndsEnumeration(std::uint32_t error) {
    return error == kErrorNoMoreItems || error == kErrorInvalidHandle;
}

SP_DEVICE_INTERFACE_DATA NewInterfaceData() {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    return data;
}

// The flags word must read exactly SPINT_ACTIVE: an interface that is also the default is not
// taken as linked.
std::uint32_t LinkedFlag(const SP_DEVICE_INTERFACE_DATA& data) {
    return data.Flags == kSpintActive ? 1 : 0;
}

bool MatchesPrefix(std::u16string_view instanceId, std::u16string_view prefix) {
    return instanceId.size() >= prefix.size() &&
           EqualsIgnoreAsciiCase(instanceId.substr(0, prefix.size()), prefix);
}

// Everything here runs against one device-information set, which it destroys when it ends.
class DeviceSetScope {
public:
    DeviceSetScope(DeviceSetup& setup, const GUID& interfaceClass, std::uint32_t mode)
        : m_setup(setup),
          m_class(interfaceClass),
          m_set(setup.SetupDiGetClassDevsW(interfaceClass,
                                           (mode & kEnumFilterMask) | kDigcfDeviceInterface)) {}
    ~DeviceSetScope() { m_setup.SetupDiDestroyDeviceInfoList(m_set); }
    DeviceSetScope(const DeviceSetScope&) = delete;
    DeviceSetScope& operator=(const DeviceSetScope&) = delete;

    // Enumerates interface `index`; on failure returns its error code, else 0.
    std::uint32_t EnumInterface(std::uint32_t index, SP_DEVICE_INTERFACE_DATA& data) {
        data = NewInterfaceData();
        if (m_setup.SetupDiEnumDeviceInterfaces(m_set, m_class, index, data)) {
            return kErrorSuccess;
        }
        const std::uint32_t error = m_setup.GetLastError();
        // A provider that fails without a code must still not look like success.
        return error != kErrorSuccess ? error : kErrorInvalidHandle;
    }

    // The instance ID of device element `index`, paired with the interface of the same index.
    // Left empty when it cannot be read.
    void ReadInstanceId(std::uint32_t index, std::span<char16_t, kPathCapacity> instanceId) {
        std::fill(instanceId.begin(), instanceId.end(), u'\0');
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        if (!m_setup.SetupDiEnumDeviceInfo(m_set, index, device) ||
            !m_setup.SetupDiGetDeviceInstanceIdW(m_set, device, instanceId.data(),
                                                 static_cast<std::uint32_t>(kPathCapacity),
                                                 nullptr)) {
            std::fill(instanceId.begin(), instanceId.end(), u'\0');
        }
        instanceId.back() = u'\0';
    }

    std::uint32_t QueryDetailSize(const SP_DEVICE_INTERFACE_DATA& data) {
        std::uint32_t required = 0;
        m_setup.SetupDiGetDeviceInterfaceDetailW(m_set, data, nullptr, 0, &required);
        return required;
    }

    // Copies the interface's device path into `target`. A failed fetch writes nothing. A path
    // that does not fit is not cut short: the target receives an empty path, so that neither a
    // shortened path nor one left over from an earlier lookup is ever opened.
    bool FetchPath(const SP_DEVICE_INTERFACE_DATA& data, std::uint32_t detailSize,
                   std::span<char16_t> target) {
        if (detailSize > kLargestDetailSize) {
            return false;
        }
        const std::uint32_t bufferSize = detailSize + kDetailSlack;
        std::vector<std::byte> buffer(bufferSize);
        const std::uint32_t fixedSize = kDetailFixedSize;
        std::memcpy(buffer.data(), &fixedSize, sizeof(fixedSize));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        if (!m_setup.SetupDiGetDeviceInterfaceDetailW(m_set, data, detail, bufferSize, nullptr)) {
            return false;
        }
        const std::size_t pathChars = (bufferSize - kDetailPathOffset) / sizeof(char16_t);
        std::u16string path(pathChars, u'\0');
        std::memcpy(path.data(), buffer.data() + kDetailPathOffset, pathChars * sizeof(char16_t));
        path.resize(BoundedLength(path.data(), pathChars));
        if (!CopyIfFits(target.data(), target.size(), path)) {
            target[0] = u'\0';
        }
        return true;
    }

    // Opens the interface's registry key, hands it to `read` and closes it again.
    template <typename Read>
    void WithRegistryKey(const SP_DEVICE_INTERFACE_DATA& data, Read read) {
        const RegistryKey key =
            m_setup.SetupDiOpenDeviceInterfaceRegKey(m_set, data, kKeyQueryValue);
        read(key);
        m_setup.RegCloseKey(key);
    }

private:
    DeviceSetup& m_setup;
    GUID m_class;
    DeviceInfoSet m_set;
};

// Reads a 4-byte value into `value`; a value that cannot be read leaves it as it was.
void ReadRegistryNumber(DeviceSetup& setup, RegistryKey key, const char16_t* name,
                        std::uint32_t& value) {
    std::uint32_t type = 0;
    std::uint32_t size = sizeof(value);
    std::uint32_t read = value;
    if (setup.RegQueryValueExW(key, name, &type, reinterpret_cast<std::uint8_t*>(&read), &size) ==
            0 &&
        size == sizeof(read)) {
        value = read;
    }
}

// Reads the vendor and product IDs back out of an instance ID such as usb\vid_2e47&pid_0502\...,
// lowering the ID in place. An ID without "vid" or without "pid" yields 0, the word of no model.
std::uint32_t ReadVidPidFromInstanceId(std::span<char16_t, kPathCapacity> instanceId) {
    const std::size_t length = BoundedLength(instanceId.data(), instanceId.size());
    for (std::size_t i = 0; i < length; ++i) {
        instanceId[i] = ToLowerAscii(instanceId[i]);
    }
    const std::u16string_view text(instanceId.data(), length);
    const std::size_t vid = text.find(u"vid");
    const std::size_t pid = text.find(u"pid");
    if (vid == std::u16string_view::npos || pid == std::u16string_view::npos) {
        return 0;
    }
    // The number starts just after the underscore: four characters on from the name.
    const auto numberAt = [&text](std::size_t name) {
        const std::size_t start = name + 4;
        return start < text.size() ? ReadHexNumber(text.substr(start)).value : 0u;
    };
    return ((numberAt(vid) & 0xFFFF) << 16) | (numberAt(pid) & 0xFFFF);
}

}  // namespace

std::uint32_t CUsbLink::GetDeviceCount(std::uint32_t model, std::uint32_t mode,
                                       std::span<DevicePathSlot> pathList) {
    GUID interfaceClass{};
    ParseGuidString(interfaceClass, kUsbPrintClassText);
    const std::uint32_t vidPid = (mode & ENUM_BY_VIDPID) != 0 ? VidPidOfModel(model) : 0;
    return EnumDeviceLinks(interfaceClass, mode, vidPid, pathList);
}

std::uint32_t CUsbLink::EnumDeviceLinks(GUID interfaceClass, std::uint32_t mode,
                                        std::uint32_t vidPid, std::span<DevicePathSlot> pathList) {
    const std::u16string prefix = FormatInstanceIdPrefix(vidPid);
    DeviceSetScope set(m_platform.deviceSetup, interfaceClass, mode);
    auto cursor = pathList.begin();
    std::uint32_t count = 0;

    for (std::uint32_t index = 0; index < kMaxMemberIndex; ++index) {
        SP_DEVICE_INTERFACE_DATA data;
        if (const std::uint32_t error = set.EnumInterface(index, data); error != kErrorSuccess) {
            if (EndsEnumeration(error)) {
                break;
            }
            continue;
        }
        if ((mode & ENUM_BY_VIDPID) == 0) {
            ++count;
            continue;
        }
        if (vidPid == 0) {
            continue;
        }
        std::array<char16_t, kPathCapacity> instanceId;
        set.ReadInstanceId(index, instanceId);
        if (!MatchesPrefix(BufferText(instanceId.data(), instanceId.size()), prefix)) {
            continue;
        }
        ++count;
        if (cursor != pathList.end()) {
            std::array<char16_t, kPathCapacity> path{};
            set.FetchPath(data, set.QueryDetailSize(data), path);
            DebugTrace(u"szSymbolicLink = \"%s\", dwLinked = %d,\n", path.data(), LinkedFlag(data));
            DevicePathSlot& slot = *cursor++;
            slot.fill(u'\0');
            CopyIfFits(slot.data(), slot.size(), BufferText(path.data(), path.size()));
        }
    }
    return count;
}

std::uint32_t CUsbLink::GetLinkByInterface(GUID interfaceClass, std::uint32_t dwIndex,
                                           std::span<char16_t, kPathCapacity> szSymbolicLink,
                                           std::uint32_t& dwLinked, std::uint32_t dwFlag,
                                           std::uint32_t dwVidPid) {
    const std::u16string prefix = FormatInstanceIdPrefix(dwVidPid);
    DebugTrace(u"In GetLinkByInterface, szUsbVidPid = \"%s\", dwIndex = %d, dwFlag = %d,\n", prefix,
               dwIndex, dwFlag);
    DeviceSetScope set(m_platform.deviceSetup, interfaceClass, dwFlag);
    DeviceSetup& setup = m_platform.deviceSetup;
    std::uint32_t selected = kNoMember;
    std::uint32_t result = kErrorSuccess;
    std::array<char16_t, kPathCapacity> instanceId{};

    // Walks member indexes 0..99, keeping the code of the last failure, until `select` says so.
    const auto scan = [&](auto select) {
        for (std::uint32_t index = 0; index < kMaxMemberIndex; ++index) {
            SP_DEVICE_INTERFACE_DATA data;
            if (const std::uint32_t error = set.EnumInterface(index, data);
                error != kErrorSuccess) {
                result = error;
                if (EndsEnumeration(error)) {
                    return;
                }
                continue;
            }
            if (select(index, data)) {
                selected = index;
                return;
            }
        }
    };

    if ((dwFlag & ENUM_BY_VIDPID) != 0 && dwVidPid != 0) {
        std::uint32_t matches = 0;
        scan([&](std::uint32_t index, const SP_DEVICE_INTERFACE_DATA&) {
            set.ReadInstanceId(index, instanceId);
            return MatchesPrefix(BufferText(instanceId.data(), instanceId.size()), prefix) &&
                   matches++ == dwIndex;
        });
    } else if ((dwFlag & ENUM_BY_PORT) != 0) {
        // A value that cannot be read keeps what the previous interface gave.
        std::uint32_t dwPortNumber = 0;
        std::uint32_t vidPidValue = 0;
        scan([&](std::uint32_t, const SP_DEVICE_INTERFACE_DATA& data) {
            bool qualifies = false;
            set.WithRegistryKey(data, [&](RegistryKey key) {
                ReadRegistryNumber(setup, key, u"Port Number", dwPortNumber);
                if (m_wWinVer == 5) {
                    // Windows 2000 keeps the device's VID/PID word on the interface key.
                    ReadRegistryNumber(setup, key, u"VID&PID", vidPidValue);
                    qualifies = vidPidValue == dwVidPid;
                } else if (m_wWinVer >= 6) {
                    char16_t baseName[kPathCapacity] = {};
                    std::uint32_t type = 0;
                    std::uint32_t size = sizeof(baseName);
                    setup.RegQueryValueExW(key, u"Base Name", &type,
                                           reinterpret_cast<std::uint8_t*>(baseName), &size);
                    const std::u16string_view text = BufferText(baseName, kPathCapacity);
                    DebugTrace(u"In GetLinkByInterface, BaseName = \"%s\", dwPortNumber = %d,\n",
                               text, dwPortNumber);
                    qualifies = EqualsIgnoreAsciiCase(text, u"USB");
                }
            });
            return qualifies && dwPortNumber - 1 == dwIndex;
        });
    } else {
        selected = dwIndex;
    }

    SP_DEVICE_INTERFACE_DATA data;
    if (const std::uint32_t error = set.EnumInterface(selected, data); error != kErrorSuccess) {
        return error;
    }
    set.ReadInstanceId(selected, instanceId);
    const std::uint32_t detailSize = set.QueryDetailSize(data);
    dwLinked = LinkedFlag(data);
    set.FetchPath(data, detailSize, szSymbolicLink);
    DebugTrace(
        u"In GetLinkByInterface, szSymbolicLink = \"%s\", dwLinked = %d, szInstanceId = \"%s\",\n",
        BufferText(szSymbolicLink.data(), szSymbolicLink.size()), dwLinked, instanceId.data());

    const std::uint32_t dwVidPid2 = ReadVidPidFromInstanceId(instanceId);
    const std::uint32_t currentVidPid = VidPidOfModel(m_dwModelSN);
    DebugTrace(u"In GetLinkByInterface, dwVidPid2 = 0x%08X, dwVidPid = 0x%08X,\n", dwVidPid2,
               currentVidPid);
    if (dwVidPid2 != currentVidPid) {
        if (const auto model = FindModelByVidPid(dwVidPid2)) {
            m_dwModelSN = *model;
            DebugTrace(u"In GetLinkByInterface, m_dwModelSN = %d,\n", m_dwModelSN);
        }
    }
    return result;
}

}  // namespace kelvane
