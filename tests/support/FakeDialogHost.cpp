#include "tests/support/FakeDialogHost.h"

#include <algorithm>

#include "res/DialogTemplates.h"

namespace kelvane::testing {

WindowHandle FakeDialogHost::DialogOf(std::uint16_t templateId) const {
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (run->templateId == templateId) {
            return run->dialog;
        }
    }
    return WindowHandle::Null();
}

FakeDialogHost::Run* FakeDialogHost::FindRun(WindowHandle dialog) {
    for (Run& run : runs) {
        if (run.dialog == dialog) {
            return &run;
        }
    }
    return nullptr;
}

bool FakeDialogHost::IsOpen(WindowHandle dialog) const {
    return std::any_of(runs.begin(), runs.end(),
                       [&](const Run& run) { return run.dialog == dialog && !run.ended; });
}

MenuHandle FakeDialogHost::SystemMenuOf(WindowHandle dialog) const {
    const auto menu = m_systemMenus.find(dialog.value);
    return menu != m_systemMenus.end() ? menu->second : MenuHandle::Null();
}

std::intptr_t FakeDialogHost::Send(WindowHandle dialog, std::uint32_t message,
                                   std::uintptr_t wParam, std::intptr_t lParam) {
    const auto procedure = m_procedures.find(dialog.value);
    if (procedure == m_procedures.end() || !IsOpen(dialog)) {
        return 0;
    }
    std::intptr_t result = 0;
    if (procedure->second->HandleDialogMessage(dialog, message, wParam, lParam, result)) {
        return result;
    }
    ++defaultProcessing;
    // The dialog manager's default processing.
    if (message == kWmSysCommand && (wParam & 0xFFF0) == kScClose) {
        return Send(dialog, kWmClose);
    }
    if (message == kWmClose) {
        return Send(dialog, kWmCommand, kIdCancel);
    }
    return 0;
}

std::intptr_t FakeDialogHost::DialogBoxParamW(ModuleHandle, std::uint16_t templateId,
                                              WindowHandle owner, DialogProcedure& procedure) {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
    if (dialogTemplate == nullptr) {
        return -1;
    }
    const WindowHandle dialog =
        m_windows.AddWindow(WindowHandle::Null(), FakeControl::kPlain, dialogTemplate->caption,
                            templateId == IDD_MAIN ? "main" : "about");
    for (const DialogControl& control : dialogTemplate->controls) {
        const WindowHandle item = m_windows.AddWindow(dialog, FakeControl::kPlain, control.text);
        m_items.emplace(std::make_pair(dialog.value, std::int32_t{control.id}), item);
    }
    if (hasSystemMenu) {
        FakeMenuItem move;
        move.text = u"&Move";
        move.id = 0xF010;
        FakeMenuItem close;
        close.text = u"&Close\tAlt+F4";
        close.id = kScClose;
        m_systemMenus.emplace(dialog.value, m_windows.AddMenu("system", {move, close}));
    }
    m_procedures[dialog.value] = &procedure;
    runs.push_back({templateId, dialog, owner});
    const std::size_t index = runs.size() - 1;
    if (!owner.IsNull()) {
        ++m_disabled[owner.value];
    }

    std::intptr_t focus = 0;
    procedure.HandleDialogMessage(dialog, kWmInitDialog, 0, 0, focus);
    if (!runs[index].ended) {
        runs[index].loopEntered = true;
        while (!runs[index].ended && !whileModal.empty()) {
            auto step = std::move(whileModal.front());
            whileModal.pop_front();
            step();
        }
        if (!runs[index].ended) {
            EndDialog(dialog, kLoopRanDry);
        }
    }
    if (!owner.IsNull() && --m_disabled[owner.value] == 0) {
        m_disabled.erase(owner.value);
    }
    m_procedures.erase(dialog.value);
    return runs[index].result;
}

bool FakeDialogHost::EndDialog(WindowHandle dialog, std::intptr_t result) {
    Run* run = FindRun(dialog);
    if (run == nullptr || run->ended) {
        return false;
    }
    run->ended = true;
    run->result = result;
    return true;
}

WindowHandle FakeDialogHost::GetDlgItem(WindowHandle dialog, std::int32_t id) {
    const auto item = m_items.find({dialog.value, id});
    return item != m_items.end() ? item->second : WindowHandle::Null();
}

MenuHandle FakeDialogHost::GetSystemMenu(WindowHandle window, bool) {
    return SystemMenuOf(window);
}

bool FakeDialogHost::AppendMenuW(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                                 const char16_t* text) {
    FakeMenuItem item;
    item.separator = (flags & kMfSeparator) != 0;
    item.id = static_cast<std::uint32_t>(id);
    item.text = text != nullptr && !item.separator ? text : u"";
    m_windows.Menu(menu).items.push_back(item);
    return true;
}

std::int32_t FakeDialogHost::LoadStringW(ModuleHandle, std::uint32_t id, char16_t* buffer,
                                         std::int32_t bufferMax) {
    if (id != IDS_ABOUTBOX || aboutItemText.empty() || bufferMax <= 0) {
        if (buffer != nullptr && bufferMax > 0) {
            buffer[0] = u'\0';
        }
        return 0;
    }
    const std::size_t length =
        std::min(aboutItemText.size(), static_cast<std::size_t>(bufferMax - 1));
    std::copy_n(aboutItemText.begin(), length, buffer);
    buffer[length] = u'\0';
    return static_cast<std::int32_t>(length);
}

IconHandle FakeDialogHost::LoadIconW(ModuleHandle, std::uint16_t id) {
    return id == IDR_MAINFRAME ? kProgramIcon : IconHandle::Null();
}

IconHandle FakeDialogHost::WmSetIcon(WindowHandle window, std::uint32_t which, IconHandle icon) {
    auto& [big, small] = icons[window.value];
    IconHandle& slot = which == kIconBig ? big : small;
    const IconHandle previous = slot;
    slot = icon;
    return previous;
}

DeviceContext FakeDialogHost::BeginPaint(WindowHandle) {
    m_openPaint = DeviceContext{0xDC};
    return *m_openPaint;
}

void FakeDialogHost::EndPaint(WindowHandle, DeviceContext) {
    m_openPaint.reset();
}

void FakeDialogHost::WmIconEraseBkgnd(WindowHandle, DeviceContext dc) {
    if (m_openPaint && dc == *m_openPaint) {
        ++iconBackgroundErasures;
    }
}

std::int32_t FakeDialogHost::GetSystemMetrics(std::int32_t index) {
    return index == kSmCxIcon ? iconWidth : index == kSmCyIcon ? iconHeight : 0;
}

bool FakeDialogHost::GetClientRect(WindowHandle, RECT& rect) {
    rect = clientRect;
    return true;
}

bool FakeDialogHost::DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y, IconHandle icon) {
    if (!m_openPaint || dc != *m_openPaint) {
        return false;
    }
    drawnIcons.push_back({x, y, icon});
    return true;
}

}  // namespace kelvane::testing
