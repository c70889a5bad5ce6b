#include "platform/win32/Win32DialogHost.h"

#include <windows.h>


#include "platform/win32/Win32Interop.h"

namespace kelvane {
namespace {

using win32::ToWindow;
using win32::Wide;

// A null module is the program's own: LoadIconW and LoadStringW would otherwise look among the
// system's icons and strings.
HINSTANCE ToInstance(ModuleHandle module) {
    return module.IsNull() ? ::GetModuleHandleW(nullptr)
                           : reinterpret_cast<HINSTANCE>(module.value);
}

// The messages whose answer is the dialog procedure's return value itself; every other answer
// goes through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return true;
        default:
            return false;
    }
}

// noexcept: an exception must not unwind through the dialog manager's frames, which were not
// built for it; ending the program is the defined outcome.
INT_PTR CALLBACK ForwardDialogMessage(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        // DialogBoxParamW's last argument: the procedure, kept with the window from here on.
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    }
    auto* procedure = reinterpret_cast<DialogProcedure*>(::GetWindowLongPtrW(window, DWLP_USER));
    // Messages that arrive before WM_INITDIALOG (WM_SETFONT, ...) get default processing.
    if (procedure == nullptr) {
        return FALSE;
    }
    std::intptr_t result = 0;
    if (!procedure->HandleDialogMessage(win32::FromHandle<WindowHandle>(window), message,
                                        wParam, lParam, result)) {
        return FALSE;
    }
    if (AnswersDirectly(message)) {
        return result;
    }
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

struct Win32DialogHost::PaintRecord {
    PAINTSTRUCT paint;
};

Win32DialogHost::Win32DialogHost() = default;
Win32DialogHost::~Win32DialogHost() = default;

std::intptr_t Win32DialogHost::DialogBoxParamW(ModuleHandle module, std::uint16_t templateId,
                                               WindowHandle owner, DialogProcedure& procedure) {
    return ::DialogBoxParamW(ToInstance(module), MAKEINTRESOURCEW(templateId), ToWindow(owner),
                             &ForwardDialogMessage, reinterpret_cast<LPARAM>(&procedure));
}

bool Win32DialogHost::EndDialog(WindowHandle dialog, std::intptr_t result) {
    return ::EndDialog(ToWindow(dialog), result) != FALSE;
}

WindowHandle Win32DialogHost::GetDlgItem(WindowHandle dialog, std::int32_t id) {
    return win32::FromHandle<WindowHandle>(::GetDlgItem(ToWindow(dialog), id));
}

MenuHandle Win32DialogHost::GetSystemMenu(WindowHandle window, bool revert) {
    return win32::FromHandle<MenuHandle>(::GetSystemMenu(ToWindow(window), revert ? TRUE : FALSE));
}

bool Win32DialogHost::AppendMenuW(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                                  const char16_t* text) {
    return ::AppendMenuW(reinterpret_cast<HMENU>(menu.value), flags, id, Wide(text)) != FALSE;
}

std::int32_t Win32DialogHost::LoadStringW(ModuleHandle module, std::uint32_t id,
                                          char16_t* buffer, std::int32_t bufferMax) {
    // With a buffer size of 0 Windows writes a pointer to the resource into the buffer instead of
    // copying the text; the seam always copies, so that case copies nothing.
    if (buffer == nullptr || bufferMax <= 0) {
        return 0;
    }
    return ::LoadStringW(ToInstance(module), id, Wide(buffer), bufferMax);
}

IconHandle Win32DialogHost::LoadIconW(ModuleHandle module, std::uint16_t id) {
    return win32::FromHandle<IconHandle>(::LoadIconW(ToInstance(module), MAKEINTRESOURCEW(id)));
}

IconHandle Win32DialogHost::WmSetIcon(WindowHandle window, std::uint32_t which, IconHandle icon) {
    return IconHandle{static_cast<std::uintptr_t>(
        ::SendMessageW(ToWindow(window), WM_SETICON, which, static_cast<LPARAM>(icon.value)))};
}

bool Win32DialogHost::IsIconic(WindowHandle window) {
    return ::IsIconic(ToWindow(window)) != FALSE;
}

DeviceContext Win32DialogHost::BeginPaint(WindowHandle window) {
    auto record = std::make_unique<PaintRecord>();
    const HDC dc = ::BeginPaint(ToWindow(window), &record->paint);
    if (dc == nullptr) {
        return DeviceContext::Null();
    }
    m_paints[reinterpret_cast<std::uintptr_t>(dc)] = std::move(record);
    return win32::FromHandle<DeviceContext>(dc);
}

void Win32DialogHost::EndPaint(WindowHandle window, DeviceContext dc) {
    const auto found = m_paints.find(dc.value);
    if (found == m_paints.end()) {
        // Not a context of BeginPaint: there is no paint to end.
        return;
    }
    ::EndPaint(ToWindow(window), &found->second->paint);
    m_paints.erase(found);
}

void Win32DialogHost::WmIconEraseBkgnd(WindowHandle window, DeviceContext dc) {
    ::SendMessageW(ToWindow(window), WM_ICONERASEBKGND, static_cast<WPARAM>(dc.value), 0);
}

std::int32_t Win32DialogHost::GetSystemMetrics(std::int32_t index) {
    return ::GetSystemMetrics(index);
}

bool Win32DialogHost::GetClientRect(WindowHandle window, RECT& rect) {
    return ::GetClientRect(ToWindow(window), reinterpret_cast<::RECT*>(&rect)) != FALSE;
}

bool Win32DialogHost::DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y,
                               IconHandle icon) {
    return ::DrawIcon(reinterpret_cast<HDC>(dc.value), x, y,
                      reinterpret_cast<HICON>(icon.value)) != FALSE;
}

}  // namespace kelvane
