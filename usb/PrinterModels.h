#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvane {

// One row of the model catalogue. Only the VID/PID word is read by the program; the other fields
// describe the model and belong to the row format.
struct PrinterModel {
    std::uint32_t dwVidPid;  // USB vendor ID in bits 31..16, product ID in bits 15..0
    std::uint32_t dwDpi;
    std::uint32_t dwPrintWidth;   // dots at dwDpi
    std::uint32_t dwPrintHeight;  // dots at dwDpi
    std::uint32_t dwValue4;
    std::uint32_t dwValue5;
    std::uint32_t dwValue6;
    const char16_t* szShortName;
    const char16_t* szProductName;
    const char16_t* szModelCode;  // three letters
    const char16_t* szFamily;
    std::uint32_t
        dwNextRow;  // the next row's index; 0xFFFFFFFF on the last model, 0 on the end row
    std::uint32_t dwClassCode;
};

// Row 0 is the start row and row 92 the end row; model m (1..91) is row m.
inline constexpr std::uint32_t kFirstModel = 1;
inline constexpr std::uint32_t kLastModel = 91;
inline constexpr std::uint32_t kModelRowCount = 93;
inline constexpr std::uint32_t kModelLumoA = 68;
inline constexpr std::uint32_t kModelLumoB = 91;

extern const PrinterModel g_PrinterModels[kModelRowCount];

// The models the main dialog waits for, in the order it tries them, ended by 0.
inline constexpr std::uint32_t g_DetectModels[] = {kModelLumoA, kModelLumoB, 0};

constexpr bool IsModelNumber(std::uint32_t model) {
    return model >= kFirstModel && model <= kLastModel;
}

// The VID/PID word of model 1..91; 0, the word of no model, for any other number.
std::uint32_t VidPidOfModel(std::uint32_t model);

// The lowest model 1..91 whose row holds `vidPid`. The start and end rows are never searched.
std::optional<std::uint32_t> FindModelByVidPid(std::uint32_t vidPid);

// "VID_2E47&PID_0502": the link keeps this form of the model it opened.
std::u16string FormatVidPidShort(std::uint32_t vidPid);

// "USB\VID_2E47&PID_0502": the first 21 characters of a matching device instance ID.
std::u16string FormatInstanceIdPrefix(std::uint32_t vidPid);

}  // namespace kelvane
