#pragma once

#include "platform/WindowHost.h"

namespace kelvane {

// Window texts, control messages and menus of user32. The control messages go through
// SendMessageW, so the controls answer as Windows' own do.
class Win32WindowHost final : public WindowHost {
public:
    std::int32_t GetWindowTextW(WindowHandle window, char16_t* buffer,
                                std::int32_t maxCount) override;
    bool SetWindowTextW(WindowHandle window, const char16_t* text) override;
    WindowHandle GetWindow(WindowHandle window, std::uint32_t command) override;

    MessageResult ListGetCount(const ListMessages& kind, WindowHandle box) override;
    MessageResult ListGetCurSel(const ListMessages& kind, WindowHandle box) override;
    MessageResult ListGetTextLen(const ListMessages& kind, WindowHandle box,
                                 std::int32_t index) override;
    MessageResult ListGetText(const ListMessages& kind, WindowHandle box, std::int32_t index,
                              char16_t* buffer) override;
    MessageResult ListGetItemData(const ListMessages& kind, WindowHandle box,
                                  std::int32_t index) override;
    MessageResult ListDeleteString(const ListMessages& kind, WindowHandle box,
                                   std::int32_t index) override;
    MessageResult ListInsertString(const ListMessages& kind, WindowHandle box, std::int32_t index,
                                   const char16_t* text) override;
    MessageResult ListSetItemData(const ListMessages& kind, WindowHandle box, std::int32_t index,
                                  std::intptr_t data) override;
    MessageResult ListSetCurSel(const ListMessages& kind, WindowHandle box,
                                std::int32_t index) override;

    WindowHandle LvmGetHeader(WindowHandle list) override;
    MessageResult LvmGetItemCount(WindowHandle list) override;
    MessageResult LvmGetItemTextW(WindowHandle list, std::int32_t index, LVITEMW& item) override;
    MessageResult LvmSetItemTextW(WindowHandle list, std::int32_t index,
                                  const LVITEMW& item) override;

    MessageResult HdmGetItemCount(WindowHandle header) override;
    MessageResult HdmGetItemW(WindowHandle header, std::int32_t index, HDITEMW& item) override;
    MessageResult HdmSetItemW(WindowHandle header, std::int32_t index,
                              const HDITEMW& item) override;

    MenuHandle GetMenu(WindowHandle window) override;
    std::int32_t GetMenuItemCount(MenuHandle menu) override;
    std::int32_t GetMenuStringW(MenuHandle menu, std::uint32_t item, char16_t* buffer,
                                std::int32_t maxCount, std::uint32_t flags) override;
    std::uint32_t GetMenuItemID(MenuHandle menu, std::int32_t position) override;
    MenuHandle GetSubMenu(MenuHandle menu, std::int32_t position) override;
    bool ModifyMenuW(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                     std::uintptr_t newItem, const char16_t* newItemText) override;
    bool DrawMenuBar(WindowHandle window) override;
};

}  // namespace kelvane
