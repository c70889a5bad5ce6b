// The window host over real controls: a hidden window holds one control of every kind the
// translation walks, made by the system's own window classes, and the host's operations are
// checked against what those controls answer.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "lang/LanguageIni.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32WindowHost.h"
#include "res/ResourceIds.h"
#include "tests/platform/win32/Win32TestSupport.h"

namespace kelvane {
namespace {

using testing::HiddenWindow;

enum ControlId : int { kStaticId = 10, kComboId, kListId, kListViewId, kButtonId };

template <typename Handle>
Handle Ours(const void* theirs) {
    return Handle{reinterpret_cast<std::uintptr_t>(theirs)};
}

HWND Theirs(WindowHandle window) {
    return reinterpret_cast<HWND>(window.value);
}

// A hidden window with a static text, a drop-down list combo box, a list box, a list view in
// report view and a button, in that order; none sorts its items.
class RealControls : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX common{sizeof(common), ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(::InitCommonControlsEx(&common));
        ASSERT_NE(m_parent.window(), nullptr);
        m_static = Make(L"STATIC", L"Please plug in Lumo", 0, kStaticId);
        m_combo = Make(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL, kComboId);
        m_list = Make(L"LISTBOX", L"", WS_VSCROLL, kListId);
        m_listView = Make(WC_LISTVIEWW, L"", LVS_REPORT, kListViewId);
        m_button = Make(L"BUTTON", L"Cancel", BS_PUSHBUTTON, kButtonId);
    }

