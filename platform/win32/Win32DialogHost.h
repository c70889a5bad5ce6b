#pragma once

#include <map>
#include <memory>

#include "platform/DialogHost.h"

namespace kelvane {

// Modal dialogs from the templates in the program's resources, run by the Windows dialog
// manager; every message of the dialog window goes to the given DialogProcedure.
class Win32DialogHost final : public DialogHost {
public:
    Win32DialogHost();
    ~Win32DialogHost() override;
    Win32DialogHost(const Win32DialogHost&) = delete;
    Win32DialogHost& operator=(const Win32DialogHost&) = delete;

    std::intptr_t DialogBoxParamW(ModuleHandle module, std::uint16_t templateId,
                                  WindowHandle owner, DialogProcedure& procedure) override;
    bool EndDialog(WindowHandle dialog, std::intptr_t result) override;
    WindowHandle GetDlgItem(WindowHandle dialog, std::int32_t id) override;
    MenuHandle GetSystemMenu(WindowHandle window, bool revert) override;
    bool AppendMenuW(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                     const char16_t* text) override;
    std::int32_t LoadStringW(ModuleHandle module, std::uint32_t id, char16_t* buffer,
                             std::int32_t bufferMax) override;
    IconHandle LoadIconW(ModuleHandle module, std::uint16_t id) override;
    IconHandle WmSetIcon(WindowHandle window, std::uint32_t which, IconHandle icon) override;
    bool IsIconic(WindowHandle window) override;
    DeviceContext BeginPaint(WindowHandle window) override;
    void EndPaint(WindowHandle window, DeviceContext dc) override;
    void WmIconEraseBkgnd(WindowHandle window, DeviceContext dc) override;
    std::int32_t GetSystemMetrics(std::int32_t index) override;
    bool GetClientRect(WindowHandle window, RECT& rect) override;
    bool DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y, IconHandle icon) override;

private:
    // EndPaint needs the paint record BeginPaint filled; the seam hands back only the context.
    // One record (Windows' PAINTSTRUCT) per open context.
    struct PaintRecord;
    std::map<std::uintptr_t, std::unique_ptr<PaintRecord>> m_paints;
};

}  // namespace kelvane
