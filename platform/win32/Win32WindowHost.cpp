#include "platform/win32/Win32WindowHost.h"

#include <windows.h>

#include <commctrl.h>

#include "platform/win32/Win32Interop.h"

namespace kelvane {
namespace {

using win32::ToWindow;
using win32::Wide;

HMENU ToMenu(MenuHandle menu) {
    return reinterpret_cast<HMENU>(menu.value);
}

MessageResult Send(WindowHandle window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(ToWindow(window), message, wParam, lParam);
}

// An item index travels in wParam as the WPARAM of its (sign-extended) value, as the Windows
// macros pass it: -1 must stay -1 where a message gives it a meaning.
WPARAM Index(std::int32_t index) {
    return static_cast<WPARAM>(static_cast<INT_PTR>(index));
}

LPARAM Text(const char16_t* text) {
    return reinterpret_cast<LPARAM>(text);
}

LPARAM Buffer(char16_t* buffer) {
    return reinterpret_cast<LPARAM>(buffer);
}

}  // namespace

std::int32_t Win32WindowHost::GetWindowTextW(WindowHandle window, char16_t* buffer,
                                             std::int32_t maxCount) {
    return ::GetWindowTextW(ToWindow(window), Wide(buffer), maxCount);
}

bool Win32WindowHost::SetWindowTextW(WindowHandle window, const char16_t* text) {
    return ::SetWindowTextW(ToWindow(window), Wide(text)) != FALSE;
}

WindowHandle Win32WindowHost::GetWindow(WindowHandle window, std::uint32_t command) {
    return win32::FromHandle<WindowHandle>(::GetWindow(ToWindow(window), command));
}

// Combo boxes and list boxes: the kind's table gives the message numbers.
MessageResult Win32WindowHost::ListGetCount(const ListMessages& kind, WindowHandle box) {
    return Send(box, kind.getCount);
}

MessageResult Win32WindowHost::ListGetCurSel(const ListMessages& kind, WindowHandle box) {
    return Send(box, kind.getCurSel);
}

MessageResult Win32WindowHost::ListGetTextLen(const ListMessages& kind, WindowHandle box,
                                              std::int32_t index) {
    return Send(box, kind.getTextLen, Index(index));
}

MessageResult Win32WindowHost::ListGetText(const ListMessages& kind, WindowHandle box,
                                           std::int32_t index, char16_t* buffer) {
    return Send(box, kind.getText, Index(index), Buffer(buffer));
}

MessageResult Win32WindowHost::ListGetItemData(const ListMessages& kind, WindowHandle box,
                                               std::int32_t index) {
    return Send(box, kind.getItemData, Index(index));
}

MessageResult Win32WindowHost::ListDeleteString(const ListMessages& kind, WindowHandle box,
                                                std::int32_t index) {
    return Send(box, kind.deleteString, Index(index));
}

MessageResult Win32WindowHost::ListInsertString(const ListMessages& kind, WindowHandle box,
                                                std::int32_t index, const char16_t* text) {
    return Send(box, kind.insertString, Index(index), Text(text));
}

MessageResult Win32WindowHost::ListSetItemData(const ListMessages& kind, WindowHandle box,
                                               std::int32_t index, std::intptr_t data) {
    return Send(box, kind.setItemData, Index(index), data);
}

MessageResult Win32WindowHost::ListSetCurSel(const ListMessages& kind, WindowHandle box,
                                             std::int32_t index) {
    return Send(box, kind.setCurSel, Index(index));
}

WindowHandle Win32WindowHost::LvmGetHeader(WindowHandle list) {
    return WindowHandle{static_cast<std::uintptr_t>(Send(list, LVM_GETHEADER))};
}

MessageResult Win32WindowHost::LvmGetItemCount(WindowHandle list) {
    return Send(list, LVM_GETITEMCOUNT);
}

// Our item and header records match Windows' field for field (see RecordLayout.cpp).
MessageResult Win32WindowHost::LvmGetItemTextW(WindowHandle list, std::int32_t index,
                                               LVITEMW& item) {
    return Send(list, LVM_GETITEMTEXTW, Index(index), reinterpret_cast<LPARAM>(&item));
}

MessageResult Win32WindowHost::LvmSetItemTextW(WindowHandle list, std::int32_t index,
                                               const LVITEMW& item) {
    return Send(list, LVM_SETITEMTEXTW, Index(index), reinterpret_cast<LPARAM>(&item));
}

MessageResult Win32WindowHost::HdmGetItemCount(WindowHandle header) {
    return Send(header, HDM_GETITEMCOUNT);
}

MessageResult Win32WindowHost::HdmGetItemW(WindowHandle header, std::int32_t index, HDITEMW& item) {
    return Send(header, HDM_GETITEMW, Index(index), reinterpret_cast<LPARAM>(&item));
}

MessageResult Win32WindowHost::HdmSetItemW(WindowHandle header, std::int32_t index,
                                           const HDITEMW& item) {
    return Send(header, HDM_SETITEMW, Index(index), reinterpret_cast<LPARAM>(&item));
}

MenuHandle Win32WindowHost::GetMenu(WindowHandle window) {
    return win32::FromHandle<MenuHandle>(::GetMenu(ToWindow(window)));
}

std::int32_t Win32WindowHost::GetMenuItemCount(MenuHandle menu) {
    return ::GetMenuItemCount(ToMenu(menu));
}

std::int32_t Win32WindowHost::GetMenuStringW(MenuHandle menu, std::uint32_t item, char16_t* buffer,
                                             std::int32_t maxCount, std::uint32_t flags) {
    return ::GetMenuStringW(ToMenu(menu), item, Wide(buffer), maxCount, flags);
}

std::uint32_t Win32WindowHost::GetMenuItemID(MenuHandle menu, std::int32_t position) {
    return ::GetMenuItemID(ToMenu(menu), position);
}

MenuHandle Win32WindowHost::GetSubMenu(MenuHandle menu, std::int32_t position) {
    return win32::FromHandle<MenuHandle>(::GetSubMenu(ToMenu(menu), position));
}

bool Win32WindowHost::ModifyMenuW(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                                  std::uintptr_t newItem, const char16_t* newItemText) {
    return ::ModifyMenuW(ToMenu(menu), position, flags, newItem, Wide(newItemText)) != FALSE;
}

bool Win32WindowHost::DrawMenuBar(WindowHandle window) {
    return ::DrawMenuBar(ToWindow(window)) != FALSE;
}

}  // namespace kelvane
