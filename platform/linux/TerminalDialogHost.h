#pragma once

#include <termios.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/TemplateDialogHost.h"

namespace kelvane {

// The dialogs drawn as text in a terminal, for a session without a display: each dialog is a
// box laid out from its template (four horizontal dialog units to a column, eight vertical ones
// to a row) with its caption, its texts and its buttons. Keys: Escape cancels, Enter and Space
// press the highlighted button, Tab and the arrows move the highlight, Ctrl-C is the Close
// command, and F10 or "m" opens the window menu (arrows, Enter or the item's access letter;
// Escape closes it). While a dialog runs, the terminal is in raw mode on its alternate screen;
// both are given back when the last dialog ends, and on SIGTERM, SIGHUP and SIGQUIT.
class TerminalDialogHost final : public TemplateDialogHost {
public:
    TerminalDialogHost(int input, int output);
    ~TerminalDialogHost() override;
    TerminalDialogHost(const TerminalDialogHost&) = delete;
    TerminalDialogHost& operator=(const TerminalDialogHost&) = delete;

    void WatchDescriptor(int fd, std::function<void()> ready) override;

    // A terminal has no pixels: painting opens and closes, but no icon can be drawn.
    bool IsIconic(WindowHandle) override { return false; }
    DeviceContext BeginPaint(WindowHandle window) override;
    void EndPaint(WindowHandle, DeviceContext) override {}
    void WmIconEraseBkgnd(WindowHandle, DeviceContext) override {}
    // The dialog's box in character cells.
    bool GetClientRect(WindowHandle window, RECT& rect) override;
    bool DrawIcon(DeviceContext, std::int32_t, std::int32_t, IconHandle) override { return false; }

private:
    enum class Key {
        kNone,
        kEscape,
        kEnter,
        kSpace,
        kTab,
        kBackTab,
        kUp,
        kDown,
        kLeft,
        kRight,
        kCtrlC,
        kMenu,
        kCharacter
    };
    struct Watch {
        int fd;
        std::function<void()> ready;
    };
    struct OpenMenu {
        WindowHandle dialog;
        std::size_t selected = 0;
    };

    void Realise(WindowHandle dialog) override;
    void RunModalLoop(WindowHandle dialog) override;
    void QuitModalLoop(WindowHandle) override {}
    void Unrealise(WindowHandle dialog) override;
    void TextChanged(WindowHandle) override { m_dirty = true; }
    void EnabledChanged(WindowHandle) override { m_dirty = true; }

    void EnterTerminal();
    void LeaveTerminal();
    // Waits for input or a watched descriptor and handles what came.
    void WaitAndHandle();
    // The next key of the pending input; kNone when it holds no whole key yet.
    Key TakeKey(char& character, bool escapeComplete);
    void HandleKey(Key key, char character);
    void HandleMenuKey(Key key, char character);
    void MoveFocus(WindowHandle dialog, int step);
    std::vector<WindowHandle> FocusableButtons(WindowHandle dialog) const;
    void Render();
    void Write(const std::string& text);

    int m_input;
    int m_output;
    bool m_inputOpen = true;
    bool m_raw = false;
    bool m_dirty = true;
    termios m_saved{};
    std::string m_pending;  // input bytes not yet made into keys
    std::vector<Watch> m_watches;
    std::vector<WindowHandle> m_shown;               // dialogs on screen, bottom first
    std::map<std::uintptr_t, WindowHandle> m_focus;  // dialog -> highlighted button
    std::optional<OpenMenu> m_menu;
};

}  // namespace kelvane
