#pragma once

#include <cstdint>

#include "platform/Handles.h"

namespace kelvane {

// What a control message answers (LRESULT).
using MessageResult = std::intptr_t;

// GetWindow commands.
inline constexpr std::uint32_t kGwHwndNext = 2;
inline constexpr std::uint32_t kGwChild = 5;

// The error answer of the combo-box and list-box messages.
inline constexpr MessageResult kCbErr = -1;
inline constexpr MessageResult kLbErr = -1;

// Combo boxes and list boxes answer the same item messages, each kind under its own numbers:
// one table per kind, which the list operations of WindowHost take.
struct ListMessages {
    std::uint32_t getCount;
    std::uint32_t getCurSel;
    std::uint32_t getTextLen;
    std::uint32_t getText;
    std::uint32_t getItemData;
    std::uint32_t deleteString;
    std::uint32_t insertString;
    std::uint32_t setItemData;
    std::uint32_t setCurSel;
    // The answer to an index that names no item.
    MessageResult error;
};

// CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETITEMDATA, CB_DELETESTRING,
// CB_INSERTSTRING, CB_SETITEMDATA, CB_SETCURSEL.
inline constexpr ListMessages kComboBoxMessages{0x0146, 0x0147, 0x0149, 0x0148, 0x0150,
                                                0x0144, 0x014A, 0x0151, 0x014E, kCbErr};
// LB_GETCOUNT, LB_GETCURSEL, LB_GETTEXTLEN, LB_GETTEXT, LB_GETITEMDATA, LB_DELETESTRING,
// LB_INSERTSTRING, LB_SETITEMDATA, LB_SETCURSEL.
inline constexpr ListMessages kListBoxMessages{0x018B, 0x0188, 0x018A, 0x0189, 0x0199,
                                               0x0182, 0x0181, 0x019A, 0x0186, kLbErr};

// Menu item flags of ModifyMenuW and GetMenuStringW.
inline constexpr std::uint32_t kMfString = 0x0000;
inline constexpr std::uint32_t kMfPopup = 0x0010;
inline constexpr std::uint32_t kMfByPosition = 0x0400;
inline constexpr std::uint32_t kMfSeparator = 0x0800;
// What GetMenuItemID reports for an item that opens a submenu (and for a missing item).
inline constexpr std::uint32_t kMenuItemOpensSubmenu = 0xFFFFFFFF;

inline constexpr std::uint32_t kHdiText = 0x0002;
inline constexpr std::uint32_t kLvifText = 0x0001;

// The header item record, field for field.
struct HDITEMW {
    std::uint32_t mask;
    std::int32_t cxy;
    char16_t* pszText;
    std::uintptr_t hbm;
    std::int32_t cchTextMax;
    std::int32_t fmt;
    std::intptr_t lParam;
    std::int32_t iImage;
    std::int32_t iOrder;
    std::uint32_t type;
    void* pvFilter;
    std::uint32_t state;
};

// The list-view item record, field for field.
struct LVITEMW {
    std::uint32_t mask;
    std::int32_t iItem;
    std::int32_t iSubItem;
    std::uint32_t state;
    std::uint32_t stateMask;
    char16_t* pszText;
    std::int32_t cchTextMax;
    std::int32_t iImage;
    std::intptr_t lParam;
    std::int32_t iIndent;
    std::int32_t iGroupId;
    std::uint32_t cColumns;
    std::uint32_t* puColumns;
    std::int32_t* piColFmt;
    std::int32_t iGroup;
};

// Windows, their controls and their menus. Each operation stands for the Windows function or the
// control message (sent with SendMessageW) of the same name and answers as it does. A window that
// is not the kind of control a message is meant for answers it with 0.
class WindowHost {
public:
    virtual ~WindowHost() = default;

    // Copies at most `maxCount` - 1 characters and a terminator; returns the number copied.
    virtual std::int32_t GetWindowTextW(WindowHandle window, char16_t* buffer,
                                        std::int32_t maxCount) = 0;
    virtual bool SetWindowTextW(WindowHandle window, const char16_t* text) = 0;
    // kGwChild: the first child; kGwHwndNext: the next sibling. Null when there is none.
    virtual WindowHandle GetWindow(WindowHandle window, std::uint32_t command) = 0;

    // Combo-box and list-box messages, sent with the numbers of `kind` (kComboBoxMessages or
    // kListBoxMessages). ListGetText writes the whole item text and its terminator: `buffer` must
    // hold ListGetTextLen + 1 characters.
    virtual MessageResult ListGetCount(const ListMessages& kind, WindowHandle box) = 0;
    virtual MessageResult ListGetCurSel(const ListMessages& kind, WindowHandle box) = 0;
    virtual MessageResult ListGetTextLen(const ListMessages& kind, WindowHandle box,
                                         std::int32_t index) = 0;
    virtual MessageResult ListGetText(const ListMessages& kind, WindowHandle box,
                                      std::int32_t index, char16_t* buffer) = 0;
    virtual MessageResult ListGetItemData(const ListMessages& kind, WindowHandle box,
                                          std::int32_t index) = 0;
    virtual MessageResult ListDeleteString(const ListMessages& kind, WindowHandle box,
                                           std::int32_t index) = 0;
    virtual MessageResult ListInsertString(const ListMessages& kind, WindowHandle box,
                                           std::int32_t index, const char16_t* text) = 0;
    virtual MessageResult ListSetItemData(const ListMessages& kind, WindowHandle box,
                                          std::int32_t index, std::intptr_t data) = 0;
    virtual MessageResult ListSetCurSel(const ListMessages& kind, WindowHandle box,
                                        std::int32_t index) = 0;

    // List-view messages (LVM_GETHEADER, ...). The item index travels apart from the record.
    virtual WindowHandle LvmGetHeader(WindowHandle list) = 0;
    virtual MessageResult LvmGetItemCount(WindowHandle list) = 0;
    virtual MessageResult LvmGetItemTextW(WindowHandle list, std::int32_t index, LVITEMW& item) = 0;
    virtual MessageResult LvmSetItemTextW(WindowHandle list, std::int32_t index,
                                          const LVITEMW& item) = 0;

    // Header messages (HDM_GETITEMCOUNT, ...).
    virtual MessageResult HdmGetItemCount(WindowHandle header) = 0;
    virtual MessageResult HdmGetItemW(WindowHandle header, std::int32_t index, HDITEMW& item) = 0;
    virtual MessageResult HdmSetItemW(WindowHandle header, std::int32_t index,
                                      const HDITEMW& item) = 0;

    // The window's menu bar; null when it has none.
    virtual MenuHandle GetMenu(WindowHandle window) = 0;
    // -1 for a menu that does not exist.
    virtual std::int32_t GetMenuItemCount(MenuHandle menu) = 0;
    // Copies at most `maxCount` - 1 characters and a terminator; returns the number copied.
    virtual std::int32_t GetMenuStringW(MenuHandle menu, std::uint32_t item, char16_t* buffer,
                                        std::int32_t maxCount, std::uint32_t flags) = 0;
    virtual std::uint32_t GetMenuItemID(MenuHandle menu, std::int32_t position) = 0;
    virtual MenuHandle GetSubMenu(MenuHandle menu, std::int32_t position) = 0;
    // Replaces an item. With kMfPopup, `newItem` is the submenu the item opens; replacing an item
    // that opens a submenu by anything but that same submenu destroys the submenu.
    virtual bool ModifyMenuW(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                             std::uintptr_t newItem, const char16_t* newItemText) = 0;
    virtual bool DrawMenuBar(WindowHandle window) = 0;
};

}  // namespace kelvane
