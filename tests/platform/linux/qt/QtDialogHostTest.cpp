#include "platform/linux/qt/QtDialogHost.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/linux/LinuxDeviceNotifications.h"
#include "res/DialogTemplates.h"
#include "tests/platform/linux/UsbTestbed.h"
#include "tests/support/PrinterClass.h"

namespace kelvane {
namespace {

struct Received {
    std::uint32_t message;
    std::uintptr_t wParam;
};

// A dialog procedure for the tests: it records what reaches it and ends its dialog with the
// first dialog command (IDOK, IDCANCEL) or with an About request (0x10) it receives, unless a
// test's handler takes the message first.
class TestProcedure final : public DialogProcedure {
public:
    explicit TestProcedure(TemplateDialogHost& host) : m_host(host) {}

    std::function<void(WindowHandle)> onInit;
    std::function<bool(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t)> onMessage;
    std::vector<Received> received;

    bool HandleDialogMessage(WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam, std::intptr_t& result) override {
        if (message == kWmCommand || message == kWmSysCommand || message == kWmClose ||
            message == kWmDeviceChange) {
            received.push_back({message, wParam});
        }
        if (message == kWmInitDialog) {
            if (onInit) {
                onInit(dialog);
            }
            result = 1;
            return true;
        }
        if (onMessage && onMessage(dialog, message, wParam, lParam)) {
            return true;
        }
        if (message == kWmCommand) {
            m_host.EndDialog(dialog, static_cast<std::intptr_t>(wParam & 0xFFFF));
            return true;
        }
        if (message == kWmSysCommand && (wParam & 0xFFF0) == IDM_ABOUTBOX) {
            m_host.EndDialog(dialog, IDM_ABOUTBOX);
            return true;
        }
        return false;
    }

    bool Got(std::uint32_t message, std::uintptr_t wParam) const {
        for (const auto& entry : received) {
            if (entry.message == message && entry.wParam == wParam) {
                return true;
            }
        }
        return false;
    }

private:
    TemplateDialogHost& m_host;
};

std::u16string Text(TemplateDialogHost& host, WindowHandle window) {
    char16_t buffer[1024];
    const std::int32_t length = host.GetWindowTextW(window, buffer, 1024);
    return std::u16string(buffer, static_cast<std::size_t>(length));
}

// Runs `step` once the modal loop that is current then handles events.
void Later(std::function<void()> step) {
    QTimer::singleShot(0, qApp, std::move(step));
}

// Where a key goes: the widget with the focus, as the user's key would.
QWidget* KeyTarget(QtDialogHost& host, WindowHandle dialog) {
    QWidget* widget = host.WidgetOf(dialog);
    QWidget* focus = widget->focusWidget();
    return focus != nullptr ? focus : widget;
}

QMenu* OpenPopup() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

class QtDialogHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A test that forgets to end a dialog fails instead of hanging.
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            for (WindowHandle open = host.ActiveDialog(); !open.IsNull();
                 open = host.ActiveDialog()) {
                host.EndDialog(open, kTimedOut);
            }
        });
        watchdog.start(10000);
    }

    std::intptr_t RunMain(TestProcedure& procedure, WindowHandle owner = WindowHandle::Null()) {
        return host.DialogBoxParamW(ModuleHandle::Null(), IDD_MAIN, owner, procedure);
    }

    void AppendAboutItem(WindowHandle dialog) {
        const MenuHandle menu = host.GetSystemMenu(dialog, false);
        ASSERT_FALSE(menu.IsNull());
        char16_t text[256];
        ASSERT_GT(host.LoadStringW(ModuleHandle::Null(), IDS_ABOUTBOX, text, 256), 0);
        host.AppendMenuW(menu, kMfSeparator, 0, nullptr);
        host.AppendMenuW(menu, kMfString, IDM_ABOUTBOX, text);
    }

    static constexpr std::intptr_t kTimedOut = -99;
    QtDialogHost host;
    QTimer watchdog;
};

