#pragma once

#include <cstdint>

namespace kelvane {

class CUsbLink;

// The working record of one printer, created beside the link. Apart from the link it refers to
// and the model flag, its fields are working areas of the record format that nothing in the
// program reads. Its two transfer buffers make it large: it is always created on the heap.
class CPrinterContext {
public:
    CPrinterContext() = default;
    CPrinterContext(const CPrinterContext&) = delete;
    CPrinterContext& operator=(const CPrinterContext&) = delete;

    CUsbLink* m_pUsb = nullptr;  // the dialog's link; not owned
    std::uint8_t m_byState[3] = {};
    std::uint8_t m_abyDeviceInfo[1632] = {};
    std::uint8_t m_byStatus = 0;
    std::uint32_t m_dwCounters[4] = {};
    std::uint8_t m_abyJobInfo[1056] = {};
    std::uint8_t m_bModelBelow19 = 0;  // 1 when the opened model number is below 19
    std::uint8_t m_byReserved = 0;
    std::uint32_t m_dwReadLength = 0;
    std::uint8_t m_abyReadBuffer[262144] = {};
    std::uint32_t m_dwReadState[3] = {};
    std::uint16_t m_wReadFlags = 0;
    std::uint8_t m_abyWriteBuffer[262144] = {};
    std::uint16_t m_wWriteFlags = 0;
    std::uint32_t m_dwWriteState[5] = {};
    std::uint8_t m_byTail = 0;
    std::uint8_t m_abyTrailer[32] = {};
};

// Models 1 to 18 are the family's first generation.
constexpr std::uint8_t IsModelBelow19(std::uint32_t model) {
    return model < 19 ? 1 : 0;
}

}  // namespace kelvane
