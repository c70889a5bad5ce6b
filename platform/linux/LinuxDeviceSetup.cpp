#include "platform/linux/LinuxDeviceSetup.h"

#include <dirent.h>
#include <libudev.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>

#include "common/WideText.h"
#include "platform/DeviceInfoAnswers.h"
#include "platform/ErrorCodes.h"
#include "platform/RegistryValue.h"

namespace kelvane {
namespace {

// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}, the USB printing interface class.
constexpr GUID kUsbPrintClass{
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};
constexpr std::uint32_t kPrinterInterfaceClass = 0x07;
// Windows never hands out an instance ID longer than this (MAX_DEVICE_ID_LEN less the
// terminator); the lookup's 260-character buffer relies on IDs staying well inside it.
constexpr std::size_t kMaxInstanceIdLength = 199;
constexpr char16_t kBaseName[] = u"USB";

struct UdevUnref {
    void operator()(udev* object) const { udev_unref(object); }
    void operator()(udev_device* object) const { udev_device_unref(object); }
};
template <typename T>
using UdevRef = std::unique_ptr<T, UdevUnref>;

std::string_view TextOf(const char* value) {
    return value != nullptr ? std::string_view(value) : std::string_view();
}

// Sysfs writes these numbers as bare hexadecimal digits of a fixed width. Anything else (a
// missing file, a sign, a prefix, stray characters, too many digits) is not a value to trust,
// and the device is left out rather than given a guessed ID.
std::optional<std::uint32_t> ReadHexAttribute(udev_device* device, const char* name,
                                              std::size_t maxDigits) {
    const std::string_view text = TextOf(udev_device_get_sysattr_value(device, name));
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Printable ASCII without blanks or backslashes: text that can stand as one part of an instance
// ID without changing how the ID reads.
bool IsIdPart(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](char c) { return c > ' ' && c <= '~' && c != '\\'; });
}

// Device nodes are named by the kernel in plain ASCII. A node name outside printable ASCII is
// not one a printer driver makes, so it is not offered as a path to open.
bool IsPathText(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

std::u16string Widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// "USB\VID_2E47&PID_0502\" and then the serial, or the port path when the device has no serial
// that can be used. A serial too long for an ID, or with characters that do not belong in one, is
// passed over as if absent: the port path names the device as uniquely while it stays plugged in.
std::optional<std::u16string> FormatInstanceId(std::uint32_t vendor, std::uint32_t product,
                                               std::string_view serial, std::string_view portPath) {
    char prefix[32];
    std::snprintf(prefix, sizeof(prefix), "USB\\VID_%04X&PID_%04X\\", static_cast<unsigned>(vendor),
                  static_cast<unsigned>(product));
    const std::string_view head(prefix);
    const auto fits = [&head](std::string_view tail) {
        return IsIdPart(tail) && head.size() + tail.size() <= kMaxInstanceIdLength;
    };
    if (fits(serial)) {
        return Widen(head) + Widen(serial);
    }
    if (fits(portPath)) {
        return Widen(head) + Widen(portPath);
    }
    return std::nullopt;
}

constexpr char kUsbBusFolder[] = "/sys/bus/usb/devices";

// The USB interfaces present, sorted by their sysfs paths. The kernel lists every USB device and
// interface of the system in /sys/bus/usb/devices and names each interface
// "<bus>-<ports>:<configuration>.<interface>", with a colon that no device name has. Reading that
// folder here costs a fraction of a libudev scan, which reads every device of the bus and, since
// systemd 251, every ancestor of each one as well. A device that goes away meanwhile is left out.
std::vector<UdevRef<udev_device>> UsbInterfaces(udev* context) {
    std::vector<UdevRef<udev_device>> interfaces;
    DIR* folder = ::opendir(kUsbBusFolder);
    if (folder == nullptr) {
        return interfaces;
    }
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strchr(entry->d_name, ':') == nullptr) {
            continue;
        }
        // Each entry links to the interface's own folder. libudev is given that folder's path,
        // which it reads faster than the link it would have to resolve step by step.
        std::string syspath = std::string(kUsbBusFolder) + "/" + entry->d_name;
        char target[PATH_MAX];
        const ssize_t length =
            ::readlinkat(::dirfd(folder), entry->d_name, target, sizeof(target) - 1);
        if (length > 0) {
            target[length] = '\0';
            syspath = (std::filesystem::path(kUsbBusFolder) / target).lexically_normal().string();
        }
        UdevRef<udev_device> device(udev_device_new_from_syspath(context, syspath.c_str()));
        if (device && udev_device_get_syspath(device.get()) != nullptr) {
            interfaces.push_back(std::move(device));
        }
    }
    ::closedir(folder);
    std::sort(interfaces.begin(), interfaces.end(), [](const auto& left, const auto& right) {
        return std::strcmp(udev_device_get_syspath(left.get()),
                           udev_device_get_syspath(right.get())) < 0;
    });
    return interfaces;
}