TEST_F(QtDialogHostTest, MainDialogShowsCaptionPromptAndCancelButHidesTheDefaultButton) {
    TestProcedure procedure(host);
    procedure.onInit = [&](WindowHandle dialog) {
        Later([&, dialog] {
            QWidget* window = host.WidgetOf(dialog);
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->windowTitle(), QStringLiteral("Orvane Kelvane"));

            auto* ok = qobject_cast<QPushButton*>(host.WidgetOf(host.GetDlgItem(dialog, kIdOk)));
            auto* cancel =
                qobject_cast<QPushButton*>(host.WidgetOf(host.GetDlgItem(dialog, kIdCancel)));
            auto* prompt =
                qobject_cast<QLabel*>(host.WidgetOf(host.GetDlgItem(dialog, IDC_PROMPT)));
            ASSERT_NE(ok, nullptr);
            ASSERT_NE(cancel, nullptr);
            ASSERT_NE(prompt, nullptr);
            EXPECT_FALSE(ok->isVisible());
            EXPECT_EQ(ok->text(), QStringLiteral("確定"));
            EXPECT_TRUE(cancel->isVisible());
            EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
            EXPECT_TRUE(prompt->isVisible());
            EXPECT_EQ(prompt->text(), QStringLiteral("Please plug in Lumo"));
            EXPECT_EQ(prompt->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
            EXPECT_FALSE(prompt->wordWrap());
            // The only control that takes the focus has it.
            EXPECT_EQ(window->focusWidget(), cancel);

            // Laid out in dialog units: Cancel (131 + 50 / 2 = 156 of 312) and the prompt
            // (100 + 110 / 2 = 155) sit in the middle; the button is 14 of 109 units high.
            const double width = window->width();
            EXPECT_NEAR(cancel->geometry().center().x() / width, 0.5, 0.01);
            EXPECT_NEAR(prompt->geometry().center().x() / width, 155.0 / 312.0, 0.01);
            EXPECT_NEAR(cancel->height() / double(window->height()), 14.0 / 109.0, 0.02);
            EXPECT_NEAR(ok->geometry().right() / width, 305.0 / 312.0, 0.01);
            // The prompt fits its line in the dialog's font.
            EXPECT_LE(prompt->fontMetrics().horizontalAdvance(prompt->text()), prompt->width());
            host.EndDialog(dialog, 5);
        });
    };
    EXPECT_EQ(RunMain(procedure), 5);
}

TEST_F(QtDialogHostTest, WindowOperationsWalkTheControlsInTemplateOrder) {
    TestProcedure procedure(host);
    procedure.onInit = [&](WindowHandle dialog) {
        EXPECT_EQ(Text(host, dialog), u"Orvane Kelvane");
        std::vector<std::u16string> texts;
        std::vector<std::int16_t> ids;
        for (WindowHandle child = host.GetWindow(dialog, kGwChild); !child.IsNull();
             child = host.GetWindow(child, kGwHwndNext)) {
            texts.push_back(Text(host, child));
            ids.push_back(host.ControlOf(child)->id);
            // Buttons and texts only: no combo, list, list view or header answers.
            EXPECT_EQ(host.ListGetCount(kComboBoxMessages, child), 0);
            EXPECT_EQ(host.ListGetCount(kListBoxMessages, child), 0);
            EXPECT_TRUE(host.LvmGetHeader(child).IsNull());
        }
        EXPECT_EQ(texts, (std::vector<std::u16string>{u"確定", u"取消", u"Please plug in Lumo"}));
        EXPECT_EQ(ids, (std::vector<std::int16_t>{1, 2, IDC_PROMPT}));
        EXPECT_TRUE(host.GetMenu(dialog).IsNull());

        // A new text shows at once; a static text shows "&x" as x, a button keeps its "&".
        const WindowHandle prompt = host.GetDlgItem(dialog, IDC_PROMPT);
        ASSERT_TRUE(host.SetWindowTextW(prompt, u"請插入 &Lumo && 印表機"));
        EXPECT_EQ(qobject_cast<QLabel*>(host.WidgetOf(prompt))->text(),
                  QStringLiteral("請插入 Lumo & 印表機"));
        EXPECT_EQ(Text(host, prompt), u"請插入 &Lumo && 印表機");
        host.SetWindowTextW(dialog, u"Kelvane");
        EXPECT_EQ(host.WidgetOf(dialog)->windowTitle(), QStringLiteral("Kelvane"));

        // A short buffer gets what fits and a terminator.
        char16_t small[4] = {u'x', u'x', u'x', u'x'};
        EXPECT_EQ(host.GetWindowTextW(dialog, small, 4), 3);
        EXPECT_EQ(std::u16string(small), u"Kel");
        host.EndDialog(dialog, 0);
    };
    RunMain(procedure);
}

