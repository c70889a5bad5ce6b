#include <gtest/gtest.h>

#include <ostream>

#include <optional>
#include <string>
#include <vector>

#include "lang/LanguageIni.h"
#include "res/ResourceIds.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/LanguageTableFile.h"

namespace kelvane {
namespace {

using testing::FakeControl;
using testing::FakeListItem;
using testing::FakeMenuItem;
using testing::FakePlatform;
using testing::FakeResources;
using testing::ReadLanguageTableFile;

constexpr std::u16string_view kPrompt = u"Please plug in Lumo";
constexpr std::u16string_view kChtPrompt = u"請插入 Lumo 印表機";

// The program's table with a section selected, and a dialog to translate.
class WindowTranslationTest : public ::testing::Test {
protected:
    void SetUp() override { Select(u"cht"); }

    void Select(const char16_t* code) {
        fake.resources.Add(FakeResources::kProgramModule, kLanguageTableType, kLanguageTableId,
                           ReadLanguageTableFile());
        ASSERT_TRUE(ini.LoadFromResource(FakeResources::kProgramModule, kLanguageTableId,
                                         kLanguageTableType));
        ASSERT_TRUE(ini.SelectSection(code));
    }

    WindowHandle Child(FakeControl control, std::u16string text, WindowHandle parent = {}) {
        return host.AddWindow(parent.IsNull() ? dialog : parent, control, std::move(text));
    }

    std::u16string TextOf(WindowHandle window) { return host.Window(window).text; }

    FakePlatform fake;
    testing::FakeWindowHost& host = fake.windowHost;
    CLanguageIni ini{fake.platform()};
    WindowHandle dialog = host.AddWindow({}, FakeControl::kPlain, u"Orvane Kelvane", "dialog");
};

TEST_F(WindowTranslationTest, MainDialogUnderChtTranslatesOnlyThePrompt) {
    const WindowHandle ok = Child(FakeControl::kPlain, u"確定");
    const WindowHandle cancel = Child(FakeControl::kPlain, u"取消");
    const WindowHandle prompt = Child(FakeControl::kPlain, std::u16string(kPrompt));

    EXPECT_EQ(ini.TranslateWindow(dialog), 0);

    EXPECT_EQ(TextOf(prompt), kChtPrompt);
    EXPECT_EQ(TextOf(dialog), u"Orvane Kelvane");
    EXPECT_EQ(TextOf(ok), u"確定");
    EXPECT_EQ(TextOf(cancel), u"取消");
    EXPECT_EQ(host.CallsStartingWith({"GetMenu"}), std::vector<std::string>{"GetMenu dialog"});
    EXPECT_TRUE(host.CallsStartingWith({"GetMenuItemCount", "DrawMenuBar"}).empty());
}

TEST_F(WindowTranslationTest, LoneWindowHasOnlyItsOwnTextLookedUpAndSet) {
    EXPECT_EQ(ini.TranslateWindow(dialog), 0);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"GetWindowTextW dialog 1024",
                                                    "SetWindowTextW dialog Orvane Kelvane",
                                                    "GetWindow dialog 5", "GetMenu dialog"}));
}

TEST_F(WindowTranslationTest, GrandchildKeepsItsText) {
    const WindowHandle group = Child(FakeControl::kPlain, u"Cancel");
    const WindowHandle inner = Child(FakeControl::kPlain, u"Cancel", group);

    ini.TranslateWindow(dialog);

    EXPECT_EQ(TextOf(group), u"取消");
    EXPECT_EQ(TextOf(inner), u"Cancel");
}

TEST_F(WindowTranslationTest, ListBoxTakesThePlainControlBranch) {
    const WindowHandle list = Child(FakeControl::kListBox, u"Cancel");
    host.Window(list).items = {{u"Cancel", 5}};
    host.Window(list).selection = 0;

    ini.TranslateWindow(dialog);

    EXPECT_EQ(TextOf(list), u"取消");
    EXPECT_EQ(host.Window(list).items, (std::vector<FakeListItem>{{u"Cancel", 5}}));
}

// ---- Combo boxes ------------------------------------------------------------------------------

struct ComboCase {
    const char* name;
    std::vector<FakeListItem> items;
    std::int32_t selection;
    std::optional<MessageResult> countAnswer;
    std::vector<FakeListItem> expectedItems;
    std::u16string_view expectedText;
    bool listBoxStep;

    friend void PrintTo(const ComboCase& c, std::ostream* os) { *os << c.name; }
};

class ComboBoxTest : public WindowTranslationTest,
                     public ::testing::WithParamInterface<ComboCase> {};

