#include "tests/support/FakeWindowHost.h"

#include <algorithm>
#include <string_view>

namespace kelvane::testing {
namespace {

std::u16string_view OrEmpty(const char16_t* text) {
    return text != nullptr ? std::u16string_view(text) : std::u16string_view();
}

// Copies at most `maxCount` - 1 characters and a terminator, as the Windows text getters do.
std::int32_t CopyCut(std::u16string_view text, char16_t* buffer, std::int32_t maxCount) {
    if (buffer == nullptr || maxCount <= 0) {
        return 0;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(maxCount) - 1);
    std::copy_n(text.begin(), length, buffer);
    buffer[length] = u'\0';
    return static_cast<std::int32_t>(length);
}

bool InRange(std::int32_t index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

}  // namespace

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

WindowHandle FakeWindowHost::AddWindow(WindowHandle parent, FakeControl control,
                                       std::u16string text, std::string label) {
    const WindowHandle handle{m_nextWindow++};
    FakeWindow window;
    window.control = control;
    window.text = std::move(text);
    window.label = label.empty() ? "w" + std::to_string(handle.value) : std::move(label);
    window.parent = parent;
    m_windows.emplace(handle.value, std::move(window));
    if (!parent.IsNull()) {
        Window(parent).children.push_back(handle);
    }
    return handle;
}

WindowHandle FakeWindowHost::AddListView(WindowHandle parent, std::u16string text,
                                         std::vector<std::u16string> columns,
                                         std::vector<std::vector<std::u16string>> rows) {
    const WindowHandle list = AddWindow(parent, FakeControl::kListView, std::move(text));
    Window(list).rows = std::move(rows);
    if (!columns.empty()) {
        const WindowHandle header = AddWindow(list, FakeControl::kHeader, u"");
        Window(header).columns = std::move(columns);
        Window(list).header = header;
    }
    return list;
}

MenuHandle FakeWindowHost::AddMenu(std::string label, std::vector<FakeMenuItem> items) {
    const MenuHandle handle{m_nextMenu++};
    m_menus.emplace(handle.value, FakeMenu{std::move(label), std::move(items), false});
    return handle;
}

std::vector<std::string> FakeWindowHost::CallsStartingWith(
    const std::vector<std::string>& prefixes) const {
    std::vector<std::string> selected;
    for (const std::string& call : calls) {
        if (std::any_of(prefixes.begin(), prefixes.end(),
                        [&](const std::string& prefix) { return call.starts_with(prefix); })) {
            selected.push_back(call);
        }
    }
    return selected;
}

FakeWindow* FakeWindowHost::Find(WindowHandle window, std::optional<FakeControl> control) {
    const auto it = m_windows.find(window.value);
    if (it == m_windows.end() || (control && it->second.control != *control)) {
        return nullptr;
    }
    return &it->second;
}

FakeMenu* FakeWindowHost::FindMenu(MenuHandle menu) {
    const auto it = m_menus.find(menu.value);
    return it == m_menus.end() || it->second.destroyed ? nullptr : &it->second;
}

FakeMenuItem* FakeWindowHost::MenuItem(MenuHandle menu, std::int32_t position) {
    FakeMenu* found = FindMenu(menu);
    if (found == nullptr || !InRange(position, found->items.size())) {
        return nullptr;
    }
    return &found->items[static_cast<std::size_t>(position)];
}

std::string FakeWindowHost::Name(WindowHandle window) {
    const FakeWindow* found = Find(window);
    return found != nullptr ? found->label : "w?" + std::to_string(window.value);
}

std::string FakeWindowHost::Name(MenuHandle menu) {
    const auto it = m_menus.find(menu.value);
    return it != m_menus.end() ? it->second.label : "m?" + std::to_string(menu.value);
}

void FakeWindowHost::DestroyMenu(MenuHandle menu) {
    const auto it = m_menus.find(menu.value);
    if (it == m_menus.end() || it->second.destroyed) {
        return;
    }
    it->second.destroyed = true;
    for (const FakeMenuItem& item : it->second.items) {
        DestroyMenu(item.submenu);
    }
}

// ---- Windows ----------------------------------------------------------------------------------

std::int32_t FakeWindowHost::GetWindowTextW(WindowHandle window, char16_t* buffer,
                                            std::int32_t maxCount) {
    Log("GetWindowTextW " + Name(window) + " " + std::to_string(maxCount));
    const FakeWindow* found = Find(window);
    return CopyCut(found != nullptr ? std::u16string_view(found->text) : u"", buffer, maxCount);
}

bool FakeWindowHost::SetWindowTextW(WindowHandle window, const char16_t* text) {
    Log("SetWindowTextW " + Name(window) + " " + Utf8(OrEmpty(text)));
    FakeWindow* found = Find(window);
    if (found == nullptr) {
        return false;
    }
    found->text = OrEmpty(text);
    return true;
}

WindowHandle FakeWindowHost::GetWindow(WindowHandle window, std::uint32_t command) {
    Log("GetWindow " + Name(window) + " " + std::to_string(command));
    const FakeWindow* found = Find(window);
    if (found == nullptr) {
        return WindowHandle::Null();
    }
    if (command == kGwChild) {
        return found->children.empty() ? WindowHandle::Null() : found->children.front();
    }
    if (command == kGwHwndNext && !found->parent.IsNull()) {
        const auto& siblings = Window(found->parent).children;
        const auto it = std::find(siblings.begin(), siblings.end(), window);
        if (it != siblings.end() && it + 1 != siblings.end()) {
            return *(it + 1);
        }
    }
    return WindowHandle::Null();
}

// ---- Combo boxes and list boxes ---------------------------------------------------------------

MessageResult FakeWindowHost::GetCount(FakeWindow* box) {
    if (box == nullptr) {
        return 0;
    }
    return box->countAnswer ? *box->countAnswer : static_cast<MessageResult>(box->items.size());
}

MessageResult FakeWindowHost::GetTextLen(FakeWindow* box, std::int32_t index) {
    if (box == nullptr) {
        return 0;
    }
    if (!InRange(index, box->items.size())) {
        return kCbErr;
    }
    return static_cast<MessageResult>(box->items[static_cast<std::size_t>(index)].text.size());
}

MessageResult FakeWindowHost::GetText(FakeWindow* box, std::int32_t index, char16_t* buffer) {
    if (box == nullptr) {
        return 0;
    }
    if (!InRange(index, box->items.size()) || buffer == nullptr) {
        return kCbErr;
    }
    // The whole text: the caller answers for the room, as on Windows.
    const std::u16string& text = box->items[static_cast<std::size_t>(index)].text;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = u'\0';
    return static_cast<MessageResult>(text.size());
}

MessageResult FakeWindowHost::GetItemData(FakeWindow* box, std::int32_t index) {
    if (box == nullptr) {
        return 0;
    }
    if (!InRange(index, box->items.size())) {
        return kCbErr;
    }
    return box->items[static_cast<std::size_t>(index)].data;
}

MessageResult FakeWindowHost::DeleteString(FakeWindow* box, std::int32_t index) {
    if (box == nullptr) {
        return 0;
    }
    if (!InRange(index, box->items.size())) {
        return kCbErr;
    }
    box->items.erase(box->items.begin() + index);
    if (box->selection == index) {
        box->selection = -1;
    } else if (box->selection > index) {
        --box->selection;
    }
    return static_cast<MessageResult>(box->items.size());
}

MessageResult FakeWindowHost::InsertString(FakeWindow* box, std::int32_t index,
                                           const char16_t* text) {
    if (box == nullptr) {
        return 0;
    }
    if (index == -1) {
        index = static_cast<std::int32_t>(box->items.size());
    }
    if (index < 0 || static_cast<std::size_t>(index) > box->items.size()) {
        return kCbErr;
    }
    box->items.insert(box->items.begin() + index, FakeListItem{std::u16string(OrEmpty(text)), 0});
    if (box->selection >= index) {
        ++box->selection;
    }
    return index;
}

MessageResult FakeWindowHost::SetItemData(FakeWindow* box, std::int32_t index, std::intptr_t data) {
    if (box == nullptr) {
        return 0;
    }
    if (!InRange(index, box->items.size())) {
        return kCbErr;
    }
    box->items[static_cast<std::size_t>(index)].data = data;
    return 1;
}

MessageResult FakeWindowHost::SetCurSel(FakeWindow* box, std::int32_t index) {
    if (box == nullptr) {
        return 0;
    }
    // -1 clears the selection and still answers with the error value.
    if (!InRange(index, box->items.size())) {
        box->selection = -1;
        return kCbErr;
    }
    box->selection = index;
    return index;
}

// The kind of control a list message is meant for, and the prefix its calls are logged with.
FakeWindow* FakeWindowHost::FindBox(const ListMessages& kind, WindowHandle box) {
    return Find(box, IsComboBox(kind) ? FakeControl::kComboBox : FakeControl::kListBox);
}

std::string FakeWindowHost::Call(const ListMessages& kind, const char* operation,
                                 WindowHandle box) {
    return std::string(IsComboBox(kind) ? "Cb" : "Lb") + operation + " " + Name(box);
}

MessageResult FakeWindowHost::ListGetCount(const ListMessages& kind, WindowHandle box) {
    Log(Call(kind, "GetCount", box));
    return GetCount(FindBox(kind, box));
}

MessageResult FakeWindowHost::ListGetCurSel(const ListMessages& kind, WindowHandle box) {
    Log(Call(kind, "GetCurSel", box));
    const FakeWindow* found = FindBox(kind, box);
    return found != nullptr ? found->selection : 0;
}

MessageResult FakeWindowHost::ListGetTextLen(const ListMessages& kind, WindowHandle box,
                                             std::int32_t index) {
    Log(Call(kind, "GetTextLen", box) + " " + std::to_string(index));
    return GetTextLen(FindBox(kind, box), index);
}

MessageResult FakeWindowHost::ListGetText(const ListMessages& kind, WindowHandle box,
                                          std::int32_t index, char16_t* buffer) {
    Log(Call(kind, "GetText", box) + " " + std::to_string(index));
    return GetText(FindBox(kind, box), index, buffer);
}

MessageResult FakeWindowHost::ListGetItemData(const ListMessages& kind, WindowHandle box,
                                              std::int32_t index) {
    Log(Call(kind, "GetItemData", box) + " " + std::to_string(index));
    return GetItemData(FindBox(kind, box), index);
}

MessageResult FakeWindowHost::ListDeleteString(const ListMessages& kind, WindowHandle box,
                                               std::int32_t index) {
    Log(Call(kind, "DeleteString", box) + " " + std::to_string(index));
    return DeleteString(FindBox(kind, box), index);
}

MessageResult FakeWindowHost::ListInsertString(const ListMessages& kind, WindowHandle box,
                                               std::int32_t index, const char16_t* text) {
    Log(Call(kind, "InsertString", box) + " " + std::to_string(index) + " " + Utf8(OrEmpty(text)));
    return InsertString(FindBox(kind, box), index, text);
}

MessageResult FakeWindowHost::ListSetItemData(const ListMessages& kind, WindowHandle box,
                                              std::int32_t index, std::intptr_t data) {
    Log(Call(kind, "SetItemData", box) + " " + std::to_string(index) + " " + std::to_string(data));
    return SetItemData(FindBox(kind, box), index, data);
}

MessageResult FakeWindowHost::ListSetCurSel(const ListMessages& kind, WindowHandle box,
                                            std::int32_t index) {
    Log(Call(kind, "SetCurSel", box) + " " + std::to_string(index));
    return SetCurSel(FindBox(kind, box), index);
}

// ---- List views and headers -------------------------------------------------------------------

WindowHandle FakeWindowHost::LvmGetHeader(WindowHandle list) {
    Log("LvmGetHeader " + Name(list));
    const FakeWindow* view = Find(list, FakeControl::kListView);
    return view != nullptr ? view->header : WindowHandle::Null();
}

MessageResult FakeWindowHost::LvmGetItemCount(WindowHandle list) {
    Log("LvmGetItemCount " + Name(list));
    const FakeWindow* view = Find(list, FakeControl::kListView);
    if (view == nullptr) {
        return 0;
    }
    return view->countAnswer ? *view->countAnswer : static_cast<MessageResult>(view->rows.size());
}

MessageResult FakeWindowHost::LvmGetItemTextW(WindowHandle list, std::int32_t index,
                                              LVITEMW& item) {
    Log("LvmGetItemTextW " + Name(list) + " " + std::to_string(index) + " " +
        std::to_string(item.iSubItem) + " " + std::to_string(item.cchTextMax));
    const FakeWindow* view = Find(list, FakeControl::kListView);
    if (view == nullptr || !InRange(index, view->rows.size())) {
        return CopyCut(u"", item.pszText, item.cchTextMax);
    }
    const auto& row = view->rows[static_cast<std::size_t>(index)];
    const std::u16string_view text =
        InRange(item.iSubItem, row.size())
            ? std::u16string_view(row[static_cast<std::size_t>(item.iSubItem)])
            : u"";
    return CopyCut(text, item.pszText, item.cchTextMax);
}

MessageResult FakeWindowHost::LvmSetItemTextW(WindowHandle list, std::int32_t index,
                                              const LVITEMW& item) {
    Log("LvmSetItemTextW " + Name(list) + " " + std::to_string(index) + " " +
        std::to_string(item.iSubItem) + " " + Utf8(OrEmpty(item.pszText)));
    FakeWindow* view = Find(list, FakeControl::kListView);
    if (view == nullptr || !InRange(index, view->rows.size()) || item.iSubItem < 0) {
        return 0;
    }
    auto& row = view->rows[static_cast<std::size_t>(index)];
    if (static_cast<std::size_t>(item.iSubItem) >= row.size()) {
        row.resize(static_cast<std::size_t>(item.iSubItem) + 1);
    }
    row[static_cast<std::size_t>(item.iSubItem)] = OrEmpty(item.pszText);
    return 1;
}

MessageResult FakeWindowHost::HdmGetItemCount(WindowHandle header) {
    Log("HdmGetItemCount " + Name(header));
    const FakeWindow* found = Find(header, FakeControl::kHeader);
    if (found == nullptr) {
        return 0;
    }
    return found->countAnswer ? *found->countAnswer
                              : static_cast<MessageResult>(found->columns.size());
}

MessageResult FakeWindowHost::HdmGetItemW(WindowHandle header, std::int32_t index, HDITEMW& item) {
    Log("HdmGetItemW " + Name(header) + " " + std::to_string(index) + " mask " +
        std::to_string(item.mask) + " " + std::to_string(item.cchTextMax));
    const FakeWindow* found = Find(header, FakeControl::kHeader);
    if (found == nullptr || !InRange(index, found->columns.size())) {
        return 0;
    }
    if ((item.mask & kHdiText) != 0) {
        CopyCut(found->columns[static_cast<std::size_t>(index)], item.pszText, item.cchTextMax);
    }
    return 1;
}

MessageResult FakeWindowHost::HdmSetItemW(WindowHandle header, std::int32_t index,
                                          const HDITEMW& item) {
    Log("HdmSetItemW " + Name(header) + " " + std::to_string(index) + " mask " +
        std::to_string(item.mask) + " " + std::to_string(item.cchTextMax) + " " +
        Utf8(OrEmpty(item.pszText)));
    FakeWindow* found = Find(header, FakeControl::kHeader);
    if (found == nullptr || !InRange(index, found->columns.size())) {
        return 0;
    }
    if ((item.mask & kHdiText) != 0) {
        found->columns[static_cast<std::size_t>(index)] = OrEmpty(item.pszText);
    }
    return 1;
}

// ---- Menus ------------------------------------------------------------------------------------

MenuHandle FakeWindowHost::GetMenu(WindowHandle window) {
    Log("GetMenu " + Name(window));
    const FakeWindow* found = Find(window);
    return found != nullptr ? found->menu : MenuHandle::Null();
}

std::int32_t FakeWindowHost::GetMenuItemCount(MenuHandle menu) {
    Log("GetMenuItemCount " + Name(menu));
    const FakeMenu* found = FindMenu(menu);
    return found != nullptr ? static_cast<std::int32_t>(found->items.size()) : -1;
}

std::int32_t FakeWindowHost::GetMenuStringW(MenuHandle menu, std::uint32_t item, char16_t* buffer,
                                            std::int32_t maxCount, std::uint32_t flags) {
    Log("GetMenuStringW " + Name(menu) + " " + std::to_string(item) +
        ((flags & kMfByPosition) != 0 ? " by position" : " by command") + " " +
        std::to_string(maxCount));
    const FakeMenuItem* found = nullptr;
    if ((flags & kMfByPosition) != 0) {
        found = MenuItem(menu, static_cast<std::int32_t>(item));
    } else if (FakeMenu* owner = FindMenu(menu)) {
        for (const FakeMenuItem& candidate : owner->items) {
            if (candidate.submenu.IsNull() && candidate.id == item) {
                found = &candidate;
                break;
            }
        }
    }
    if (found == nullptr) {
        return 0;
    }
    if (buffer == nullptr || maxCount <= 0) {
        return static_cast<std::int32_t>(found->text.size());
    }
    return CopyCut(found->text, buffer, maxCount);
}

std::uint32_t FakeWindowHost::GetMenuItemID(MenuHandle menu, std::int32_t position) {
    Log("GetMenuItemID " + Name(menu) + " " + std::to_string(position));
    const FakeMenuItem* found = MenuItem(menu, position);
    if (found == nullptr || !found->submenu.IsNull()) {
        return kMenuItemOpensSubmenu;
    }
    return found->id;
}

MenuHandle FakeWindowHost::GetSubMenu(MenuHandle menu, std::int32_t position) {
    Log("GetSubMenu " + Name(menu) + " " + std::to_string(position));
    const FakeMenuItem* found = MenuItem(menu, position);
    return found != nullptr ? found->submenu : MenuHandle::Null();
}

bool FakeWindowHost::ModifyMenuW(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                                 std::uintptr_t newItem, const char16_t* newItemText) {
    std::string call = "ModifyMenuW " + Name(menu) + " " + std::to_string(position);
    if ((flags & kMfSeparator) != 0) {
        call += " separator";
    } else if ((flags & kMfPopup) != 0) {
        call += " popup " + Name(MenuHandle{newItem}) + " " + Utf8(OrEmpty(newItemText));
    } else {
        call += " string " + std::to_string(static_cast<std::uint32_t>(newItem)) + " " +
                Utf8(OrEmpty(newItemText));
    }
    Log(call);
    // Only replacement by position is scripted.
    FakeMenuItem* found = (flags & kMfByPosition) != 0
                              ? MenuItem(menu, static_cast<std::int32_t>(position))
                              : nullptr;
    if (found == nullptr) {
        return false;
    }
    const MenuHandle newSubmenu = (flags & kMfPopup) != 0 ? MenuHandle{newItem} : MenuHandle{};
    if (!found->submenu.IsNull() && found->submenu != newSubmenu) {
        DestroyMenu(found->submenu);
    }
    FakeMenuItem replacement;
    replacement.separator = (flags & kMfSeparator) != 0;
    replacement.submenu = newSubmenu;
    replacement.id = newSubmenu.IsNull() ? static_cast<std::uint32_t>(newItem) : 0;
    if (!replacement.separator) {
        replacement.text = OrEmpty(newItemText);
    }
    *found = std::move(replacement);
    return true;
}

bool FakeWindowHost::DrawMenuBar(WindowHandle window) {
    Log("DrawMenuBar " + Name(window));
    return Find(window) != nullptr;
}

}  // namespace kelvane::testing