TEST_F(QtDialogHostTest, EndDialogDuringInitialisationKeepsTheDialogFromShowing) {
    TestProcedure procedure(host);
    bool shown = false;
    bool eventLoopRan = false;
    struct ShowSpy : QObject {
        bool* shown;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Show) {
                *shown = true;
            }
            return false;
        }
    } spy;
    spy.shown = &shown;
    procedure.onInit = [&](WindowHandle dialog) {
        host.WidgetOf(dialog)->installEventFilter(&spy);
        Later([&] { eventLoopRan = true; });
        EXPECT_TRUE(host.EndDialog(dialog, 42));
        EXPECT_FALSE(host.EndDialog(dialog, 43));  // ended once only
    };
    EXPECT_EQ(RunMain(procedure), 42);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(eventLoopRan);
    EXPECT_TRUE(host.ActiveDialog().IsNull());
    QCoreApplication::processEvents();
}

// The keys and the window's close request, as the user gives them.
struct KeyCase {
    const char* name;
    std::function<void(QtDialogHost&, WindowHandle)> act;
    std::intptr_t result;      // the command that ended the dialog
    bool throughCloseCommand;  // SC_CLOSE and WM_CLOSE came before the command
};

void PrintTo(const KeyCase& keyCase, std::ostream* out) {
    *out << keyCase.name;
}

class QtDialogKeysTest : public QtDialogHostTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(QtDialogKeysTest, ReachTheProcedureAsTheDialogManagerSendsThem) {
    const KeyCase& keyCase = GetParam();
    TestProcedure procedure(host);
    procedure.onInit = [&](WindowHandle dialog) {
        Later([&, dialog] { keyCase.act(host, dialog); });
    };
    EXPECT_EQ(RunMain(procedure), keyCase.result);
    EXPECT_EQ(procedure.Got(kWmSysCommand, kScClose), keyCase.throughCloseCommand);
    EXPECT_EQ(procedure.Got(kWmClose, 0), keyCase.throughCloseCommand);
    EXPECT_TRUE(procedure.Got(kWmCommand, static_cast<std::uintptr_t>(keyCase.result)));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, QtDialogKeysTest,
    ::testing::Values(
        KeyCase{"Escape",
                [](QtDialogHost& host, WindowHandle dialog) {
                    QTest::keyClick(KeyTarget(host, dialog), Qt::Key_Escape);
                },
                kIdCancel, false},
        KeyCase{"CloseButton",
                [](QtDialogHost& host, WindowHandle dialog) { host.WidgetOf(dialog)->close(); },
                kIdCancel, true},
        KeyCase{"AltF4",
                [](QtDialogHost& host, WindowHandle dialog) {
                    QTest::keyClick(KeyTarget(host, dialog), Qt::Key_F4, Qt::AltModifier);
                },
                kIdCancel, true},
        // Enter is the hidden default button's, even with the focus on Cancel.
        KeyCase{"EnterOnFocusedCancel",
                [](QtDialogHost& host, WindowHandle dialog) {
                    QTest::keyClick(KeyTarget(host, dialog), Qt::Key_Return);
                },
                kIdOk, false},
        KeyCase{"KeypadEnter",
                [](QtDialogHost& host, WindowHandle dialog) {
                    QTest::keyClick(KeyTarget(host, dialog), Qt::Key_Enter, Qt::KeypadModifier);
                },
                kIdOk, false},
        KeyCase{"SpaceOnFocusedCancel",
                [](QtDialogHost& host, WindowHandle dialog) {
                    QTest::keyClick(KeyTarget(host, dialog), Qt::Key_Space);
                },
                kIdCancel, false},
        KeyCase{"ClickOnCancel",
                [](QtDialogHost& host, WindowHandle dialog) {
                    QTest::mouseClick(host.WidgetOf(host.GetDlgItem(dialog, kIdCancel)),
                                      Qt::LeftButton);
                },
                kIdCancel, false}),
    [](const ::testing::TestParamInfo<KeyCase>& param) { return param.param.name; });

