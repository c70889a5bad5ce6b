#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/Platform.h"
#include "platform/Records.h"

namespace kelvane {

// Selection rules of the enumeration mode; its low byte holds device-setup filter flags.
inline constexpr std::uint32_t ENUM_BY_VIDPID = 0x100;
inline constexpr std::uint32_t ENUM_BY_PORT = 0x200;
inline constexpr std::uint32_t kEnumFilterMask = 0xFF;

// Device paths are held in buffers of MAX_PATH characters, the terminator included.
inline constexpr std::size_t kPathCapacity = 260;
// Only member indexes below this are ever counted or searched.
inline constexpr std::uint32_t kMaxMemberIndex = 100;
// A listed path occupies a slot of 256 characters, the terminator included.
inline constexpr std::size_t kPathSlotCapacity = 256;
using DevicePathSlot = std::array<char16_t, kPathSlotCapacity>;

// The connection to one printer: finds a model's device interface and opens it.
class CUsbLink {
public:
    explicit CUsbLink(const Platform& platform);
    CUsbLink(const CUsbLink&) = delete;
    CUsbLink& operator=(const CUsbLink&) = delete;

    // How many interfaces of `model` are present. With ENUM_BY_VIDPID in `mode` only the model's
    // own devices count; `pathList` (may be empty) receives their paths in enumeration order.
    std::uint32_t GetDeviceCount(std::uint32_t model, std::uint32_t mode,
                                 std::span<DevicePathSlot> pathList = {});

    // The counting loop under GetDeviceCount. Listing stops when `pathList` is full; counting
    // goes on.
    std::uint32_t EnumDeviceLinks(GUID interfaceClass, std::uint32_t mode, std::uint32_t vidPid,
                                  std::span<DevicePathSlot> pathList = {});

    // Picks interface `dwIndex` (0-based) by the first rule of `dwFlag` that applies, writes its
    // path and whether it is active alone, and corrects m_dwModelSN from the device's instance ID.
    // Returns the error code of the last failed enumeration, 0 when none failed.
    std::uint32_t GetLinkByInterface(GUID interfaceClass, std::uint32_t dwIndex,
                                     std::span<char16_t, kPathCapacity> szSymbolicLink,
                                     std::uint32_t& dwLinked, std::uint32_t dwFlag,
                                     std::uint32_t dwVidPid);

    std::uint32_t m_dwModelSN = 0;
    std::uint16_t m_wWinVer = 0;

private:
    Platform m_platform;
};

}  // namespace kelvane
