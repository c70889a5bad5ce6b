#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/DialogHost.h"
#include "platform/WindowHost.h"
#include "res/DialogTemplates.h"

namespace kelvane {

// System commands the window menu offers besides the program's own items.
inline constexpr std::uint32_t kScMove = 0xF010;

// The window and static-control style bits the templates use, as Windows defines them.
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kWsTabStop = 0x00010000;
inline constexpr std::uint32_t kSsTypeMask = 0x1F;
inline constexpr std::uint32_t kSsCenter = 0x1;
inline constexpr std::uint32_t kSsRight = 0x2;
inline constexpr std::uint32_t kSsNoPrefix = 0x80;
inline constexpr std::uint32_t kSsCenterImage = 0x200;

// What every Linux dialog host shares, whatever draws the dialogs: the windows made from the
// program's templates (their texts, ids and order), the window menus, the modal runs with the
// dialog manager's default processing, and the window operations the text translation uses.
// A host that draws the dialogs derives from it and supplies the realisation and the loop.
class TemplateDialogHost : public DialogHost, public WindowHost {
public:
    struct MenuItem {
        std::u16string text;
        std::uint32_t id = 0;
        bool separator = false;
    };

    // Sends `message` to the dialog window's procedure, with the default processing of what it
    // leaves. A window that is no open dialog answers 0.
    std::intptr_t SendMessageW(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam);
    // Hands a device notification to the window, as WM_DEVICECHANGE with the record in lParam.
    void DeliverDeviceChange(WindowHandle window, std::uint32_t event, const void* record);
    // Calls `ready` on the UI thread whenever `fd` is readable, also during nested modal runs.
    virtual void WatchDescriptor(int fd, std::function<void()> ready) = 0;

    // The keys and commands of the dialog manager.
    void PressEscape(WindowHandle dialog) { SendMessageW(dialog, kWmCommand, kIdCancel, 0); }
    // Enter: the command of the default push button, IDOK when there is none.
    void PressEnter(WindowHandle dialog);
    void SystemCommand(WindowHandle dialog, std::uint32_t command) {
        SendMessageW(dialog, kWmSysCommand, command, 0);
    }

    bool IsEnabled(WindowHandle window) const { return !m_disabled.contains(window.value); }
    bool IsOpen(WindowHandle dialog) const;
    // The dialog most recently opened and still open; null when none is.
    WindowHandle ActiveDialog() const;
    const std::vector<MenuItem>* MenuItems(MenuHandle menu) const;
    // The control's id and template record; null for a window that is no control of ours.
    const DialogControl* ControlOf(WindowHandle window) const;
    std::u16string TextOf(WindowHandle window) const;
    // The direct children of a dialog, in template order.
    std::vector<WindowHandle> ChildrenOf(WindowHandle dialog) const;
    // The icon set with WM_SETICON; big or small.
    IconHandle IconOf(WindowHandle window, std::uint32_t which) const;

    static constexpr IconHandle kProgramIcon{0x128};

    // DialogHost.
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
    std::int32_t GetSystemMetrics(std::int32_t index) override;

