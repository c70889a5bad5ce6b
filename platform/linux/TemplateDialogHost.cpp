#include "platform/linux/TemplateDialogHost.h"

#include <algorithm>

namespace kelvane {
namespace {

constexpr std::uint32_t kBsDefPushButton = 0x1;
constexpr std::uint32_t kBsTypeMask = 0xF;
constexpr std::uint32_t kWsSysMenu = 0x00080000;

std::int32_t CopyText(std::u16string_view text, char16_t* buffer, std::int32_t maxCount) {
    if (buffer == nullptr || maxCount <= 0) {
        return 0;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(maxCount - 1));
    std::copy_n(text.begin(), length, buffer);
    buffer[length] = u'\0';
    return static_cast<std::int32_t>(length);
}

}  // namespace

WindowHandle TemplateDialogHost::AddWindow(Window window) {
    const WindowHandle handle{m_nextHandle++};
    m_windows.emplace(handle.value, std::move(window));
    return handle;
}

const TemplateDialogHost::Window* TemplateDialogHost::Find(WindowHandle window) const {
    const auto found = m_windows.find(window.value);
    return found != m_windows.end() ? &found->second : nullptr;
}

TemplateDialogHost::Window* TemplateDialogHost::Find(WindowHandle window) {
    const auto found = m_windows.find(window.value);
    return found != m_windows.end() ? &found->second : nullptr;
}

TemplateDialogHost::Run* TemplateDialogHost::FindRun(WindowHandle dialog) {
    for (Run& run : m_runs) {
        if (run.dialog == dialog) {
            return &run;
        }
    }
    return nullptr;
}

const TemplateDialogHost::Run* TemplateDialogHost::FindRun(WindowHandle dialog) const {
    return const_cast<TemplateDialogHost*>(this)->FindRun(dialog);
}

bool TemplateDialogHost::IsOpen(WindowHandle dialog) const {
    const Run* run = FindRun(dialog);
    return run != nullptr && !run->ended;
}

WindowHandle TemplateDialogHost::ActiveDialog() const {
    for (auto run = m_runs.rbegin(); run != m_runs.rend(); ++run) {
        if (!run->ended) {
            return run->dialog;
        }
    }
    return WindowHandle::Null();
}

const DialogControl* TemplateDialogHost::ControlOf(WindowHandle window) const {
    const Window* record = Find(window);
    return record != nullptr ? record->control : nullptr;
}

std::u16string TemplateDialogHost::TextOf(WindowHandle window) const {
    const Window* record = Find(window);
    return record != nullptr ? record->text : std::u16string();
}

std::vector<WindowHandle> TemplateDialogHost::ChildrenOf(WindowHandle dialog) const {
    const Window* record = Find(dialog);
    return record != nullptr ? record->children : std::vector<WindowHandle>();
}

IconHandle TemplateDialogHost::IconOf(WindowHandle window, std::uint32_t which) const {
    const Window* record = Find(window);
    if (record == nullptr) {
        return IconHandle::Null();
    }
    return which == kIconBig ? record->bigIcon : record->smallIcon;
}

const std::vector<TemplateDialogHost::MenuItem>* TemplateDialogHost::MenuItems(
    MenuHandle menu) const {
    const auto found = m_menus.find(menu.value);
    return found != m_menus.end() ? &found->second : nullptr;
}

std::vector<TemplateDialogHost::MenuItem>* TemplateDialogHost::FindMenu(MenuHandle menu) {
    const auto found = m_menus.find(menu.value);
    return found != m_menus.end() ? &found->second : nullptr;
}

TemplateDialogHost::MenuItem* TemplateDialogHost::FindItem(MenuHandle menu, std::uint32_t item,
                                                           std::uint32_t flags) {
    std::vector<MenuItem>* items = FindMenu(menu);
    if (items == nullptr) {
        return nullptr;
    }
    if ((flags & kMfByPosition) != 0) {
        return item < items->size() ? &(*items)[item] : nullptr;
    }
    for (MenuItem& entry : *items) {
        if (!entry.separator && entry.id == item) {
            return &entry;
        }
    }
    return nullptr;
}

std::uint16_t TemplateDialogHost::DefaultCommand(WindowHandle dialog) const {
    const Window* record = Find(dialog);
    if (record != nullptr) {
        for (const WindowHandle child : record->children) {
            const DialogControl* control = ControlOf(child);
            if (control->kind == ControlKind::kButton &&
                (control->style & kBsTypeMask) == kBsDefPushButton) {
                return static_cast<std::uint16_t>(control->id);
            }
        }
    }
    return kIdOk;
}

WindowHandle TemplateDialogHost::OwnerOf(WindowHandle dialog) const {
    const Run* run = FindRun(dialog);
    return run != nullptr ? run->owner : WindowHandle::Null();
}

void TemplateDialogHost::PressEnter(WindowHandle dialog) {
    SendMessageW(dialog, kWmCommand, DefaultCommand(dialog), 0);
}

bool TemplateDialogHost::Dispatch(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam, std::intptr_t& result) {
    result = 0;
    Run* run = FindRun(window);
    if (run == nullptr || run->ended) {
        return false;
    }
    DialogProcedure* procedure = run->procedure;
    if (procedure->HandleDialogMessage(window, message, wParam, lParam, result)) {
        return true;
    }
    // The dialog manager's default processing. The run may have ended meanwhile.
    if (message == kWmSysCommand) {
        const std::uint32_t command = static_cast<std::uint32_t>(wParam & 0xFFF0);
        if (command == kScClose) {
            result = SendMessageW(window, kWmClose, 0, 0);
        } else if (IsOpen(window)) {
            DefaultSystemCommand(window, command);
        }
    } else if (message == kWmClose) {
        result = SendMessageW(window, kWmCommand, kIdCancel, 0);
    }
    return false;
}

std::intptr_t TemplateDialogHost::SendMessageW(WindowHandle window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
    std::intptr_t result = 0;
    Dispatch(window, message, wParam, lParam, result);
    return result;
}

void TemplateDialogHost::DeliverDeviceChange(WindowHandle window, std::uint32_t event,
                                             const void* record) {
    SendMessageW(window, kWmDeviceChange, event, reinterpret_cast<std::intptr_t>(record));
}

std::intptr_t TemplateDialogHost::DialogBoxParamW(ModuleHandle, std::uint16_t templateId,
                                                  WindowHandle owner, DialogProcedure& procedure) {
    const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
    if (dialogTemplate == nullptr || (!owner.IsNull() && Find(owner) == nullptr)) {
        return -1;
    }
    Window dialogWindow;
    dialogWindow.dialogTemplate = dialogTemplate;
    dialogWindow.text = dialogTemplate->caption;
    const WindowHandle dialog = AddWindow(std::move(dialogWindow));
    for (const DialogControl& control : dialogTemplate->controls) {
        Window child;
        child.parent = dialog;
        child.control = &control;
        child.text = control.text;
        const WindowHandle item = AddWindow(std::move(child));
        Find(dialog)->children.push_back(item);
    }
    if ((dialogTemplate->style & kWsSysMenu) != 0) {
        // A dialog frame without sizing or minimise box: its window menu can move and close it.
        const MenuHandle menu{m_nextHandle++};
        m_menus[menu.value] = {{u"&Move", kScMove, false}, {u"&Close\tAlt+F4", kScClose, false}};
        Find(dialog)->systemMenu = menu;
    }
    m_runs.push_back({dialog, owner, &procedure});
    if (!owner.IsNull() && m_disabled[owner.value]++ == 0) {
        EnabledChanged(owner);
    }

    Realise(dialog);
    std::intptr_t focus = 0;
    procedure.HandleDialogMessage(dialog, kWmInitDialog, 0, 0, focus);
    if (!FindRun(dialog)->ended) {
        RunModalLoop(dialog);
    }
    const std::intptr_t result = FindRun(dialog)->result;

    if (!owner.IsNull() && --m_disabled[owner.value] == 0) {
        m_disabled.erase(owner.value);
        EnabledChanged(owner);
    }
    Unrealise(dialog);
    DestroyDialog(dialog);
    return result;
}

void TemplateDialogHost::DestroyDialog(WindowHandle dialog) {
    Window* record = Find(dialog);
    for (const WindowHandle child : record->children) {
        m_windows.erase(child.value);
    }
    m_menus.erase(record->systemMenu.value);
    m_windows.erase(dialog.value);
    m_runs.erase(std::remove_if(m_runs.begin(), m_runs.end(),
                                [&](const Run& run) { return run.dialog == dialog; }),
                 m_runs.end());
}

bool TemplateDialogHost::EndDialog(WindowHandle dialog, std::intptr_t result) {
    Run* run = FindRun(dialog);
    if (run == nullptr || run->ended) {
        return false;
    }
    run->ended = true;
    run->result = result;
    QuitModalLoop(dialog);
    return true;
}

WindowHandle TemplateDialogHost::GetDlgItem(WindowHandle dialog, std::int32_t id) {
    const Window* record = Find(dialog);
    if (record == nullptr) {
        return WindowHandle::Null();
    }
    for (const WindowHandle child : record->children) {
        if (ControlOf(child)->id == id) {
            return child;
        }
    }
    return WindowHandle::Null();
}

MenuHandle TemplateDialogHost::GetSystemMenu(WindowHandle window, bool) {
    const Window* record = Find(window);
    return record != nullptr ? record->systemMenu : MenuHandle::Null();
}

bool TemplateDialogHost::AppendMenuW(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                                     const char16_t* text) {
    std::vector<MenuItem>* items = FindMenu(menu);
    if (items == nullptr) {
        return false;
    }
    MenuItem item;
    item.separator = (flags & kMfSeparator) != 0;
    item.id = item.separator ? 0 : static_cast<std::uint32_t>(id);
    if (!item.separator && text != nullptr) {
        item.text = text;
    }
    items->push_back(std::move(item));
    return true;
}

std::int32_t TemplateDialogHost::LoadStringW(ModuleHandle, std::uint32_t id, char16_t* buffer,
                                             std::int32_t bufferMax) {
    const std::u16string_view text = id == IDS_ABOUTBOX ? kAboutItemText : u"";
    if (text.empty()) {
        CopyText(text, buffer, bufferMax);
        return 0;
    }
    return CopyText(text, buffer, bufferMax);
}

IconHandle TemplateDialogHost::LoadIconW(ModuleHandle, std::uint16_t id) {
    return id == IDR_MAINFRAME ? kProgramIcon : IconHandle::Null();
}

IconHandle TemplateDialogHost::WmSetIcon(WindowHandle window, std::uint32_t which,
                                         IconHandle icon) {
    Window* record = Find(window);
    if (record == nullptr) {
        return IconHandle::Null();
    }
    IconHandle& slot = which == kIconBig ? record->bigIcon : record->smallIcon;
    const IconHandle previous = slot;
    slot = icon;
    IconChanged(window);
    return previous;
}

std::int32_t TemplateDialogHost::GetSystemMetrics(std::int32_t index) {
    // The program's icon is drawn at its big size, 32 by 32.
    return index == kSmCxIcon || index == kSmCyIcon ? 32 : 0;
}

std::int32_t TemplateDialogHost::GetWindowTextW(WindowHandle window, char16_t* buffer,
                                                std::int32_t maxCount) {
    const Window* record = Find(window);
    if (record == nullptr) {
        CopyText(u"", buffer, maxCount);
        return 0;
    }
    return CopyText(record->text, buffer, maxCount);
}

bool TemplateDialogHost::SetWindowTextW(WindowHandle window, const char16_t* text) {
    Window* record = Find(window);
    if (record == nullptr) {
        return false;
    }
    record->text = text != nullptr ? text : u"";
    TextChanged(window);
    return true;
}

WindowHandle TemplateDialogHost::GetWindow(WindowHandle window, std::uint32_t command) {
    const Window* record = Find(window);
    if (record == nullptr) {
        return WindowHandle::Null();
    }
    if (command == kGwChild) {
        return record->children.empty() ? WindowHandle::Null() : record->children.front();
    }
    if (command == kGwHwndNext && !record->parent.IsNull()) {
        const std::vector<WindowHandle>& siblings = Find(record->parent)->children;
        const auto self = std::find(siblings.begin(), siblings.end(), window);
        if (self != siblings.end() && self + 1 != siblings.end()) {
            return *(self + 1);
        }
    }
    return WindowHandle::Null();
}

std::int32_t TemplateDialogHost::GetMenuItemCount(MenuHandle menu) {
    const std::vector<MenuItem>* items = FindMenu(menu);
    return items != nullptr ? static_cast<std::int32_t>(items->size()) : -1;
}

std::int32_t TemplateDialogHost::GetMenuStringW(MenuHandle menu, std::uint32_t item,
                                                char16_t* buffer, std::int32_t maxCount,
                                                std::uint32_t flags) {
    const MenuItem* entry = FindItem(menu, item, flags);
    return CopyText(entry != nullptr ? std::u16string_view(entry->text) : u"", buffer, maxCount);
}

std::uint32_t TemplateDialogHost::GetMenuItemID(MenuHandle menu, std::int32_t position) {
    if (position < 0) {
        return kMenuItemOpensSubmenu;
    }
    const MenuItem* entry = FindItem(menu, static_cast<std::uint32_t>(position), kMfByPosition);
    return entry != nullptr ? entry->id : kMenuItemOpensSubmenu;
}

bool TemplateDialogHost::ModifyMenuW(MenuHandle menu, std::uint32_t position, std::uint32_t flags,
                                     std::uintptr_t newItem, const char16_t* newItemText) {
    MenuItem* entry = FindItem(menu, position, flags);
    // No menu of these dialogs has a submenu to put in an item.
    if (entry == nullptr || (flags & kMfPopup) != 0) {
        return false;
    }
    entry->separator = (flags & kMfSeparator) != 0;
    entry->id = entry->separator ? 0 : static_cast<std::uint32_t>(newItem);
    entry->text = entry->separator || newItemText == nullptr ? u"" : newItemText;
    return true;
}

}  // namespace kelvane
