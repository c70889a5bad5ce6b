#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowHost.h"

namespace kelvane::testing {

// Which messages a fake window answers besides those of every window.
enum class FakeControl { kPlain, kComboBox, kListBox, kListView, kHeader };

struct FakeListItem {
    std::u16string text;
    std::intptr_t data = 0;

    friend bool operator==(const FakeListItem&, const FakeListItem&) = default;
};

struct FakeWindow {
    FakeControl control = FakeControl::kPlain;
    std::u16string text;
    std::string label;
    WindowHandle parent;
    std::vector<WindowHandle> children;
    // Combo box and list box: the items and the selected index, -1 for none.
    std::vector<FakeListItem> items;
    std::int32_t selection = -1;
    // Header: the column titles.
    std::vector<std::u16string> columns;
    // List view: one row of sub-item texts per item, and its header control.
    std::vector<std::vector<std::u16string>> rows;
    WindowHandle header;
    MenuHandle menu;
    // When set, the answer to the count message of its own kind of control instead of the count.
    std::optional<MessageResult> countAnswer;
};

struct FakeMenuItem {
    std::u16string text;
    std::uint32_t id = 0;
    bool separator = false;
    MenuHandle submenu;

    friend bool operator==(const FakeMenuItem&, const FakeMenuItem&) = default;
};

struct FakeMenu {
    std::string label;
    std::vector<FakeMenuItem> items;
    bool destroyed = false;
};

// Windows, controls and menus in memory, answering as the Windows ones do: a deleted or inserted
// list item moves the selection with it, inserting never sorts, and replacing an item that opens
// a submenu by anything but that submenu destroys it.
class FakeWindowHost final : public WindowHost {
public:
    // A window, made the last child of `parent` when that is not null. Its label names it in
    // `calls`; the default is "w" and its handle value.
    WindowHandle AddWindow(WindowHandle parent, FakeControl control, std::u16string text,
                           std::string label = {});
    // A list view with a header control of these column titles (none when empty) and rows.
    WindowHandle AddListView(WindowHandle parent, std::u16string text,
                             std::vector<std::u16string> columns,
                             std::vector<std::vector<std::u16string>> rows);
    MenuHandle AddMenu(std::string label, std::vector<FakeMenuItem> items = {});

    FakeWindow& Window(WindowHandle window) { return m_windows.at(window.value); }
    FakeMenu& Menu(MenuHandle menu) { return m_menus.at(menu.value); }

    // Every operation with its arguments, in order, e.g. "SetWindowTextW w4097 Cancel".
    std::vector<std::string> calls;
    // The calls whose text begins with one of these prefixes.
    std::vector<std::string> CallsStartingWith(const std::vector<std::string>& prefixes) const;

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

private:
    // The window if it exists and is of that kind of control.
    FakeWindow* Find(WindowHandle window, std::optional<FakeControl> control = std::nullopt);
    FakeMenu* FindMenu(MenuHandle menu);
    FakeMenuItem* MenuItem(MenuHandle menu, std::int32_t position);
    std::string Name(WindowHandle window);
    std::string Name(MenuHandle menu);
    void Log(std::string call) { calls.push_back(std::move(call)); }
    void DestroyMenu(MenuHandle menu);

    // The list-item messages, shared by combo boxes and list boxes; the calls are logged as
    // "Cb..." or "Lb..." after the kind.
    static bool IsComboBox(const ListMessages& kind) {
        return kind.getCount == kComboBoxMessages.getCount;
    }
    FakeWindow* FindBox(const ListMessages& kind, WindowHandle box);
    std::string Call(const ListMessages& kind, const char* operation, WindowHandle box);
    MessageResult GetCount(FakeWindow* box);
    MessageResult GetTextLen(FakeWindow* box, std::int32_t index);
    MessageResult GetText(FakeWindow* box, std::int32_t index, char16_t* buffer);
    MessageResult GetItemData(FakeWindow* box, std::int32_t index);
    MessageResult DeleteString(FakeWindow* box, std::int32_t index);
    MessageResult InsertString(FakeWindow* box, std::int32_t index, const char16_t* text);
    MessageResult SetItemData(FakeWindow* box, std::int32_t index, std::intptr_t data);
    MessageResult SetCurSel(FakeWindow* box, std::int32_t index);

    std::map<std::uintptr_t, FakeWindow> m_windows;
    std::map<std::uintptr_t, FakeMenu> m_menus;
    std::uintptr_t m_nextWindow = 0x1000;
    std::uintptr_t m_nextMenu = 0x2000;
};

// UTF-8 of a UTF-16 text, for messages and call logs.
std::string Utf8(std::u16string_view text);

}  // namespace kelvane::testing
