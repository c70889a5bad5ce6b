// The dialog host over the real dialog manager (under wine64 with its null display driver: the
// windows exist, nothing is drawn). The test program carries the program's own resources, so
// the dialogs are made from the shipped templates.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/LauncherApp.h"
#include "platform/Records.h"
#include "platform/win32/Win32DeviceNotifications.h"
#include "platform/win32/Win32DialogHost.h"
#include "platform/win32/Win32Platform.h"
#include "tests/platform/win32/Win32TestSupport.h"

namespace kelvane {
namespace {

constexpr UINT_PTR kStartTimer = 1;
constexpr LRESULT kDenyAnswer = 0x424D5144;  // BROADCAST_QUERY_DENY
constexpr std::uintptr_t kDragIcon = 0x1234;

// A procedure that answers a few messages the way the test asks, records every message it is
// given, and runs the test's action once the modal loop is running (on the first timer tick).
class ScriptedProcedure final : public DialogProcedure {
public:
    ScriptedProcedure(DialogHost& host, std::function<void(HWND)> action)
        : m_host(host), m_action(std::move(action)) {}

    bool HandleDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam, std::intptr_t& result) override {
        messages.push_back(message);
        const HWND window = reinterpret_cast<HWND>(dialog.value);
        switch (message) {
            case WM_INITDIALOG:
                ::SetTimer(window, kStartTimer, 10, nullptr);
                result = TRUE;
                return true;
            case WM_TIMER:
                if (wParam == kStartTimer) {
                    ::KillTimer(window, kStartTimer);
                    m_action(window);
                    return true;
                }
                return false;
            case WM_COMMAND:
                commands.push_back(static_cast<std::uint16_t>(wParam & 0xFFFF));
                if ((wParam & 0xFFFF) == IDCANCEL) {
                    m_host.EndDialog(dialog, 7);
                    return true;
                }
                return false;
            case WM_DEVICECHANGE:
                deviceEvent = static_cast<std::uint32_t>(wParam);
                result = kDenyAnswer;
                return true;
            case WM_QUERYDRAGICON:
                result = static_cast<std::intptr_t>(kDragIcon);
                return true;
            default:
                static_cast<void>(lParam);
                return false;
        }
    }