// The combo box's own text is "Cancel", which translates to "取消" under cht.
TEST_P(ComboBoxTest, TranslatesItemsKeepingDataAndSelection) {
    const ComboCase& c = GetParam();
    const WindowHandle combo = Child(FakeControl::kComboBox, u"Cancel");
    host.Window(combo).items = c.items;
    host.Window(combo).selection = c.selection;
    host.Window(combo).countAnswer = c.countAnswer;

    ini.TranslateWindow(dialog);

    EXPECT_EQ(host.Window(combo).items, c.expectedItems);
    EXPECT_EQ(host.Window(combo).selection, c.selection);
    EXPECT_EQ(TextOf(combo), c.expectedText);
    EXPECT_EQ(host.CallsStartingWith({"LbGetCount"}).size(), c.listBoxStep ? 1u : 0u);
    EXPECT_TRUE(
        host.CallsStartingWith({"LbDeleteString", "LbInsertString", "LbSetCurSel"}).empty());
}

std::string ComboName(const ::testing::TestParamInfo<ComboCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, ComboBoxTest,
    ::testing::Values(
        ComboCase{"ItemDataMinusOneIsLeftToTheNewItem",
                  {{u"Cancel", 5}, {u"Other", -1}},
                  0,
                  std::nullopt,
                  {{u"取消", 5}, {u"Other", 0}},
                  u"Cancel",
                  false},
        ComboCase{"SelectionAfterTheTranslatedItem",
                  {{u"Cancel", 7}, {std::u16string(kPrompt), 8}},
                  1,
                  std::nullopt,
                  {{u"取消", 7}, {std::u16string(kChtPrompt), 8}},
                  u"Cancel",
                  false},
        ComboCase{"NoSelectionStaysAndAsksTheListBoxStep",
                  {{u"Cancel", 1}, {u"Other", 2}},
                  -1,
                  std::nullopt,
                  {{u"取消", 1}, {u"Other", 2}},
                  u"Cancel",
                  true},
        ComboCase{"EmptyComboBoxIsAPlainControl", {}, -1, std::nullopt, {}, u"取消", false},
        ComboCase{
            "CountErrorSkipsTheItems", {{u"Cancel", 1}}, 0, -1, {{u"Cancel", 1}}, u"Cancel", true}),
    ComboName);

// ---- List views -------------------------------------------------------------------------------

struct ListViewCase {
    const char* name;
    std::vector<std::u16string> columns;
    std::vector<std::vector<std::u16string>> rows;
    std::vector<std::u16string> expectedColumns;
    std::vector<std::vector<std::u16string>> expectedRows;
    std::u16string_view expectedText;

    friend void PrintTo(const ListViewCase& c, std::ostream* os) { *os << c.name; }
};

class ListViewTest : public WindowTranslationTest,
                     public ::testing::WithParamInterface<ListViewCase> {};

TEST_P(ListViewTest, TranslatesColumnTitlesAndFirstColumn) {
    const ListViewCase& c = GetParam();
    const WindowHandle list = host.AddListView(dialog, u"Cancel", c.columns, c.rows);

    ini.TranslateWindow(dialog);

    const WindowHandle header = host.Window(list).header;
    EXPECT_EQ(header.IsNull() ? std::vector<std::u16string>{} : host.Window(header).columns,
              c.expectedColumns);
    EXPECT_EQ(host.Window(list).rows, c.expectedRows);
    EXPECT_EQ(TextOf(list), c.expectedText);
    for (const std::string& call : host.CallsStartingWith({"HdmSetItemW"})) {
        EXPECT_TRUE(call.starts_with("HdmSetItemW w" + std::to_string(header.value) + " ") &&
                    call.find(" mask 2 ") != std::string::npos)
            << call << ": only the text is written";
    }
}

std::string ListViewName(const ::testing::TestParamInfo<ListViewCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Views, ListViewTest,
    ::testing::Values(
        ListViewCase{"ThreeColumnsTwoItems",
                     {u"Cancel", u"Model", std::u16string(kPrompt)},
                     {{u"Cancel", u"Cancel", u"Cancel"}, {u"Other", u"Cancel", u"x"}},
                     {u"取消", u"Model", std::u16string(kChtPrompt)},
                     {{u"取消", u"Cancel", u"Cancel"}, {u"Other", u"Cancel", u"x"}},
                     u"Cancel"},
        ListViewCase{
            "HeaderWithoutItems", {u"Cancel", u"Model"}, {}, {u"取消", u"Model"}, {}, u"取消"},
        ListViewCase{"ItemsWithoutHeader", {}, {{u"Cancel"}}, {}, {{u"取消"}}, u"Cancel"}),
    ListViewName);

TEST_F(WindowTranslationTest, HeaderItemIsWrittenWithItsTextLengthAsCapacity) {
    host.AddListView(dialog, u"", {u"Cancel"}, {});
    ini.TranslateWindow(dialog);
    const auto writes = host.CallsStartingWith({"HdmGetItemW", "HdmSetItemW"});
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_TRUE(writes[0].ends_with(" 0 mask 2 1024")) << writes[0];
    EXPECT_TRUE(writes[1].ends_with(" 0 mask 2 3 取消")) << writes[1];
}

// ---- Menus ------------------------------------------------------------------------------------

