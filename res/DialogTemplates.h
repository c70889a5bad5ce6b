/* The dialogs, the string table and the icon: ids, geometry (dialog units), styles and texts,
   written once for the Windows resource script and for the hosts that build the dialogs
   elsewhere. The resource compiler reads only the #define lines; texts are UTF-8. */
#ifndef KELVANE_RES_DIALOGTEMPLATES_H
#define KELVANE_RES_DIALOGTEMPLATES_H

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDC_PROMPT 1000
#define IDM_ABOUTBOX 0x0010

#define KELVANE_FONT_POINTS 9
#define KELVANE_FONT_FACE "新細明體"
#define KELVANE_TEXT_OK "確定"
#define KELVANE_TEXT_CANCEL "取消"
#define KELVANE_TEXT_ABOUT_ITEM "關於 Kelvane(&A)..."

/* Main dialog 102 (extended template). */
#define KELVANE_MAIN_STYLE 0x90C800C0
#define KELVANE_MAIN_EXSTYLE 0x00040000
#define KELVANE_MAIN_WIDTH 312
#define KELVANE_MAIN_HEIGHT 109
#define KELVANE_MAIN_CAPTION "Orvane Kelvane"
#define KELVANE_MAIN_PROMPT "Please plug in Lumo"
#define KELVANE_MAIN_OK_STYLE 0x40010001
#define KELVANE_MAIN_CANCEL_STYLE 0x50010000
#define KELVANE_MAIN_PROMPT_STYLE 0x50020201

/* About box 100 (classic template). */
#define KELVANE_ABOUT_STYLE 0x80C800C0
#define KELVANE_ABOUT_WIDTH 235
#define KELVANE_ABOUT_HEIGHT 55
#define KELVANE_ABOUT_CAPTION "關於 Kelvane"
#define KELVANE_ABOUT_VERSION "Kelvane Version 1.0"
#define KELVANE_ABOUT_NOTICE "Copyright (C) 2026 Orvane"
#define KELVANE_ABOUT_ICON_STYLE 0x50000003
#define KELVANE_ABOUT_VERSION_STYLE 0x50020080
#define KELVANE_ABOUT_NOTICE_STYLE 0x50020000
#define KELVANE_ABOUT_OK_STYLE 0x50030001

#ifndef RC_INVOKED
#include <cstdint>
#include <span>

namespace kelvane {

enum class ControlKind { kButton, kStatic, kIcon };

struct DialogControl {
    std::int16_t id;  // -1: a control without an id of its own
    ControlKind kind;
    const char16_t* text;  // for an icon: empty, the icon is IDR_MAINFRAME
    std::int16_t x, y, width, height;
    std::uint32_t style;
};

struct DialogTemplate {
    std::uint16_t id;
    const char16_t* caption;
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t width, height;
    const char16_t* fontFace;
    std::int16_t fontPoints;
    std::span<const DialogControl> controls;
};

inline constexpr DialogControl kMainControls[] = {
    {1, ControlKind::kButton, u"" KELVANE_TEXT_OK, 255, 7, 50, 14, KELVANE_MAIN_OK_STYLE},
    {2, ControlKind::kButton, u"" KELVANE_TEXT_CANCEL, 131, 88, 50, 14, KELVANE_MAIN_CANCEL_STYLE},
    {IDC_PROMPT, ControlKind::kStatic, u"" KELVANE_MAIN_PROMPT, 100, 40, 110, 18,
     KELVANE_MAIN_PROMPT_STYLE},
};

inline constexpr DialogControl kAboutControls[] = {
    {-1, ControlKind::kIcon, u"", 11, 17, 20, 20, KELVANE_ABOUT_ICON_STYLE},
    {-1, ControlKind::kStatic, u"" KELVANE_ABOUT_VERSION, 40, 10, 119, 8,
     KELVANE_ABOUT_VERSION_STYLE},
    {-1, ControlKind::kStatic, u"" KELVANE_ABOUT_NOTICE, 40, 25, 119, 8,
     KELVANE_ABOUT_NOTICE_STYLE},
    {1, ControlKind::kButton, u"" KELVANE_TEXT_OK, 178, 7, 50, 14, KELVANE_ABOUT_OK_STYLE},
};

inline constexpr DialogTemplate kMainDialogTemplate{
    IDD_MAIN,           u"" KELVANE_MAIN_CAPTION, KELVANE_MAIN_STYLE, KELVANE_MAIN_EXSTYLE,
    KELVANE_MAIN_WIDTH, KELVANE_MAIN_HEIGHT,      u"" KELVANE_FONT_FACE, KELVANE_FONT_POINTS,
    kMainControls};

inline constexpr DialogTemplate kAboutDialogTemplate{
    IDD_ABOUTBOX,        u"" KELVANE_ABOUT_CAPTION, KELVANE_ABOUT_STYLE, 0,
    KELVANE_ABOUT_WIDTH, KELVANE_ABOUT_HEIGHT,      u"" KELVANE_FONT_FACE, KELVANE_FONT_POINTS,
    kAboutControls};

inline constexpr char16_t kAboutItemText[] = u"" KELVANE_TEXT_ABOUT_ITEM;

// The template of a dialog id; null for an unknown one.
constexpr const DialogTemplate* FindDialogTemplate(std::uint16_t id) {
    return id == IDD_MAIN ? &kMainDialogTemplate
                          : id == IDD_ABOUTBOX ? &kAboutDialogTemplate : nullptr;
}

}  // namespace kelvane
#endif

#endif
