#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "common/WideFormat.h"
#include "platform/Platform.h"
#include "platform/Records.h"

namespace kelvane {

// Selection rules of the enumeration mode; its low byte holds device-setup filter flags.
inline constexpr std::uint32_t ENUM_BY_VIDPID = 0x100;
inline constexpr std::uint32_t ENUM_BY_PORT = 0x200;
inline constexpr std::uint32_t kEnumFilterMask = 0xFF;

// Which handles CreatePipes opens.
inline constexpr std::uint8_t kPipeRead = 1;
inline constexpr std::uint8_t kPipeWrite = 2;

// Result codes of Open, OpenIOChannel and CreatePipes.
inline constexpr std::uint32_t kLinkOpened = 0;
inline constexpr std::uint32_t kLinkPartlyOpened = 1;
inline constexpr std::uint32_t kLinkNotOpened = 2;
inline constexpr std::uint32_t kLinkNotActive = 0x111;
inline constexpr std::uint32_t kLinkNoDevice = 0x11111111;

// Device paths are held in buffers of MAX_PATH characters, the terminator included.
inline constexpr std::size_t kPathCapacity = 260;
// Only member indexes below this are ever counted or searched.
inline constexpr std::uint32_t kMaxMemberIndex = 100;
// A listed path occupies a slot of 256 characters, the terminator included.
inline constexpr std::size_t kPathSlotCapacity = 256;
using DevicePathSlot = std::array<char16_t, kPathSlotCapacity>;
// The log's working buffers, the terminator included.
inline constexpr std::size_t kLogLineCapacity = 4096;

// The connection to one printer: finds a model's device interface, opens it, and holds the
// device's named mutex while it is open. No data is ever transferred: opening is the test of
// presence. Used from the user-interface thread only.
class CUsbLink {
public:
    explicit CUsbLink(const Platform& platform);
    ~CUsbLink();
    CUsbLink(const CUsbLink&) = delete;
    CUsbLink& operator=(const CUsbLink&) = delete;

    // Finds interface `instanceIndex` (1-based) of `model` by `enumMode`, opens the handles that
    // `pipeFlags` asks for and creates the device mutex. Returns kLinkOpened (0) or the reason
    // it failed; a model number outside 1..91 changes nothing.
    std::uint32_t Open(std::uint32_t model, std::uint32_t instanceIndex, std::uint32_t enumMode,
                       std::uint8_t pipeFlags);
    void Close();
    bool IsOpened() const { return m_bOpened != 0; }

    std::uint32_t OpenIOChannel();
    std::uint32_t CreatePipes();
    bool OpenPipe(const char16_t* path, std::uint32_t direction, Handle& handle,
                  OVERLAPPED* overlapped, std::uint32_t timeout);

    // Creates (TRUE) or drops (FALSE) the device's machine-wide mutex, named after the device
    // path. Returns 0 or the Windows error code of the failed creation.
    std::uint32_t EnableMutex(bool enable);

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

    // Appends a formatted line to the log stream when the log is on and `level` is within
    // m_dwLogLevel. Nothing in the program attaches a stream, so this stays silent.
    template <typename... Args>
    void WriteLog(std::uint32_t level, const char16_t* format, const Args&... args) {
        if (IsLogged(level)) {
            WriteLogLine(FormatWide(format, {FormatArg(args)...}));
        }
    }

    std::uint32_t m_dwModelSN = 0;
    std::uint32_t m_dwLogLevel = 0;
    std::FILE* m_pLogFile = nullptr;
    char16_t m_szSymbolicLink[kPathCapacity] = {};
    char16_t m_szLogW[kLogLineCapacity] = {};
    char m_szLogA[kLogLineCapacity] = {};
    Handle m_hPipeR;
    std::uint16_t m_wWinVer = 0;
    std::uint8_t m_bOpened = 0;
    Handle m_hPipeW;
    Handle m_hMutexRW;
    OVERLAPPED m_OverlappedR{};
    OVERLAPPED m_OverlappedW{};
    OVERLAPPED m_OverlappedAux{};
    char16_t m_szVidPid[kPathCapacity] = {};
    std::uint8_t m_bLogTrailer = 0;
    std::uint8_t m_byPipeFlags = kPipeRead | kPipeWrite;
    std::uint32_t m_dwTimeoutR = 5000;
    std::uint32_t m_dwTimeoutW = 5000;
    std::uint32_t m_dwTransferSize = 0x40000;
    std::uint32_t m_dwInstIndex = 0;
    std::uint32_t m_dwLinked = 0;
    std::uint32_t m_dwEnumMode = 0;

private:
    bool IsLogged(std::uint32_t level) const {
        return m_dwLogLevel != 0 && m_pLogFile != nullptr && level <= m_dwLogLevel;
    }
    void WriteLogLine(std::u16string_view line);
    void FinishLog();
    // Closes a handle the system still reports as valid, and forgets it either way.
    void ReleaseHandle(Handle& handle);

    Platform m_platform;
};

}  // namespace kelvane
