#include <algorithm>
#include <cstdint>
#include <limits>

#include "common/WideText.h"
#include "lang/LanguageIni.h"

namespace kelvane {
namespace {

constexpr auto kWorkCapacity = static_cast<std::int32_t>(kLanguageTextCapacity);

// A text that fills the working buffer may have been cut by the control that gave it. No key of
// the table can be that long, so its translation is the text itself: it is left as it is rather
// than written back shortened.
bool MayBeCut(std::size_t length) {
    return length >= kLanguageTextCapacity - 1;
}

std::int32_t ItemCount(MessageResult count) {
    return static_cast<std::int32_t>(
        std::min<MessageResult>(count, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t CLanguageIni::TranslateWindow(WindowHandle window) {
    WindowHost& host = m_platform.windowHost;
    m_szWork.fill(u'\0');
    const std::int32_t length = host.GetWindowTextW(window, m_szWork.data(), kWorkCapacity);
    GetText(m_szWork.data());
    if (!MayBeCut(static_cast<std::size_t>(std::max(length, 0)))) {
        host.SetWindowTextW(window, m_szText.data());
    }

    // Only the direct children: a control inside a child window belongs to that window.
    for (WindowHandle child = host.GetWindow(window, kGwChild); !child.IsNull();
         child = host.GetWindow(child, kGwHwndNext)) {
        m_szWork.fill(u'\0');
        const std::int32_t childLength = host.GetWindowTextW(child, m_szWork.data(), kWorkCapacity);
        GetText(m_szWork.data());
        // Kept apart from m_szText, which the header step reuses.
        const TextBuffer translation = m_szText;

        // A combo box answers with its item count (or an error); every other control with 0.
        if (host.ListGetCount(kComboBoxMessages, child) != 0) {
            if (!TranslateComboBox(child)) {
                TranslateListBox(child);
            }
            continue;
        }
        const WindowHandle header = host.LvmGetHeader(child);
        if (!header.IsNull()) {
            TranslateHeader(header);
        }
        if (host.LvmGetItemCount(child) != 0) {
            TranslateListView(child);
        } else if (!MayBeCut(static_cast<std::size_t>(std::max(childLength, 0)))) {
            host.SetWindowTextW(child, translation.data());
        }
    }

    const MenuHandle menu = host.GetMenu(window);
    if (!menu.IsNull()) {
        TranslateMenu(menu, window);
    }
    return 0;
}

// Combo boxes and list boxes take the same steps, each kind with its own messages.
bool CLanguageIni::TranslateComboBox(WindowHandle combo) {
    return TranslateListItems(combo, kComboBoxMessages);
}

bool CLanguageIni::TranslateListBox(WindowHandle list) {
    return TranslateListItems(list, kListBoxMessages);
}

bool CLanguageIni::TranslateListItems(WindowHandle box, const ListMessages& kind) {
    WindowHost& host = m_platform.windowHost;
    const MessageResult count = host.ListGetCount(kind, box);
    if (count <= 0) {
        return false;
    }
    const MessageResult selection = host.ListGetCurSel(kind, box);
    for (std::int32_t i = 0; i < ItemCount(count); ++i) {
        // The item text is copied whole, so its length is asked first. An item that cannot be
        // read, or whose text does not fit the working buffer (and so is no key), keeps its place,
        // text and data.
        const MessageResult length = host.ListGetTextLen(kind, box, i);
        if (length < 0 || length >= kWorkCapacity) {
            continue;
        }
        m_szWork.fill(u'\0');
        host.ListGetText(kind, box, i, m_szWork.data());
        const MessageResult data = host.ListGetItemData(kind, box, i);
        GetText(m_szWork.data());
        host.ListDeleteString(kind, box, i);
        host.ListInsertString(kind, box, i, m_szText.data());
        // Data that reads as the error value cannot be told from an error; the item keeps the
        // data of a new item.
        if (data != kind.error) {
            host.ListSetItemData(kind, box, i, data);
        }
    }
    // Deleting the selected item dropped the selection. Restoring "no selection" reports the
    // error value, so a box without a selection answers false.
    return host.ListSetCurSel(kind, box, static_cast<std::int32_t>(selection)) != kind.error;
}

bool CLanguageIni::TranslateHeader(WindowHandle header) {
    WindowHost& host = m_platform.windowHost;
    const MessageResult count = host.HdmGetItemCount(header);
    if (count <= 0) {
        return false;
    }
    for (std::int32_t i = 0; i < ItemCount(count); ++i) {
        m_szWork.fill(u'\0');
        HDITEMW item{};
        item.mask = kHdiText;
        item.pszText = m_szWork.data();
        item.cchTextMax = kWorkCapacity;
        host.HdmGetItemW(header, i, item);
        if (MayBeCut(BoundedLength(m_szWork.data(), m_szWork.size()))) {
            continue;
        }
        GetText(m_szWork.data());
        // Only the text changes; width, format and the rest of the item stay.
        HDITEMW update{};
        update.mask = kHdiText;
        update.pszText = m_szText.data();
        update.cchTextMax =
            static_cast<std::int32_t>(BoundedLength(m_szText.data(), m_szText.size()) + 1);
        host.HdmSetItemW(header, i, update);
    }
    return true;
}

bool CLanguageIni::TranslateListView(WindowHandle list) {
    WindowHost& host = m_platform.windowHost;
    const MessageResult count = host.LvmGetItemCount(list);
    if (count <= 0) {
        return false;
    }
    for (std::int32_t i = 0; i < ItemCount(count); ++i) {
        m_szWork.fill(u'\0');
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = m_szWork.data();
        item.cchTextMax = kWorkCapacity;
        host.LvmGetItemTextW(list, i, item);
        if (MayBeCut(BoundedLength(m_szWork.data(), m_szWork.size()))) {
            continue;
        }
        GetText(m_szWork.data());
        LVITEMW update{};
        update.iSubItem = 0;
        update.pszText = m_szText.data();
        update.cchTextMax =
            static_cast<std::int32_t>(BoundedLength(m_szText.data(), m_szText.size()) + 1);
        host.LvmSetItemTextW(list, i, update);
    }
    return true;
}

std::int32_t CLanguageIni::TranslateMenu(MenuHandle menu, WindowHandle window) {
    WindowHost& host = m_platform.windowHost;
    const std::int32_t count = host.GetMenuItemCount(menu);
    for (std::int32_t position = 0; position < count; ++position) {
        const auto byPosition = static_cast<std::uint32_t>(position);
        m_szWork.fill(u'\0');
        const std::int32_t length =
            host.GetMenuStringW(menu, byPosition, m_szWork.data(), kWorkCapacity, kMfByPosition);
        const std::uint32_t id = host.GetMenuItemID(menu, position);
        // Asked before the item is replaced: naming the same submenu in the replacement is what
        // keeps it attached, since replacing an item that opens a submenu otherwise destroys it.
        const MenuHandle submenu = host.GetSubMenu(menu, position);
        if (MayBeCut(static_cast<std::size_t>(std::max(length, 0)))) {
            // Left as it is, like every text too long to be a key.
        } else if (!submenu.IsNull()) {
            GetText(m_szWork.data());
            host.ModifyMenuW(menu, byPosition, kMfByPosition | kMfString | kMfPopup, submenu.value,
                             m_szText.data());
        } else if (m_szWork[0] == u'\0') {
            host.ModifyMenuW(menu, byPosition, kMfByPosition | kMfSeparator, id, nullptr);
        } else {
            GetText(m_szWork.data());
            host.ModifyMenuW(menu, byPosition, kMfByPosition | kMfString, id, m_szText.data());
        }
        host.DrawMenuBar(window);
        if (!submenu.IsNull()) {
            TranslateMenu(submenu, window);
        }
    }
    return 0;
}

}  // namespace kelvane