    WindowHandle Make(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id) {
        const HWND control =
            ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 100,
                              m_parent.window(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              ::GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(control, nullptr) << "no control " << id;
        return Ours<WindowHandle>(control);
    }

    void AddColumn(const wchar_t* title) {
        ::LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 80;
        column.pszText = const_cast<wchar_t*>(title);
        ::SendMessageW(Theirs(m_listView), LVM_INSERTCOLUMNW, static_cast<WPARAM>(m_columns++),
                       reinterpret_cast<LPARAM>(&column));
    }

    void AddRow(const wchar_t* text) {
        ::LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = m_rows++;
        item.pszText = const_cast<wchar_t*>(text);
        ::SendMessageW(Theirs(m_listView), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }

    // What the host reads of a list view's first-column item, or of a header's column.
    std::u16string ItemText(WindowHandle list, int index) {
        char16_t text[128] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = 128;
        host.LvmGetItemTextW(list, index, item);
        return text;
    }

    std::u16string ColumnTitle(WindowHandle header, int index) {
        char16_t text[128] = {};
        HDITEMW item{};
        item.mask = kHdiText;
        item.pszText = text;
        item.cchTextMax = 128;
        host.HdmGetItemW(header, index, item);
        return text;
    }

    std::u16string Text(WindowHandle window) {
        char16_t text[128] = {};
        host.GetWindowTextW(window, text, 128);
        return text;
    }

    Win32WindowHost host;
    HiddenWindow m_parent;
    WindowHandle m_static, m_combo, m_list, m_listView, m_button;
    int m_columns = 0;
    int m_rows = 0;
};

TEST_F(RealControls, TextIsReadWholeOrCutToTheBufferAndReplaced) {
    char16_t text[64] = {};
    EXPECT_EQ(host.GetWindowTextW(m_static, text, 64), 19);
    EXPECT_EQ(std::u16string(text), u"Please plug in Lumo");
    // Room for four characters and the terminator.
    EXPECT_EQ(host.GetWindowTextW(m_static, text, 5), 4);
    EXPECT_EQ(std::u16string(text), u"Plea");

    EXPECT_TRUE(host.SetWindowTextW(m_static, u"請插入 Lumo 印表機"));
    EXPECT_EQ(Text(m_static), u"請插入 Lumo 印表機");
    EXPECT_TRUE(host.SetWindowTextW(m_parent.handle(), u"Orvane Kelvane"));
    EXPECT_EQ(Text(m_parent.handle()), u"Orvane Kelvane");
}

TEST_F(RealControls, ChildrenAreWalkedInTheOrderTheyWereMadeAndOnlyTheDirectOnes) {
    std::vector<int> ids;
    for (WindowHandle child = host.GetWindow(m_parent.handle(), kGwChild); !child.IsNull();
         child = host.GetWindow(child, kGwHwndNext)) {
        ids.push_back(::GetDlgCtrlID(Theirs(child)));
    }
    // The list view's header is a child of the list view, not of the window.
    EXPECT_EQ(ids, (std::vector<int>{kStaticId, kComboId, kListId, kListViewId, kButtonId}));
    EXPECT_TRUE(host.GetWindow(m_static, kGwChild).IsNull());
    EXPECT_FALSE(host.GetWindow(m_listView, kGwChild).IsNull());
}

// ---- Combo boxes and list boxes, each under its kind's table ----------------------------

struct ListKindCase {
    const char* name;
    const ListMessages* kind;
    const ListMessages* other;
    int controlId;

    friend void PrintTo(const ListKindCase& c, std::ostream* os) { *os << c.name; }
};

class RealListControls : public RealControls, public ::testing::WithParamInterface<ListKindCase> {
protected:
    WindowHandle Box() const {
        return Ours<WindowHandle>(::GetDlgItem(m_parent.window(), GetParam().controlId));
    }

    std::vector<std::u16string> Items() {
        const ListMessages& kind = *GetParam().kind;
        const WindowHandle box = Box();
        std::vector<std::u16string> items;
        const MessageResult count = host.ListGetCount(kind, box);
        for (std::int32_t i = 0; i < count; ++i) {
            std::u16string text(static_cast<std::size_t>(host.ListGetTextLen(kind, box, i)), u'\0');
            // The whole text and its terminator.
            std::vector<char16_t> buffer(text.size() + 1, u'#');
            EXPECT_EQ(host.ListGetText(kind, box, i, buffer.data()),
                      static_cast<MessageResult>(text.size()));
            EXPECT_EQ(buffer.back(), u'\0');
            items.emplace_back(buffer.data());
        }
        return items;
    }
};

TEST_P(RealListControls, ItemsStayWhereTheyAreInsertedWithTheirDataAndTheSelectionMovesWithThem) {
    const ListMessages& kind = *GetParam().kind;
    const WindowHandle box = Box();
    EXPECT_EQ(host.ListGetCount(kind, box), 0);
    EXPECT_EQ(host.ListGetCurSel(kind, box), kind.error);

    EXPECT_EQ(host.ListInsertString(kind, box, 0, u"Lumo B"), 0);
    // -1 is the end of the list.
    EXPECT_EQ(host.ListInsertString(kind, box, -1, u"取消"), 1);
    EXPECT_EQ(host.ListInsertString(kind, box, 0, u"Lumo A"), 0);
    EXPECT_EQ(Items(), (std::vector<std::u16string>{u"Lumo A", u"Lumo B", u"取消"}));

    // Item data is pointer-wide.
    const auto data =
        static_cast<std::intptr_t>(sizeof(std::intptr_t) == 8 ? 0x123456789AB : 0x12345678);
    EXPECT_NE(host.ListSetItemData(kind, box, 2, data), kind.error);
    EXPECT_EQ(host.ListGetItemData(kind, box, 2), data);

    EXPECT_EQ(host.ListSetCurSel(kind, box, 2), 2);
    EXPECT_EQ(host.ListDeleteString(kind, box, 0), 2) << "the count of the items left";
    EXPECT_EQ(host.ListGetCurSel(kind, box), 1);
    EXPECT_EQ(host.ListInsertString(kind, box, 0, u"Lumo C"), 0);
    EXPECT_EQ(host.ListGetCurSel(kind, box), 2);
    EXPECT_EQ(host.ListGetItemData(kind, box, 2), data) << "the data moved with its item";

    // Deleting the selected item leaves none selected; "none" is set with -1, which answers
    // the error value.
    EXPECT_EQ(host.ListDeleteString(kind, box, 2), 2);
    EXPECT_EQ(host.ListGetCurSel(kind, box), kind.error);
    EXPECT_EQ(host.ListSetCurSel(kind, box, 1), 1);
    EXPECT_EQ(host.ListSetCurSel(kind, box, -1), kind.error);
    EXPECT_EQ(host.ListGetCurSel(kind, box), kind.error);
}

TEST_P(RealListControls, IndexBeyondTheItemsAnswersTheErrorValue) {
    const ListMessages& kind = *GetParam().kind;
    const WindowHandle box = Box();
    ASSERT_EQ(host.ListInsertString(kind, box, 0, u"Lumo A"), 0);
    char16_t text[16] = {};
    EXPECT_EQ(host.ListGetTextLen(kind, box, 1), kind.error);
    EXPECT_EQ(host.ListGetText(kind, box, 1, text), kind.error);
    EXPECT_EQ(host.ListGetItemData(kind, box, 1), kind.error);
    EXPECT_EQ(host.ListDeleteString(kind, box, 1), kind.error);
    EXPECT_EQ(host.ListInsertString(kind, box, 2, u"Lumo B"), kind.error);
    EXPECT_EQ(host.ListSetItemData(kind, box, 1, 7), kind.error);
    EXPECT_EQ(host.ListSetCurSel(kind, box, 1), kind.error);
    EXPECT_EQ(host.ListGetCount(kind, box), 1);
}

// The translation tells a combo box from other controls by its count, so every other control
// must answer the count message with 0, whatever it holds.
TEST_P(RealListControls, ControlsOfAnotherKindAnswerTheCountWithZero) {
    const ListMessages& kind = *GetParam().kind;
    const WindowHandle box = Box();
    ASSERT_EQ(host.ListInsertString(kind, box, 0, u"Lumo A"), 0);
    EXPECT_EQ(host.ListGetCount(*GetParam().other, box), 0);
    for (const WindowHandle control : {m_static, m_listView, m_button, m_parent.handle()}) {
        EXPECT_EQ(host.ListGetCount(kind, control), 0) << ::GetDlgCtrlID(Theirs(control));
    }
}

const ListKindCase kListKindCases[] = {
    {"ComboBox", &kComboBoxMessages, &kListBoxMessages, kComboId},
    {"ListBox", &kListBoxMessages, &kComboBoxMessages, kListId},
};

INSTANTIATE_TEST_SUITE_P(Kinds, RealListControls, ::testing::ValuesIn(kListKindCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// ---- List views and their headers --------------------------------------------------------

TEST_F(RealControls, ListViewItemsAndHeaderTitlesAreReadAndReplacedByIndex) {
    AddColumn(L"Model");
    AddColumn(L"Port");
    AddRow(L"Lumo A");
    AddRow(L"Lumo B");

    const WindowHandle header = host.LvmGetHeader(m_listView);
    ASSERT_FALSE(header.IsNull());
    EXPECT_EQ(::GetParent(Theirs(header)), Theirs(m_listView));
    EXPECT_EQ(host.HdmGetItemCount(header), 2);
    EXPECT_EQ(ColumnTitle(header, 1), u"Port");
    HDITEMW title{};
    title.mask = kHdiText;
    char16_t port[] = u"連接埠";
    title.pszText = port;
    title.cchTextMax = 4;
    EXPECT_NE(host.HdmSetItemW(header, 1, title), 0);
    EXPECT_EQ(ColumnTitle(header, 1), u"連接埠");
    EXPECT_EQ(ColumnTitle(header, 0), u"Model");

    EXPECT_EQ(host.LvmGetItemCount(m_listView), 2);
    EXPECT_EQ(ItemText(m_listView, 1), u"Lumo B");
    LVITEMW item{};
    char16_t renamed[] = u"Lumo B2";
    item.pszText = renamed;
    item.cchTextMax = 8;
    EXPECT_NE(host.LvmSetItemTextW(m_listView, 1, item), 0);
    EXPECT_EQ(ItemText(m_listView, 1), u"Lumo B2");
    EXPECT_EQ(ItemText(m_listView, 0), u"Lumo A");
}

TEST_F(RealControls, ControlsOtherThanAListViewHaveNoHeaderAndNoItems) {
    for (const WindowHandle control : {m_static, m_combo, m_list, m_button}) {
        EXPECT_TRUE(host.LvmGetHeader(control).IsNull()) << ::GetDlgCtrlID(Theirs(control));
        EXPECT_EQ(host.LvmGetItemCount(control), 0) << ::GetDlgCtrlID(Theirs(control));
    }
}

// ---- Menus -------------------------------------------------------------------------------

// A menu bar: "&Printer" opens a submenu ("&Open", a separator, "E&xit"), then "&Help".
class RealMenu : public RealControls {
protected:
    void SetUp() override {
        RealControls::SetUp();
        m_submenu = ::CreatePopupMenu();
        ::AppendMenuW(m_submenu, MF_STRING, 101, L"&Open");
        ::AppendMenuW(m_submenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(m_submenu, MF_STRING, 102, L"E&xit");
        m_bar = ::CreateMenu();
        ::AppendMenuW(m_bar, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(m_submenu),
                      L"&Printer");
        ::AppendMenuW(m_bar, MF_STRING, 200, L"&Help");
        ASSERT_TRUE(::SetMenu(m_parent.window(), m_bar));
    }

    std::u16string ItemText(MenuHandle menu, std::uint32_t position) {
        char16_t text[64] = {};
        host.GetMenuStringW(menu, position, text, 64, kMfByPosition);
        return text;
    }

    HMENU m_bar = nullptr;
    HMENU m_submenu = nullptr;
};

TEST_F(RealMenu, ItemsAreReadByPositionWithTheirIdsAndSubmenus) {
    const MenuHandle bar = host.GetMenu(m_parent.handle());
    ASSERT_EQ(bar, Ours<MenuHandle>(m_bar));
    EXPECT_EQ(host.GetMenuItemCount(bar), 2);
    EXPECT_EQ(ItemText(bar, 0), u"&Printer");
    EXPECT_EQ(host.GetMenuItemID(bar, 0), kMenuItemOpensSubmenu);
    EXPECT_EQ(host.GetMenuItemID(bar, 1), 200u);
    EXPECT_EQ(host.GetSubMenu(bar, 0), Ours<MenuHandle>(m_submenu));
    EXPECT_TRUE(host.GetSubMenu(bar, 1).IsNull());

    const MenuHandle submenu = host.GetSubMenu(bar, 0);
    EXPECT_EQ(host.GetMenuItemCount(submenu), 3);
    EXPECT_EQ(ItemText(submenu, 1), u"") << "a separator has no text";
    EXPECT_EQ(host.GetMenuItemID(submenu, 2), 102u);
    // Room for two characters and the terminator.
    char16_t text[3] = {};
    EXPECT_EQ(host.GetMenuStringW(submenu, 0, text, 3, kMfByPosition), 2);
    EXPECT_EQ(std::u16string(text), u"&O");

    HiddenWindow withoutMenu;
    EXPECT_TRUE(host.GetMenu(withoutMenu.handle()).IsNull());
    EXPECT_EQ(host.GetMenuItemCount(MenuHandle::Null()), -1);
}

// Naming the item's own submenu in the replacement is what keeps it attached. (Windows destroys
// a submenu whose item is replaced by anything else; wine leaves it attached, so that half cannot
// be seen here.)
TEST_F(RealMenu, ReplacedItemKeepsTheSubmenuItNames) {
    const MenuHandle bar = host.GetMenu(m_parent.handle());
    const MenuHandle submenu = Ours<MenuHandle>(m_submenu);
    EXPECT_TRUE(host.ModifyMenuW(bar, 0, kMfByPosition | kMfString | kMfPopup, submenu.value,
                                 u"印表機(&P)"));
    EXPECT_EQ(ItemText(bar, 0), u"印表機(&P)");
    EXPECT_EQ(host.GetSubMenu(bar, 0), submenu);
    EXPECT_TRUE(::IsMenu(m_submenu));
    EXPECT_TRUE(host.ModifyMenuW(bar, 1, kMfByPosition | kMfString, 200, u"說明(&H)"));
    EXPECT_EQ(ItemText(bar, 1), u"說明(&H)");
    EXPECT_EQ(host.GetMenuItemID(bar, 1), 200u);
    EXPECT_TRUE(host.DrawMenuBar(m_parent.handle()));
}

// ---- The translation of a whole window over the real controls -------------------------------

// Every text here is a key of the Traditional Chinese section of the program's own table.
TEST_F(RealMenu, LanguageTableTranslatesEveryKindOfControlAndKeepsItemDataAndSelections) {
    Win32Platform system;
    CLanguageIni table(system.platform());
    ASSERT_TRUE(table.LoadFromResource(ModuleHandle::Null(), kLanguageTableId, kLanguageTableType));
    ASSERT_TRUE(table.SelectSection(u"cht"));
    const std::pair<WindowHandle, const ListMessages*> boxes[] = {{m_combo, &kComboBoxMessages},
                                                                  {m_list, &kListBoxMessages}};
    for (const auto& [box, kind] : boxes) {
        host.ListInsertString(*kind, box, -1, u"Lumo A");
        host.ListInsertString(*kind, box, -1, u"Cancel");
        host.ListSetItemData(*kind, box, 1, 0x4C55);
        host.ListSetCurSel(*kind, box, 1);
    }
    AddColumn(L"Please plug in Lumo");
    AddRow(L"Cancel");
    ::ModifyMenuW(m_submenu, 2, MF_BYPOSITION | MF_STRING, 102, L"Cancel");
    host.SetWindowTextW(m_parent.handle(), u"Cancel");

    table.TranslateWindow(m_parent.handle());

    EXPECT_EQ(Text(m_parent.handle()), u"取消");
    EXPECT_EQ(Text(m_static), u"請插入 Lumo 印表機");
    EXPECT_EQ(Text(m_button), u"取消");
    // The combo box's items are translated in place, with their data and the selection; a list
    // box answers the combo box's count with 0, so it is taken for a plain control and its items
    // stay as they are.
    const char16_t* const secondItems[] = {u"取消", u"Cancel"};
    for (int i = 0; i < 2; ++i) {
        const auto& [box, kind] = boxes[i];
        char16_t text[32] = {};
        ASSERT_EQ(host.ListGetCount(*kind, box), 2);
        host.ListGetText(*kind, box, 0, text);
        EXPECT_EQ(std::u16string(text), u"Lumo A");
        host.ListGetText(*kind, box, 1, text);
        EXPECT_EQ(std::u16string(text), secondItems[i]);
        EXPECT_EQ(host.ListGetItemData(*kind, box, 1), 0x4C55);
        EXPECT_EQ(host.ListGetCurSel(*kind, box), 1);
    }
    EXPECT_EQ(ColumnTitle(host.LvmGetHeader(m_listView), 0), u"請插入 Lumo 印表機");
    EXPECT_EQ(RealControls::ItemText(m_listView, 0), u"取消");
    const MenuHandle submenu = host.GetSubMenu(host.GetMenu(m_parent.handle()), 0);
    EXPECT_EQ(submenu, Ours<MenuHandle>(m_submenu)) << "the submenu is still attached";
    EXPECT_EQ(ItemText(submenu, 2), u"取消");
    EXPECT_EQ(host.GetMenuItemID(submenu, 2), 102u);
    EXPECT_EQ(host.GetMenuItemID(submenu, 1), 0u) << "the separator is still one";
}

}  // namespace
}  // namespace kelvane
