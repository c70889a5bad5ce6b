#pragma once

#include <cstdint>

#include "platform/Handles.h"
#include "platform/WindowHost.h"

namespace kelvane {

// Window messages a dialog procedure receives, by their Windows numbers.
inline constexpr std::uint32_t kWmClose = 0x0010;
inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmIconEraseBkgnd = 0x0027;
inline constexpr std::uint32_t kWmQueryDragIcon = 0x0037;
inline constexpr std::uint32_t kWmInitDialog = 0x0110;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;
inline constexpr std::uint32_t kWmDeviceChange = 0x0219;

// Command IDs.
inline constexpr std::uint16_t kIdOk = 1;
inline constexpr std::uint16_t kIdCancel = 2;
// System commands.
inline constexpr std::uint32_t kScClose = 0xF060;
inline constexpr std::uint32_t kScMinimize = 0xF020;
inline constexpr std::uint32_t kScRestore = 0xF120;
// Device-change events.
inline constexpr std::uint32_t kDbtDeviceArrival = 0x8000;
inline constexpr std::uint32_t kDbtDeviceQueryRemove = 0x8001;
inline constexpr std::uint32_t kDbtDeviceRemoveComplete = 0x8004;
inline constexpr std::uint32_t kDbtDevNodesChanged = 0x0007;

inline constexpr std::uint32_t kIconSmall = 0;
inline constexpr std::uint32_t kIconBig = 1;
inline constexpr std::int32_t kSmCxIcon = 11;
inline constexpr std::int32_t kSmCyIcon = 12;

struct RECT {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// The dialog's side of a modal run: every message for the dialog window goes through it.
class DialogProcedure {
public:
    // Returns true when the message was handled, with the answer to its sender in `result`;
    // false leaves it to the host's default processing. WM_INITDIALOG's result says whether the
    // host should set the default keyboard focus.
    virtual bool HandleDialogMessage(WindowHandle dialog, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam,
                                     std::intptr_t& result) = 0;

protected:
    ~DialogProcedure() = default;
};

// Modal dialogs made from the program's templates (102 the main dialog, 100 the About box), as the Windows dialog manager runs them.
// Default processing follows Windows: the Close system command becomes WM_CLOSE, an unhandled
// WM_CLOSE becomes the command IDCANCEL, and Escape is IDCANCEL too; Enter is IDOK. Device
// notifications reach the dialog as WM_DEVICECHANGE with a pointer to the broadcast record in
// lParam, also while another modal dialog of the program is open.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Creates the dialog of template `templateId`, owned by `owner` (disabled while it runs),
    // sends it WM_INITDIALOG and runs its modal loop until EndDialog. An EndDialog during
    // WM_INITDIALOG keeps the loop from starting. Returns EndDialog's result, -1 on failure.
    virtual std::intptr_t DialogBoxParamW(ModuleHandle module, std::uint16_t templateId,
                                          WindowHandle owner, DialogProcedure& procedure) = 0;
    virtual bool EndDialog(WindowHandle dialog, std::intptr_t result) = 0;

    virtual WindowHandle GetDlgItem(WindowHandle dialog, std::int32_t id) = 0;

    // The window menu; null when the window has none.
    virtual MenuHandle GetSystemMenu(WindowHandle window, bool revert) = 0;
    virtual bool AppendMenuW(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                             const char16_t* text) = 0;

    // String `id` of the module's string table; returns its length, 0 when there is none.
    virtual std::int32_t LoadStringW(ModuleHandle module, std::uint32_t id, char16_t* buffer,
                                     std::int32_t bufferMax) = 0;
    virtual IconHandle LoadIconW(ModuleHandle module, std::uint16_t id) = 0;
    // WM_SETICON with ICON_BIG or ICON_SMALL.
    virtual IconHandle WmSetIcon(WindowHandle window, std::uint32_t which, IconHandle icon) = 0;

    // Painting of a minimised window.
    virtual bool IsIconic(WindowHandle window) = 0;
    virtual DeviceContext BeginPaint(WindowHandle window) = 0;
    virtual void EndPaint(WindowHandle window, DeviceContext dc) = 0;
    // WM_ICONERASEBKGND with the paint context.
    virtual void WmIconEraseBkgnd(WindowHandle window, DeviceContext dc) = 0;
    virtual std::int32_t GetSystemMetrics(std::int32_t index) = 0;
    virtual bool GetClientRect(WindowHandle window, RECT& rect) = 0;
    virtual bool DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y, IconHandle icon) = 0;
};

}  // namespace kelvane