TEST_F(WindowTranslationTest, MenuBarIsWalkedDepthFirstKeepingSeparatorsAndSubmenus) {
    const MenuHandle file = host.AddMenu(
        "file", {FakeMenuItem{u"Cancel", 11, false, {}}, FakeMenuItem{u"", 0, true, {}},
                 FakeMenuItem{std::u16string(kPrompt), 12, false, {}}});
    const MenuHandle bar = host.AddMenu(
        "bar", {FakeMenuItem{u"Cancel", 10, false, {}}, FakeMenuItem{u"File", 0, false, file},
                FakeMenuItem{u"Help", 13, false, {}}});
    host.Window(dialog).menu = bar;

    EXPECT_EQ(ini.TranslateWindow(dialog), 0);

    EXPECT_EQ(host.Menu(bar).items,
              (std::vector<FakeMenuItem>{
                  {u"取消", 10, false, {}}, {u"File", 0, false, file}, {u"Help", 13, false, {}}}));
    EXPECT_FALSE(host.Menu(file).destroyed);
    EXPECT_EQ(host.Menu(file).items,
              (std::vector<FakeMenuItem>{{u"取消", 11, false, {}},
                                         {u"", 0, true, {}},
                                         {std::u16string(kChtPrompt), 12, false, {}}}));
    EXPECT_EQ(host.CallsStartingWith({"GetMenuStringW", "ModifyMenuW", "DrawMenuBar"}),
              (std::vector<std::string>{
                  "GetMenuStringW bar 0 by position 1024",
                  "ModifyMenuW bar 0 string 10 取消",
                  "DrawMenuBar dialog",
                  "GetMenuStringW bar 1 by position 1024",
                  "ModifyMenuW bar 1 popup file File",
                  "DrawMenuBar dialog",
                  "GetMenuStringW file 0 by position 1024",
                  "ModifyMenuW file 0 string 11 取消",
                  "DrawMenuBar dialog",
                  "GetMenuStringW file 1 by position 1024",
                  "ModifyMenuW file 1 separator",
                  "DrawMenuBar dialog",
                  "GetMenuStringW file 2 by position 1024",
                  "ModifyMenuW file 2 string 12 請插入 Lumo 印表機",
                  "DrawMenuBar dialog",
                  "GetMenuStringW bar 2 by position 1024",
                  "ModifyMenuW bar 2 string 13 Help",
                  "DrawMenuBar dialog",
              }));
}

TEST_F(WindowTranslationTest, MenuThatCannotBeCountedIsLeftAlone) {
    const MenuHandle gone = host.AddMenu("gone");
    host.Menu(gone).destroyed = true;
    EXPECT_EQ(ini.TranslateMenu(gone, dialog), 0);
    EXPECT_TRUE(host.CallsStartingWith({"GetMenuStringW", "ModifyMenuW", "DrawMenuBar"}).empty());
}

// ---- Texts that fill the working buffer -------------------------------------------------------

// A control hands out at most 1023 characters of a longer text. Writing that back would cut the
// text; since no key is that long, every such text is left whole.
TEST_F(WindowTranslationTest, TextsTooLongForTheBufferAreLeftWhole) {
    const std::u16string longText = u"Cancel" + std::u16string(1494, u'.');
    host.Window(dialog).text = longText;
    const WindowHandle plain = Child(FakeControl::kPlain, longText);
    const WindowHandle combo = Child(FakeControl::kComboBox, u"");
    host.Window(combo).items = {{longText, 3}, {u"Cancel", 4}};
    host.Window(combo).selection = 0;
    const WindowHandle list = host.AddListView(dialog, u"", {longText, u"Cancel"}, {{longText}});
    const MenuHandle bar = host.AddMenu("bar", {FakeMenuItem{longText, 10, false, {}}});
    host.Window(dialog).menu = bar;

    ini.TranslateWindow(dialog);

    EXPECT_EQ(TextOf(dialog), longText);
    EXPECT_EQ(TextOf(plain), longText);
    EXPECT_EQ(host.Window(combo).items, (std::vector<FakeListItem>{{longText, 3}, {u"取消", 4}}));
    EXPECT_EQ(host.Window(combo).selection, 0);
    EXPECT_EQ(host.Window(host.Window(list).header).columns,
              (std::vector<std::u16string>{longText, u"取消"}));
    EXPECT_EQ(host.Window(list).rows, (std::vector<std::vector<std::u16string>>{{longText}}));
    EXPECT_EQ(host.Menu(bar).items[0].text, longText);
}

TEST_F(WindowTranslationTest, TextOfExactly1023CharactersIsWrittenBackWhole) {
    const std::u16string text(1022, u'x');
    const WindowHandle combo = Child(FakeControl::kComboBox, u"");
    host.Window(combo).items = {{text + u"y", 1}};

    ini.TranslateWindow(dialog);

    EXPECT_EQ(host.Window(combo).items, (std::vector<FakeListItem>{{text + u"y", 1}}));
    EXPECT_EQ(host.CallsStartingWith({"CbInsertString"}).size(), 1u);
}

}  // namespace
}  // namespace kelvane