// The ways to the window menu, and the item chosen in it.
struct MenuCase {
    const char* name;
    std::function<void(QtDialogHost&, WindowHandle)> open;
    Qt::Key itemKey;  // the chosen item's access key
    std::uint32_t command;
    std::intptr_t result;
};

void PrintTo(const MenuCase& menuCase, std::ostream* out) {
    *out << menuCase.name;
}

class QtWindowMenuTest : public QtDialogHostTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(QtWindowMenuTest, OffersTheStandardEntriesAndTheAppendedItem) {
    const MenuCase& menuCase = GetParam();
    TestProcedure procedure(host);
    QStringList entries;
    procedure.onInit = [&](WindowHandle dialog) {
        AppendAboutItem(dialog);
        Later([&, dialog] {
            menuCase.open(host, dialog);
            QMenu* menu = OpenPopup();
            ASSERT_NE(menu, nullptr);
            for (const QAction* action : menu->actions()) {
                entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
            }
            QTest::keyClick(menu, menuCase.itemKey);
        });
    };
    EXPECT_EQ(RunMain(procedure), menuCase.result);
    EXPECT_EQ(entries, (QStringList{QStringLiteral("&Move"), QStringLiteral("&Close\tAlt+F4"),
                                    QStringLiteral("-"), QStringLiteral("關於 Kelvane(&A)...")}));
    EXPECT_TRUE(procedure.Got(kWmSysCommand, menuCase.command));
}

INSTANTIATE_TEST_SUITE_P(
    Menu, QtWindowMenuTest,
    ::testing::Values(MenuCase{"RightClickThenAbout",
                               [](QtDialogHost& host, WindowHandle dialog) {
                                   QWidget* window = host.WidgetOf(dialog);
                                   QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                                           window->mapToGlobal(QPoint(5, 5)));
                                   QApplication::sendEvent(window, &event);
                               },
                               Qt::Key_A, IDM_ABOUTBOX, IDM_ABOUTBOX},
                      MenuCase{"RightClickOnThePromptThenAbout",
                               [](QtDialogHost& host, WindowHandle dialog) {
                                   QWidget* prompt =
                                       host.WidgetOf(host.GetDlgItem(dialog, IDC_PROMPT));
                                   QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                                           prompt->mapToGlobal(QPoint(2, 2)));
                                   QApplication::sendEvent(prompt, &event);
                               },
                               Qt::Key_A, IDM_ABOUTBOX, IDM_ABOUTBOX},
                      MenuCase{"ShiftF10ThenAbout",
                               [](QtDialogHost& host, WindowHandle dialog) {
                                   QTest::keyClick(KeyTarget(host, dialog), Qt::Key_F10,
                                                   Qt::ShiftModifier);
                               },
                               Qt::Key_A, IDM_ABOUTBOX, IDM_ABOUTBOX},
                      MenuCase{"MenuKeyThenAbout",
                               [](QtDialogHost& host, WindowHandle dialog) {
                                   QTest::keyClick(KeyTarget(host, dialog), Qt::Key_Menu);
                               },
                               Qt::Key_A, IDM_ABOUTBOX, IDM_ABOUTBOX},
                      MenuCase{"AltSpaceThenClose",
                               [](QtDialogHost& host, WindowHandle dialog) {
                                   QTest::keyClick(KeyTarget(host, dialog), Qt::Key_Space,
                                                   Qt::AltModifier);
                               },
                               Qt::Key_C, kScClose, kIdCancel}),
    [](const ::testing::TestParamInfo<MenuCase>& param) { return param.param.name; });

