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

// Waits for the main dialog on another thread, reads what it shows and cancels it.
struct MainDialogView {
    std::wstring caption, prompt, cancel, lastSystemMenuItem;
    bool found = false;
};

MainDialogView RunLauncherAndCancel() {
    MainDialogView view;
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        for (int i = 0; i < 1000 && !stop; ++i) {
            // The dialog belongs to this process's other thread; other processes of the session
            // may show one of their own.
            const HWND dialog = testing::FindVisibleDialog(::GetCurrentProcessId());
            if (dialog != nullptr) {
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
                view.found = true;
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            ::Sleep(10);
        }
    });
    Win32Platform system;
    CFirmwareLauncherApp application(system.platform());
    const bool result = application.InitInstance();
    stop = true;
    watcher.join();
    EXPECT_FALSE(result);
    return view;
}

TEST(Win32Launcher, MainDialogShowsThePromptAndItsAboutItemAndEndsOnCancel) {
    // The texts of the interface language this test runs under (CTest gives it en_US.UTF-8,
    // and each locale of the table in a run of its own).
    const testing::UiLanguageCase* language = testing::UiLanguageCaseOfThisRun();
    if (language == nullptr) {
        GTEST_SKIP() << "LANG names no case of the table; CTest runs this test under each";
    }
    const MainDialogView view = RunLauncherAndCancel();
    ASSERT_TRUE(view.found) << "the main dialog never appeared";
    EXPECT_EQ(view.caption, language->caption);
    EXPECT_EQ(view.prompt, language->prompt);
    EXPECT_EQ(view.cancel, language->cancel);
    EXPECT_EQ(view.lastSystemMenuItem, L"\u95DC\u65BC Kelvane(&A)...");
}

}  // namespace
}  // namespace kelvane
