#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/DialogHost.h"
#include "tests/support/FakeWindowHost.h"

namespace kelvane::testing {

// Modal dialogs in memory. Their windows and controls live in the fake window host, built from
// the program's templates. A modal loop cannot wait for a user here: it runs the steps a test
// queued in `whileModal`, in order, until its dialog ends; a loop that runs out of steps ends
// its dialog with kLoopRanDry, so a test that forgot to end one sees it.
class FakeDialogHost final : public DialogHost {
public:
    static constexpr std::intptr_t kLoopRanDry = -2;

    struct Run {
        std::uint16_t templateId;
        WindowHandle dialog;
        WindowHandle owner;
        bool loopEntered = false;
        bool ended = false;
        std::intptr_t result = 0;
    };
    struct DrawnIcon {
        std::int32_t x, y;
        IconHandle icon;
    };

    explicit FakeDialogHost(FakeWindowHost& windows) : m_windows(windows) {}

    // Scripting.
    std::deque<std::function<void()>> whileModal;
    std::u16string aboutItemText;  // string 101; empty: no such string
    bool hasSystemMenu = true;
    bool iconic = false;
    RECT clientRect{0, 0, 468, 177};
    std::int32_t iconWidth = 32;
    std::int32_t iconHeight = 32;

    // What happened.
    std::vector<Run> runs;
    std::map<std::uintptr_t, std::pair<IconHandle, IconHandle>> icons;  // window -> big, small
    std::vector<DrawnIcon> drawnIcons;
    int iconBackgroundErasures = 0;
    int defaultProcessing = 0;  // messages left to the host

    // The dialog of the most recent run of `templateId`, open or not.
    WindowHandle DialogOf(std::uint16_t templateId) const;
    bool IsOpen(WindowHandle dialog) const;
    bool IsEnabled(WindowHandle window) const { return !m_disabled.contains(window.value); }
    MenuHandle SystemMenuOf(WindowHandle dialog) const;

    // The user's and the system's actions, with the host's default processing.
    std::intptr_t Send(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam = 0,
                       std::intptr_t lParam = 0);
    void PressEnter(WindowHandle dialog) { Send(dialog, kWmCommand, kIdOk); }
    void PressEscape(WindowHandle dialog) { Send(dialog, kWmCommand, kIdCancel); }
    void Click(WindowHandle dialog, std::uint16_t id) { Send(dialog, kWmCommand, id); }
    void SystemCommand(WindowHandle dialog, std::uint32_t id) { Send(dialog, kWmSysCommand, id); }
    std::intptr_t DeviceChange(WindowHandle dialog, std::uint32_t event, const void* record) {
        return Send(dialog, kWmDeviceChange, event, reinterpret_cast<std::intptr_t>(record));
    }

    std::intptr_t DialogBoxParamW(ModuleHandle module, std::uint16_t templateId, WindowHandle owner,
                                  DialogProcedure& procedure) override;
    bool EndDialog(WindowHandle dialog, std::intptr_t result) override;
    WindowHandle GetDlgItem(WindowHandle dialog, std::int32_t id) override;
    MenuHandle GetSystemMenu(WindowHandle window, bool revert) override;
    bool AppendMenuW(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                     const char16_t* text) override;
    std::int32_t LoadStringW(ModuleHandle module, std::uint32_t id, char16_t* buffer,
                             std::int32_t bufferMax) override;
    IconHandle LoadIconW(ModuleHandle module, std::uint16_t id) override;
    IconHandle WmSetIcon(WindowHandle window, std::uint32_t which, IconHandle icon) override;
    bool IsIconic(WindowHandle) override { return iconic; }
    DeviceContext BeginPaint(WindowHandle window) override;
    void EndPaint(WindowHandle window, DeviceContext dc) override;
    void WmIconEraseBkgnd(WindowHandle window, DeviceContext dc) override;
    std::int32_t GetSystemMetrics(std::int32_t index) override;
    bool GetClientRect(WindowHandle window, RECT& rect) override;
    bool DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y, IconHandle icon) override;

    static constexpr IconHandle kProgramIcon{0x128};

private:
    Run* FindRun(WindowHandle dialog);

    FakeWindowHost& m_windows;
    std::map<std::uintptr_t, DialogProcedure*> m_procedures;
    std::map<std::pair<std::uintptr_t, std::int32_t>, WindowHandle> m_items;
    std::map<std::uintptr_t, MenuHandle> m_systemMenus;
    std::map<std::uintptr_t, int> m_disabled;  // window -> how many dialogs it owns now
    std::optional<DeviceContext> m_openPaint;
};

}  // namespace kelvane::testing