TEST_F(QtDialogHostTest, AboutBoxRunsNestedWithItsOwnerDisabled) {
    TestProcedure main(host);
    TestProcedure about(host);
    WindowHandle mainDialog;
    std::intptr_t aboutResult = 0;
    bool ownerDisabledMeanwhile = false;
    bool aboutUsable = false;
    std::vector<std::u16string> aboutTexts;
    about.onInit = [&](WindowHandle box) {
        ownerDisabledMeanwhile =
            !host.IsEnabled(mainDialog) && !host.WidgetOf(mainDialog)->isEnabled();
        for (const WindowHandle child : host.ChildrenOf(box)) {
            aboutTexts.push_back(Text(host, child));
        }
        auto* icon = qobject_cast<QLabel*>(host.WidgetOf(host.ChildrenOf(box).front()));
        EXPECT_TRUE(icon != nullptr && icon->pixmap().size() == QSize(32, 32));
        Later([&, box] {
            aboutUsable = host.WidgetOf(box)->isEnabled() && host.WidgetOf(box)->isVisible();
            QTest::keyClick(KeyTarget(host, box), Qt::Key_Return);  // its default button: OK
        });
    };
    main.onInit = [&](WindowHandle dialog) {
        mainDialog = dialog;
        Later([&, dialog] { host.SystemCommand(dialog, IDM_ABOUTBOX); });
    };
    main.onMessage = [&](WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t) {
        if (message != kWmSysCommand || wParam != IDM_ABOUTBOX) {
            return false;
        }
        aboutResult = host.DialogBoxParamW(ModuleHandle::Null(), IDD_ABOUTBOX, dialog, about);
        EXPECT_TRUE(host.IsEnabled(dialog));
        EXPECT_TRUE(host.WidgetOf(dialog)->isEnabled());
        host.EndDialog(dialog, 3);
        return true;
    };
    EXPECT_EQ(RunMain(main), 3);
    EXPECT_EQ(aboutResult, kIdOk);
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(aboutUsable);
    EXPECT_EQ(aboutTexts, (std::vector<std::u16string>{u"", u"Kelvane Version 1.0",
                                                       u"" KELVANE_ABOUT_NOTICE, u"確定"}));
}

TEST_F(QtDialogHostTest, IconStringAndWindowIcons) {
    char16_t text[64];
    EXPECT_EQ(host.LoadStringW(ModuleHandle::Null(), IDS_ABOUTBOX, text, 64),
              static_cast<std::int32_t>(std::u16string_view(kAboutItemText).size()));
    EXPECT_EQ(std::u16string(text), kAboutItemText);
    EXPECT_EQ(host.LoadStringW(ModuleHandle::Null(), 999, text, 64), 0);
    EXPECT_EQ(text[0], u'\0');
    EXPECT_TRUE(host.LoadIconW(ModuleHandle::Null(), 129).IsNull());
    const IconHandle icon = host.LoadIconW(ModuleHandle::Null(), IDR_MAINFRAME);
    ASSERT_FALSE(icon.IsNull());

    TestProcedure procedure(host);
    procedure.onInit = [&](WindowHandle dialog) {
        EXPECT_TRUE(host.WidgetOf(dialog)->windowIcon().isNull());
        EXPECT_TRUE(host.WmSetIcon(dialog, kIconBig, icon).IsNull());
        EXPECT_EQ(host.WmSetIcon(dialog, kIconBig, icon), icon);  // the previous one
        host.WmSetIcon(dialog, kIconSmall, icon);
        const QIcon shown = host.WidgetOf(dialog)->windowIcon();
        EXPECT_EQ(shown.availableSizes(), (QList<QSize>{QSize(32, 32), QSize(16, 16)}));
        host.EndDialog(dialog, 0);
    };
    RunMain(procedure);
}

// The icon's pixels: the red head of the match at (20, 12) of the big image, nothing at (0, 0).
TEST_F(QtDialogHostTest, PaintingDrawsTheIconWhereTheProcedureSays) {
    TestProcedure procedure(host);
    QImage painted;
    procedure.onMessage = [&](WindowHandle dialog, std::uint32_t message, std::uintptr_t,
                              std::intptr_t) {
        if (message != kWmPaint) {
            return false;
        }
        const DeviceContext dc = host.BeginPaint(dialog);
        host.WmIconEraseBkgnd(dialog, dc);
        RECT client{};
        EXPECT_TRUE(host.GetClientRect(dialog, client));
        EXPECT_EQ(client.right, host.WidgetOf(dialog)->width());
        EXPECT_TRUE(host.DrawIcon(dc, 10, 20, TemplateDialogHost::kProgramIcon));
        EXPECT_FALSE(host.DrawIcon(dc, 10, 20, IconHandle{0x999}));
        host.EndPaint(dialog, dc);
        EXPECT_FALSE(host.DrawIcon(dc, 10, 20, TemplateDialogHost::kProgramIcon));  // closed
        return true;
    };
    procedure.onInit = [&](WindowHandle dialog) {
        Later([&, dialog] {
            painted = host.WidgetOf(dialog)->grab().toImage();
            host.EndDialog(dialog, 0);
        });
    };
    RunMain(procedure);
    ASSERT_FALSE(painted.isNull());
    EXPECT_EQ(painted.pixelColor(10 + 20, 20 + 12), QColor(Qt::red));
    EXPECT_NE(painted.pixelColor(10, 20), QColor(Qt::red));
}