    // WindowHost.
    std::int32_t GetWindowTextW(WindowHandle window, char16_t* buffer,
                                std::int32_t maxCount) override;
    bool SetWindowTextW(WindowHandle window, const char16_t* text) override;
    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override;
    // The dialogs hold buttons and static texts only: every combo-box, list-box, list-view and
    // header message finds a window that is not that kind of control and answers 0.
    MessageResult ListGetCount(const ListMessages&, WindowHandle) override { return 0; }
    MessageResult ListGetCurSel(const ListMessages&, WindowHandle) override { return 0; }
    MessageResult ListGetTextLen(const ListMessages&, WindowHandle, std::int32_t) override {
        return 0;
    }
    MessageResult ListGetText(const ListMessages&, WindowHandle, std::int32_t, char16_t*) override {
        return 0;
    }
    MessageResult ListGetItemData(const ListMessages&, WindowHandle, std::int32_t) override {
        return 0;
    }
    MessageResult ListDeleteString(const ListMessages&, WindowHandle, std::int32_t) override {
        return 0;
    }
    MessageResult ListInsertString(const ListMessages&, WindowHandle, std::int32_t,
                                   const char16_t*) override {
        return 0;
    }
    MessageResult ListSetItemData(const ListMessages&, WindowHandle, std::int32_t,
                                  std::intptr_t) override {
        return 0;
    }
    MessageResult ListSetCurSel(const ListMessages&, WindowHandle, std::int32_t) override {
        return 0;
    }
    WindowHandle LvmGetHeader(WindowHandle) override { return WindowHandle::Null(); }
    MessageResult LvmGetItemCount(WindowHandle) override { return 0; }
    MessageResult LvmGetItemTextW(WindowHandle, std::int32_t, LVITEMW&) override { return 0; }
    MessageResult LvmSetItemTextW(WindowHandle, std::int32_t, const LVITEMW&) override { return 0; }
    MessageResult HdmGetItemCount(WindowHandle) override { return 0; }
    MessageResult HdmGetItemW(WindowHandle, std::int32_t, HDITEMW&) override { return 0; }
    MessageResult HdmSetItemW(WindowHandle, std::int32_t, const HDITEMW&) override { return 0; }
    // Dialogs have no menu bar; the window menu is reached through GetSystemMenu.
    MenuHandle GetMenu(WindowHandle) override { return MenuHandle::Null(); }
    std::int32_t GetMenuItemCount(MenuHandle menu) override;
    std::int32_t GetMenuStringW(MenuHandle menu, std::uint32_t item, char16_t* buffer,
                                std::int32_t maxCount, std::uint32_t flags) override;
    std::uint32_t GetMenuItemID(MenuHandle menu, std::int32_t position) override;
    MenuHandle GetSubMenu(MenuHandle, std::int32_t) override { return MenuHandle::Null(); }
    bool ModifyMenuW(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                     std::uintptr_t newItem, const char16_t* newItemText) override;
    bool DrawMenuBar(WindowHandle) override { return false; }

protected:
    struct Window {
        WindowHandle parent;
        const DialogTemplate* dialogTemplate = nullptr;  // dialogs
        const DialogControl* control = nullptr;          // controls
        std::u16string text;
        std::vector<WindowHandle> children;
        MenuHandle systemMenu;
        IconHandle bigIcon, smallIcon;
    };

    TemplateDialogHost() = default;

    // Builds what shows the dialog and its controls; the windows already exist.
    virtual void Realise(WindowHandle dialog) = 0;
    // Shows the dialog and returns once EndDialog has ended it.
    virtual void RunModalLoop(WindowHandle dialog) = 0;
    // EndDialog of a dialog whose loop may be running.
    virtual void QuitModalLoop(WindowHandle dialog) = 0;
    // Takes down what Realise built.
    virtual void Unrealise(WindowHandle dialog) = 0;
    // Changes the realisation follows.
    virtual void TextChanged(WindowHandle) {}
    virtual void EnabledChanged(WindowHandle) {}
    virtual void IconChanged(WindowHandle) {}
    // The standard system commands other than Close: move, minimise, restore.
    virtual void DefaultSystemCommand(WindowHandle, std::uint32_t) {}

    // Sends and tells whether the procedure handled the message itself.
    bool Dispatch(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                  std::intptr_t lParam, std::intptr_t& result);
    const Window* Find(WindowHandle window) const;
    Window* Find(WindowHandle window);
    // The id Enter sends: the default push button's, IDOK when there is none.
    std::uint16_t DefaultCommand(WindowHandle dialog) const;
    // The window that owns an open dialog; null when it has none.
    WindowHandle OwnerOf(WindowHandle dialog) const;

private:
    struct Run {
        WindowHandle dialog;
        WindowHandle owner;
        DialogProcedure* procedure;
        bool ended = false;
        std::intptr_t result = 0;
    };

    WindowHandle AddWindow(Window window);
    void DestroyDialog(WindowHandle dialog);
    Run* FindRun(WindowHandle dialog);
    const Run* FindRun(WindowHandle dialog) const;
    std::vector<MenuItem>* FindMenu(MenuHandle menu);
    MenuItem* FindItem(MenuHandle menu, std::uint32_t item, std::uint32_t flags);

    std::map<std::uintptr_t, Window> m_windows;
    std::map<std::uintptr_t, std::vector<MenuItem>> m_menus;
    std::vector<Run> m_runs;                   // open runs, outermost first
    std::map<std::uintptr_t, int> m_disabled;  // owner -> how many open dialogs it owns
    std::uintptr_t m_nextHandle = 0x1000;
};

}  // namespace kelvane