struct PrinterNode {
    std::string devnode;
    std::optional<std::uint32_t> minor;
};

bool IsLpName(std::string_view name) {
    return name.size() > 2 && name.substr(0, 2) == "lp" &&
           std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The lp node that usblp made for this interface; none when usblp does not drive it. usblp's
// class device is the interface's child in its "usbmisc" folder; reading that folder costs far
// less than a udev scan of the interface's subtree, which reads every device below and above it.
std::optional<PrinterNode> FindPrinterNode(udev* context, udev_device* printerInterface) {
    const std::string folder =
        std::string(TextOf(udev_device_get_syspath(printerInterface))) + "/usbmisc";
    std::vector<std::string> names;
    if (DIR* children = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(children)) {
            if (IsLpName(entry->d_name)) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(children);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string syspath = folder + "/" + name;
        const UdevRef<udev_device> child(udev_device_new_from_syspath(context, syspath.c_str()));
        if (!child || TextOf(udev_device_get_subsystem(child.get())) != "usbmisc") {
            continue;
        }
        const std::string_view devnode = TextOf(udev_device_get_devnode(child.get()));
        if (!IsPathText(devnode)) {
            continue;
        }
        PrinterNode node{std::string(devnode), std::nullopt};
        // makedev(0, 0): the node's number is unknown, and so is its port.
        if (const dev_t number = udev_device_get_devnum(child.get()); number != 0) {
            node.minor = static_cast<std::uint32_t>(minor(number));
        }
        return node;
    }
    return std::nullopt;
}

}  // namespace

std::optional<LinuxDeviceSetup::Interface> LinuxDeviceSetup::ReadInterface(udev* context,
                                                                           udev_device* device) {
    if (TextOf(udev_device_get_devtype(device)) != "usb_interface" ||
        ReadHexAttribute(device, "bInterfaceClass", 2) != kPrinterInterfaceClass) {
        return std::nullopt;
    }
    // Owned by `device`; an interface whose device is gone, or was never there, is no member.
    udev_device* usbDevice =
        udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    if (usbDevice == nullptr) {
        return std::nullopt;
    }
    const auto vendor = ReadHexAttribute(usbDevice, "idVendor", 4);
    const auto product = ReadHexAttribute(usbDevice, "idProduct", 4);
    if (!vendor || !product) {
        return std::nullopt;
    }
    auto instanceId = FormatInstanceId(*vendor, *product,
                                       TextOf(udev_device_get_sysattr_value(usbDevice, "serial")),
                                       TextOf(udev_device_get_sysname(usbDevice)));
    if (!instanceId) {
        return std::nullopt;
    }

    const std::optional<PrinterNode> printerNode = FindPrinterNode(context, device);
    const std::string path = printerNode ? printerNode->devnode
                                         : std::string(TextOf(udev_device_get_devnode(usbDevice)));
    // Without a node there is nothing that could be opened, so there is no interface either.
    if (!IsPathText(path)) {
        return std::nullopt;
    }

    Interface entry;
    entry.instanceId = std::move(*instanceId);
    entry.devicePath = Widen(path);
    struct stat status {};
    entry.flags = ::stat(path.c_str(), &status) == 0 ? kSpintActive : 0;
    if (printerNode && printerNode->minor) {
        entry.portNumber = *printerNode->minor + 1;
    }
    entry.vidPid = (*vendor << 16) | *product;
    return entry;
}