TEST_F(QtDialogHostTest, MinimiseAndRestoreAreTheDefaultOfTheirSystemCommands) {
    TestProcedure procedure(host);
    bool minimised = false;
    bool restored = false;
    procedure.onInit = [&](WindowHandle dialog) {
        Later([&, dialog] {
            host.SystemCommand(dialog, kScMinimize);
            minimised = host.IsIconic(dialog);
            host.SystemCommand(dialog, kScRestore);
            restored = !host.IsIconic(dialog);
            host.EndDialog(dialog, 0);
        });
    };
    RunMain(procedure);
    EXPECT_TRUE(minimised);
    EXPECT_TRUE(restored);
}

TEST_F(QtDialogHostTest, UnknownTemplateOrOwnerFails) {
    TestProcedure procedure(host);
    EXPECT_EQ(host.DialogBoxParamW(ModuleHandle::Null(), 555, WindowHandle::Null(), procedure), -1);
    EXPECT_EQ(
        host.DialogBoxParamW(ModuleHandle::Null(), IDD_ABOUTBOX, WindowHandle{0x4444}, procedure),
        -1);
    EXPECT_TRUE(procedure.received.empty());
}

// A printer plugged in while the About box is open reaches the main dialog at once, through
// the udev monitor on the event loop.
TEST_F(QtDialogHostTest, DeviceNotificationReachesTheMainDialogDuringTheAboutBox) {
    testing::UsbTestbed usb;
    LinuxDeviceNotifications notifications(
        [this](WindowHandle window, std::uint32_t event, const void* record) {
            host.DeliverDeviceChange(window, event, record);
        },
        [](Handle) { return std::u16string(); });
    ASSERT_TRUE(notifications.Start());
    host.WatchDescriptor(notifications.Descriptor(), [&] { notifications.DispatchPending(); });

    TestProcedure main(host);
    TestProcedure about(host);
    WindowHandle aboutBox;
    std::u16string arrivedPath;
    bool aboutOpenOnArrival = false;
    about.onInit = [&](WindowHandle box) {
        aboutBox = box;
        Later([&] { usb.Add(testing::MockUsbDevice{}); });
    };
    main.onInit = [&](WindowHandle dialog) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof(filter);
        filter.dbcc_devicetype = kDbtDevtypDeviceInterface;
        filter.dbcc_classguid = testing::kPrinterClassGuid;
        ASSERT_FALSE(notifications.RegisterDeviceNotificationW(dialog, filter, 0).IsNull());
        Later([&, dialog] { host.SystemCommand(dialog, IDM_ABOUTBOX); });
    };
    main.onMessage = [&](WindowHandle dialog, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
        if (message == kWmSysCommand && wParam == IDM_ABOUTBOX) {
            host.DialogBoxParamW(ModuleHandle::Null(), IDD_ABOUTBOX, dialog, about);
            return true;
        }
        if (message == kWmDeviceChange && wParam == kDbtDeviceArrival && arrivedPath.empty()) {
            const auto* record = reinterpret_cast<const std::uint8_t*>(lParam);
            arrivedPath = reinterpret_cast<const char16_t*>(
                record + offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name));
            aboutOpenOnArrival = host.IsOpen(aboutBox);
            host.EndDialog(dialog, 7);
            Later([&] { QTest::keyClick(KeyTarget(host, aboutBox), Qt::Key_Escape); });
            return true;
        }
        return message == kWmDeviceChange;
    };
    EXPECT_EQ(RunMain(main), 7);
    EXPECT_TRUE(aboutOpenOnArrival);
    EXPECT_EQ(arrivedPath.substr(0, 5), u"/dev/");
}

}  // namespace
}  // namespace kelvane