    std::vector<std::uint32_t> messages;
    std::vector<std::uint16_t> commands;
    std::uint32_t deviceEvent = 0;

private:
    DialogHost& m_host;
    std::function<void(HWND)> m_action;
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[128] = {};
    ::GetDlgItemTextW(dialog, id, text, 128);
    return text;
}

TEST(Win32DialogHost, CancelButtonReachesTheProcedureWhoseEndDialogEndsTheRun) {
    Win32DialogHost host;
    std::wstring prompt, cancel;
    ScriptedProcedure procedure(host, [&](HWND dialog) {
        prompt = ItemText(dialog, 1000);
        cancel = ItemText(dialog, IDCANCEL);
        ::SendMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(host.DialogBoxParamW(ModuleHandle::Null(), 102, WindowHandle::Null(), procedure), 7);
    EXPECT_EQ(prompt, L"Please plug in Lumo");
    EXPECT_EQ(cancel, L"\u53D6\u6D88");
    EXPECT_EQ(procedure.commands, std::vector<std::uint16_t>{IDCANCEL});
    ASSERT_FALSE(procedure.messages.empty());
    // Nothing reaches the procedure before WM_INITDIALOG: earlier messages have no procedure.
    EXPECT_EQ(procedure.messages.front(), static_cast<std::uint32_t>(WM_INITDIALOG));
}

// An unhandled message gets the dialog manager's default processing: WM_CLOSE and the Close
// system command become IDCANCEL.
struct DefaultCase {
    const char* name;
    UINT message;
    WPARAM wParam;

    friend void PrintTo(const DefaultCase& c, std::ostream* os) { *os << c.name; }
};

class Win32DialogHostDefaults : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(Win32DialogHostDefaults, BecomeTheCancelCommand) {
    const DefaultCase& c = GetParam();
    Win32DialogHost host;
    ScriptedProcedure procedure(
        host, [&](HWND dialog) { ::PostMessageW(dialog, c.message, c.wParam, 0); });
    EXPECT_EQ(host.DialogBoxParamW(ModuleHandle::Null(), 102, WindowHandle::Null(), procedure), 7);
    EXPECT_EQ(procedure.commands, std::vector<std::uint16_t>{IDCANCEL});
}

const DefaultCase kDefaultCases[] = {
    {"Close", WM_CLOSE, 0},
    {"CloseSystemCommand", WM_SYSCOMMAND, SC_CLOSE},
    {"CancelCommand", WM_COMMAND, IDCANCEL},
};

INSTANTIATE_TEST_SUITE_P(Dialog102, Win32DialogHostDefaults, ::testing::ValuesIn(kDefaultCases),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(Win32DialogHost, AnswersReachTheSenderThroughTheMessageResultOrDirectly) {
    Win32DialogHost host;
    LRESULT deviceAnswer = 0;
    LRESULT dragAnswer = 0;
    ScriptedProcedure procedure(host, [&](HWND dialog) {
        deviceAnswer = ::SendMessageW(dialog, WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, 0);
        dragAnswer = ::SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    host.DialogBoxParamW(ModuleHandle::Null(), 102, WindowHandle::Null(), procedure);
    EXPECT_EQ(procedure.deviceEvent, static_cast<std::uint32_t>(DBT_DEVICEQUERYREMOVE));
    EXPECT_EQ(deviceAnswer, kDenyAnswer);
    EXPECT_EQ(dragAnswer, static_cast<LRESULT>(kDragIcon));
}

TEST(Win32DialogHost, DialogWindowTakesADeviceInterfaceRegistration) {
    Win32DialogHost host;
    Win32DeviceNotifications notifications;
    DeviceNotifyHandle registration;
    bool unregistered = false;
    ScriptedProcedure procedure(host, [&](HWND dialog) {
        kelvane::DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = kDbtDevtypDeviceInterface;
        registration = notifications.RegisterDeviceNotificationW(
            WindowHandle{reinterpret_cast<std::uintptr_t>(dialog)}, filter,
            kDeviceNotifyWindowHandle);
        if (registration.HoldsHandle()) {
            unregistered = notifications.UnregisterDeviceNotification(registration);
        }
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    host.DialogBoxParamW(ModuleHandle::Null(), 102, WindowHandle::Null(), procedure);
    EXPECT_TRUE(registration.HoldsHandle());
    EXPECT_TRUE(unregistered);
}

TEST(Win32DialogHost, StringAndIconComeFromTheProgramsResources) {
    Win32DialogHost host;
    char16_t text[64] = {};
    const std::int32_t length = host.LoadStringW(ModuleHandle::Null(), 101, text, 64);
    EXPECT_EQ(std::u16string(text, static_cast<std::size_t>(length > 0 ? length : 0)),
              u"\u95DC\u65BC Kelvane(&A)...");
    EXPECT_FALSE(host.LoadIconW(ModuleHandle::Null(), 128).IsNull());
    // A buffer of no size would make Windows hand out a pointer instead of the text.
    char16_t* untouched = nullptr;
    EXPECT_EQ(
        host.LoadStringW(ModuleHandle::Null(), 101, reinterpret_cast<char16_t*>(&untouched), 0), 0);
    EXPECT_EQ(untouched, nullptr);
}

// ---- The whole application on the real platform -----------------------------------------

// Runs the launcher over `platform` while another thread waits for the main dialog to appear
// and hands it to `action`, which must end it. False when no dialog appeared; the modal loop is
// then ended with WM_QUIT, so that a dialog nobody can see does not keep the test waiting.
bool RunLauncher(const Platform& platform, const std::function<void(HWND)>& action) {
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<bool> stop{false};
    std::atomic<bool> found{false};
    std::thread watcher([&] {
        for (int i = 0; i < 1000 && !stop; ++i) {
            // The dialog belongs to this process's other thread; other processes of the session
            // may show one of their own.
            if (const HWND dialog = testing::FindVisibleDialog(::GetCurrentProcessId())) {
                found = true;
                action(dialog);
                return;
            }
            ::Sleep(10);
        }
        if (!stop) {
            ::PostThreadMessageW(uiThread, WM_QUIT, 0, 0);
        }
    });
    CFirmwareLauncherApp application(platform);
    const bool result = application.InitInstance();
    stop = true;
    watcher.join();
    // A quit posted as the launcher ended by itself must not end the next test's dialog.
    MSG quit;
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_FALSE(result);
    return found;
}

// What the main dialog shows, read before it is cancelled.
struct MainDialogView {
    std::wstring caption, prompt, cancel, lastSystemMenuItem;
};

TEST(Win32Launcher, MainDialogShowsThePromptAndItsAboutItemAndEndsOnCancel) {
    // The texts of the interface language this test runs under (CTest gives it en_US.UTF-8,
    // and each locale of the table in a run of its own).
    const testing::UiLanguageCase* language = testing::UiLanguageCaseOfThisRun();
    if (language == nullptr) {
        GTEST_SKIP() << "LANG names no case of the table; CTest runs this test under each";
    }
    MainDialogView view;
    Win32Platform system;
    const bool found = RunLauncher(system.platform(), [&](HWND dialog) {
        wchar_t text[128] = {};
        ::GetWindowTextW(dialog, text, 128);
        view.caption = text;
        view.prompt = ItemText(dialog, 1000);
        view.cancel = ItemText(dialog, IDCANCEL);
        const HMENU menu = ::GetSystemMenu(dialog, FALSE);
        const int count = ::GetMenuItemCount(menu);
        if (count > 0) {
            ::GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 128, MF_BYPOSITION);
            view.lastSystemMenuItem = text;
        }
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(found) << "the main dialog never appeared";
    EXPECT_EQ(view.caption, language->caption);
    EXPECT_EQ(view.prompt, language->prompt);
    EXPECT_EQ(view.cancel, language->cancel);
    EXPECT_EQ(view.lastSystemMenuItem, L"\u95DC\u65BC Kelvane(&A)...");
}

// ---- Painting while minimised ------------------------------------------------------------

// The real dialog host, keeping a record of each paint the dialog makes through it: a record
// begins where the dialog asks whether it is minimised.
class PaintRecordingHost final : public DialogHost {
public:
    struct Paint {
        bool iconic = false;
        DeviceContext begun, erased, drawnOn, ended;
        std::int32_t x = 0, y = 0;
        IconHandle icon;
        bool drawn = false;
    };

    explicit PaintRecordingHost(DialogHost& real) : m_real(real) {}

    std::vector<Paint> paints;

    std::intptr_t DialogBoxParamW(ModuleHandle module, std::uint16_t templateId, WindowHandle owner,
                                  DialogProcedure& procedure) override {
        return m_real.DialogBoxParamW(module, templateId, owner, procedure);
    }
    bool EndDialog(WindowHandle dialog, std::intptr_t result) override {
        return m_real.EndDialog(dialog, result);
    }
    WindowHandle GetDlgItem(WindowHandle dialog, std::int32_t id) override {
        return m_real.GetDlgItem(dialog, id);
    }
    MenuHandle GetSystemMenu(WindowHandle window, bool revert) override {
        return m_real.GetSystemMenu(window, revert);
    }
    bool AppendMenuW(MenuHandle menu, std::uint32_t flags, std::uintptr_t id,
                     const char16_t* text) override {
        return m_real.AppendMenuW(menu, flags, id, text);
    }
    std::int32_t LoadStringW(ModuleHandle module, std::uint32_t id, char16_t* buffer,
                             std::int32_t bufferMax) override {
        return m_real.LoadStringW(module, id, buffer, bufferMax);
    }
    IconHandle LoadIconW(ModuleHandle module, std::uint16_t id) override {
        return m_real.LoadIconW(module, id);
    }
    IconHandle WmSetIcon(WindowHandle window, std::uint32_t which, IconHandle icon) override {
        return m_real.WmSetIcon(window, which, icon);
    }
    std::int32_t GetSystemMetrics(std::int32_t index) override {
        return m_real.GetSystemMetrics(index);
    }
    bool GetClientRect(WindowHandle window, RECT& rect) override {
        return m_real.GetClientRect(window, rect);
    }

    bool IsIconic(WindowHandle window) override {
        paints.emplace_back().iconic = m_real.IsIconic(window);
        return paints.back().iconic;
    }
    DeviceContext BeginPaint(WindowHandle window) override {
        return Current().begun = m_real.BeginPaint(window);
    }
    void WmIconEraseBkgnd(WindowHandle window, DeviceContext dc) override {
        Current().erased = dc;
        m_real.WmIconEraseBkgnd(window, dc);
    }
    bool DrawIcon(DeviceContext dc, std::int32_t x, std::int32_t y, IconHandle icon) override {
        Paint& paint = Current();
        paint.drawnOn = dc;
        paint.x = x;
        paint.y = y;
        paint.icon = icon;
        return paint.drawn = m_real.DrawIcon(dc, x, y, icon);
    }
    void EndPaint(WindowHandle window, DeviceContext dc) override {
        Current().ended = dc;
        m_real.EndPaint(window, dc);
    }

private:
    Paint& Current() {
        if (paints.empty()) {
            paints.emplace_back();
        }
        return paints.back();
    }

    DialogHost& m_real;
};

// The dialog has no minimise button: the task bar minimises it, with ShowWindow. The dialog
// manager shows a modal dialog once more (SW_SHOWNORMAL) the first time its loop finds the queue
// empty, which undoes a minimise made before. A message sent to the dialog is handled where its
// loop takes or waits for messages, so once a few have been answered the loop has been idle; a
// minimise that still did not hold is made again.
bool MinimiseForGood(HWND dialog) {
    constexpr int kRoundTrips = 3;
    for (int attempt = 0; attempt < 20; ++attempt) {
        for (int i = 0; i < kRoundTrips; ++i) {
            ::SendMessageW(dialog, WM_NULL, 0, 0);
        }
        ::ShowWindow(dialog, SW_MINIMIZE);
        for (int i = 0; i < kRoundTrips; ++i) {
            ::SendMessageW(dialog, WM_NULL, 0, 0);
        }
        if (::IsIconic(dialog)) {
            return true;
        }
    }
    return false;
}

// Neither wine nor Windows paints a minimised window of its own accord: its client area is
// empty, so invalidating it leaves nothing to update (and no desktop shows minimised windows as
// icons any more). The test therefore sends the paint itself, as the system does where icons are
// drawn, and checks what the dialog made of it through the real host; the pixels cannot be read
// back, since a minimised window has no visible area to draw them in. Restored, the system's own
// paint goes to the default processing.
TEST(Win32Launcher, MinimisedMainDialogErasesItsIconBackgroundAndDrawsItsIconCentred) {
    Win32Platform system;
    PaintRecordingHost host(system.dialogHost);
    const Platform platform{system.deviceSetup,   system.deviceNotifications,
                            system.systemQueries, system.kernelObjects,
                            system.clock,         system.files,
                            system.shell,         system.resources,
                            system.windowHost,    host};
    bool minimised = false;
    bool restored = false;
    ::RECT minimisedClient{-1, -1, -1, -1};
    HICON bigIcon = nullptr;
    std::size_t paintsWhileMinimised = 0;
    const bool found = RunLauncher(platform, [&](HWND dialog) {
        bigIcon = reinterpret_cast<HICON>(::SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
        minimised = MinimiseForGood(dialog);
        ::GetClientRect(dialog, &minimisedClient);
        ::SendMessageW(dialog, WM_PAINT, 0, 0);
        paintsWhileMinimised = host.paints.size();
        ::ShowWindow(dialog, SW_RESTORE);
        restored = ::IsIconic(dialog) == FALSE;
        ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(found) << "the main dialog never appeared";
    ASSERT_TRUE(minimised);
    ASSERT_TRUE(restored);
    ASSERT_GE(paintsWhileMinimised, 1u);

    // The last paint while minimised: the one the test sent.
    const PaintRecordingHost::Paint& iconic = host.paints[paintsWhileMinimised - 1];
    EXPECT_TRUE(iconic.iconic);
    ASSERT_FALSE(iconic.begun.IsNull()) << "no paint context";
    EXPECT_EQ(iconic.erased, iconic.begun) << "the icon background is erased on the paint context";
    EXPECT_EQ(iconic.drawnOn, iconic.begun);
    EXPECT_EQ(iconic.ended, iconic.begun);
    EXPECT_TRUE(iconic.drawn);
    EXPECT_EQ(iconic.icon.value, reinterpret_cast<std::uintptr_t>(bigIcon));
    // A minimised window's client area is empty, smaller than the 32-pixel icon: centring gives
    // -31 / 2, which rounds toward zero to -15 (rounding down would give -16).
    ASSERT_EQ(minimisedClient.right - minimisedClient.left, 0);
    ASSERT_EQ(minimisedClient.bottom - minimisedClient.top, 0);
    ASSERT_EQ(::GetSystemMetrics(SM_CXICON), 32);
    ASSERT_EQ(::GetSystemMetrics(SM_CYICON), 32);
    EXPECT_EQ(iconic.x, -15);
    EXPECT_EQ(iconic.y, -15);

    ASSERT_GT(host.paints.size(), paintsWhileMinimised) << "the restored dialog was not painted";
    for (std::size_t i = paintsWhileMinimised; i < host.paints.size(); ++i) {
        const PaintRecordingHost::Paint& plain = host.paints[i];
        EXPECT_FALSE(plain.iconic);
        EXPECT_TRUE(plain.begun.IsNull()) << "a restored window is painted by the default";
        EXPECT_TRUE(plain.drawnOn.IsNull());
    }
}

}  // namespace
}  // namespace kelvane