std::optional<LinuxDeviceSetup::Snapshot> LinuxDeviceSetup::ReadPrinterInterfaces(
    std::uint32_t& error) {
    // These fail only when memory runs out.
    const UdevRef<udev> context(udev_new());
    if (!context) {
        error = kErrorNotEnoughMemory;
        return std::nullopt;
    }
    Snapshot snapshot;
    // An interface whose attributes vanish while they are read is no member: ReadInterface sees
    // them as missing. One that cannot be read leaves every other one in the set.
    for (const UdevRef<udev_device>& device : UsbInterfaces(context.get())) {
        if (auto entry = ReadInterface(context.get(), device.get())) {
            snapshot.push_back(std::move(*entry));
        }
    }
    return snapshot;
}

bool LinuxDeviceSetup::Fail(std::uint32_t code) {
    m_lastError = code;
    return false;
}

std::uintptr_t LinuxDeviceSetup::NextHandle() {
    return ++m_nextHandle;
}

DeviceInfoSet LinuxDeviceSetup::SetupDiGetClassDevsW(const GUID& classGuid, std::uint32_t flags) {
    Snapshot snapshot;
    // Only the printer class has members, and only as interfaces. Interfaces of devices that are
    // no longer attached are not remembered, so DIGCF_PRESENT changes nothing.
    if (classGuid == kUsbPrintClass && (flags & kDigcfDeviceInterface) != 0) {
        std::uint32_t error = kErrorSuccess;
        auto interfaces = ReadPrinterInterfaces(error);
        if (!interfaces) {
            m_lastError = error;
            return DeviceInfoSet::Invalid();
        }
        snapshot = std::move(*interfaces);
    }
    const std::uintptr_t handle = NextHandle();
    m_sets.emplace(handle, std::move(snapshot));
    return DeviceInfoSet{handle};
}

bool LinuxDeviceSetup::SetupDiEnumDeviceInterfaces(DeviceInfoSet set, const GUID& classGuid,
                                                   std::uint32_t memberIndex,
                                                   SP_DEVICE_INTERFACE_DATA& data) {
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        return Fail(kErrorInvalidHandle);
    }
    const Snapshot& snapshot = it->second;
    if (const std::uint32_t error = CheckInterfaceEnumeration(classGuid == kUsbPrintClass,
                                                              memberIndex, snapshot.size(), data)) {
        return Fail(error);
    }
    FillInterfaceRecord(classGuid, memberIndex, snapshot[memberIndex].flags, data);
    return true;
}

bool LinuxDeviceSetup::SetupDiEnumDeviceInfo(DeviceInfoSet set, std::uint32_t memberIndex,
                                             SP_DEVINFO_DATA& data) {
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        return Fail(kErrorInvalidHandle);
    }
    if (const std::uint32_t error =
            AnswerDeviceEnumeration(memberIndex, it->second.size(), kUsbPrintClass, data)) {
        return Fail(error);
    }
    return true;
}

bool LinuxDeviceSetup::SetupDiGetDeviceInstanceIdW(DeviceInfoSet set, const SP_DEVINFO_DATA& device,
                                                   char16_t* buffer, std::uint32_t capacity,
                                                   std::uint32_t* requiredSize) {
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        return Fail(kErrorInvalidHandle);
    }
    const auto member = MemberOf(device, it->second.size());
    if (!member) {
        return Fail(kErrorInvalidParameter);
    }
    if (const std::uint32_t error =
            AnswerInstanceId(it->second[*member].instanceId, buffer, capacity, requiredSize)) {
        return Fail(error);
    }
    return true;
}

const LinuxDeviceSetup::Interface* LinuxDeviceSetup::Lookup(DeviceInfoSet set,
                                                            const SP_DEVICE_INTERFACE_DATA& data) {
    const auto it = m_sets.find(set.value);
    if (it == m_sets.end()) {
        Fail(kErrorInvalidHandle);
        return nullptr;
    }
    const auto member = MemberOf(data, it->second.size());
    if (!member) {
        Fail(kErrorInvalidParameter);
        return nullptr;
    }
    return &it->second[*member];
}

bool LinuxDeviceSetup::SetupDiGetDeviceInterfaceDetailW(
    DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& interfaceData,
    SP_DEVICE_INTERFACE_DETAIL_DATA_W* detail, std::uint32_t detailSize,
    std::uint32_t* requiredSize) {
    const Interface* found = Lookup(set, interfaceData);
    if (found == nullptr) {
        return false;
    }
    if (const std::uint32_t error =
            AnswerInterfaceDetail(found->devicePath, true, detail, detailSize, requiredSize)) {
        return Fail(error);
    }
    return true;
}

RegistryKey LinuxDeviceSetup::SetupDiOpenDeviceInterfaceRegKey(
    DeviceInfoSet set, const SP_DEVICE_INTERFACE_DATA& interfaceData, std::uint32_t samDesired) {
    const Interface* found = Lookup(set, interfaceData);
    if (found == nullptr) {
        return RegistryKey::Invalid();
    }
    // Reading values is all the key is ever good for.
    if ((samDesired & kKeyQueryValue) == 0) {
        Fail(kErrorFileNotFound);
        return RegistryKey::Invalid();
    }
    const std::uintptr_t handle = NextHandle();
    m_keys.emplace(handle, *found);
    return RegistryKey{handle};
}

std::int32_t LinuxDeviceSetup::RegQueryValueExW(RegistryKey key, const char16_t* valueName,
                                                std::uint32_t* type, std::uint8_t* data,
                                                std::uint32_t* dataSize) {
    const auto it = m_keys.find(key.value);
    if (it == m_keys.end()) {
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    }
    const Interface& values = it->second;
    const std::u16string_view name = valueName != nullptr ? valueName : u"";
    std::uint32_t valueType = kRegDword;
    std::vector<std::uint8_t> bytes;
    const auto setNumber = [&bytes](std::uint32_t number) {
        bytes.resize(sizeof(number));
        std::memcpy(bytes.data(), &number, sizeof(number));
    };
    if (EqualsIgnoreAsciiCase(name, u"Port Number") && values.portNumber) {
        setNumber(*values.portNumber);
    } else if (EqualsIgnoreAsciiCase(name, u"VID&PID")) {
        setNumber(values.vidPid);
    } else if (EqualsIgnoreAsciiCase(name, u"Base Name")) {
        valueType = kRegSz;
        bytes.resize(sizeof(kBaseName));
        std::memcpy(bytes.data(), kBaseName, sizeof(kBaseName));
    } else {
        return static_cast<std::int32_t>(kErrorFileNotFound);
    }

    return AnswerValueQuery(valueType, bytes, type, data, dataSize);
}

std::int32_t LinuxDeviceSetup::RegCloseKey(RegistryKey key) {
    return m_keys.erase(key.value) == 1 ? 0 : static_cast<std::int32_t>(kErrorInvalidHandle);
}

bool LinuxDeviceSetup::SetupDiDestroyDeviceInfoList(DeviceInfoSet set) {
    if (m_sets.erase(set.value) != 1) {
        return Fail(kErrorInvalidHandle);
    }
    return true;
}

}  // namespace kelvane
