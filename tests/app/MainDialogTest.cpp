#include "app/MainDialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "app/LauncherApp.h"
#include "common/WideText.h"
#include "res/DialogTemplates.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/LanguageTableFile.h"
#include "tests/support/TraceRecorder.h"

namespace kelvane {
namespace {

using testing::FakeDialogHost;
using testing::FakePlatform;
using testing::TraceRecorder;

constexpr std::uint32_t kLumoA = 0x2E470502;
constexpr std::uint32_t kLumoB = 0x2E47050E;
constexpr char16_t kIniPath[] = u"/home/lumo/updates/Kelvane.ini";
constexpr char16_t kLumoAProgram[] = u"/home/lumo/updates/A1/fwa.exe";
constexpr char16_t kLumoBProgram[] = u"/home/lumo/updates/B2/fwb.exe";

// An interface record as the system delivers it: the header, then the device path.
std::vector<std::uint8_t> InterfaceRecord(std::u16string_view path) {
    const std::size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    std::vector<std::uint8_t> record(offset + (path.size() + 1) * 2 + 2, 0);
    DEV_BROADCAST_HDR header{static_cast<std::uint32_t>(offset + (path.size() + 1) * 2),
                             kDbtDevtypDeviceInterface, 0};
    std::memcpy(record.data(), &header, sizeof(header));
    std::memcpy(record.data() + offset, path.data(), path.size() * 2);
    return record;
}

// The user's story: the launcher starts, waits for a printer, starts its program and ends.
class LauncherStory : public ::testing::Test {
protected:
    void SetUp() override {
        fake.resources.Add(testing::FakeResources::kProgramModule, u"INI_FILE", 129,
                           testing::ReadLanguageTableFile());
        fake.files.files[kIniPath] = {
            "[LumoA]\nversion=A1\nEXE=fwa.exe\n[LumoB]\nversion=B2\nEXE=fwb.exe\n",
            kFileAttributeReadOnly};
        fake.dialogHost.aboutItemText = u"" KELVANE_TEXT_ABOUT_ITEM;
        fake.shell.onExecute = [this] {
            handlesAtLaunch = fake.kernelObjects.OpenHandleCount();
            registrationsAtLaunch = fake.deviceNotifications.ActiveCount();
        };
    }

    // Runs the application as the program's entry point does.
    void Run() { EXPECT_FALSE(app.InitInstance()); }

    // While the dialog waits, in the order the user does things.
    void WhileWaiting(std::function<void()> step) {
        fake.dialogHost.whileModal.push_back(std::move(step));
    }

    CRibbonCalDlg& Dialog() { return *static_cast<CRibbonCalDlg*>(AfxGetMainWnd()); }
    WindowHandle MainWindow() const { return fake.dialogHost.DialogOf(IDD_MAIN); }

    void Arrival(std::u16string_view path = u"\\\\?\\usb#new") {
        const auto record = InterfaceRecord(path);
        EXPECT_EQ(fake.dialogHost.DeviceChange(MainWindow(), kDbtDeviceArrival, record.data()), 1);
    }
    void Removal(std::u16string_view path) {
        const auto record = InterfaceRecord(path);
        EXPECT_EQ(
            fake.dialogHost.DeviceChange(MainWindow(), kDbtDeviceRemoveComplete, record.data()), 1);
    }

    std::vector<std::u16string> Started() const {
        std::vector<std::u16string> files;
        for (const auto& run : fake.shell.executions) {
            files.push_back(run.file);
        }
        return files;
    }

    const FakeDialogHost::Run& MainRun() const { return fake.dialogHost.runs.at(0); }

    FakePlatform fake;
    CFirmwareLauncherApp app{fake.platform()};
    int handlesAtLaunch = -1;
    int registrationsAtLaunch = -1;
};

TEST_F(LauncherStory, PrinterAlreadyAttachedStartsItsProgramBeforeAnyWait) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    Run();

    EXPECT_EQ(Started(), std::vector<std::u16string>{kLumoAProgram});
    EXPECT_FALSE(MainRun().loopEntered);
    EXPECT_EQ(MainRun().result, kIdCancel);
    EXPECT_EQ(handlesAtLaunch, 0) << "the printer and its mutex are free when the program starts";
    EXPECT_EQ(registrationsAtLaunch, 0);
    EXPECT_EQ(fake.files.files[kIniPath].attributes, kFileAttributeNormalOnly);
}

TEST_F(LauncherStory, WithoutPrinterTriesBothModelsOnceAndWaits) {
    WhileWaiting([this] {
        EXPECT_EQ(Dialog().m_nModel, 0u);
        // One count per model and nothing to look up: 68, then 91.
        EXPECT_EQ(fake.deviceSetup.counts.SetupDiGetClassDevsW, 2);
        ASSERT_EQ(fake.deviceNotifications.registrations.size(), 1u);
        EXPECT_EQ(fake.deviceNotifications.ActiveCount(), 1);
        EXPECT_EQ(fake.deviceNotifications.registrations[0].recipient, MainWindow());
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();

    EXPECT_TRUE(MainRun().loopEntered);
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(fake.files.profileReads.empty()) << "Cancel neither reads the INI";
    EXPECT_TRUE(fake.files.attributeChanges.empty()) << "nor touches it";
    EXPECT_EQ(fake.deviceNotifications.ActiveCount(), 0);
}

TEST_F(LauncherStory, PluggingInLumoBStartsItsProgram) {
    WhileWaiting([this] {
        fake.deviceSetup.AddPrinters(kLumoB, 1);
        Arrival();
    });
    Run();
    EXPECT_EQ(Started(), std::vector<std::u16string>{kLumoBProgram});
    EXPECT_EQ(handlesAtLaunch, 0);
    EXPECT_EQ(registrationsAtLaunch, 0);
}

TEST_F(LauncherStory, ArrivalOfAnotherPrinterRenewsTheRegistrationAndWaitsOn) {
    WhileWaiting([this] {
        fake.deviceSetup.AddPrinters(0x04B80E20, 1);
        Arrival();
        EXPECT_EQ(fake.deviceNotifications.registrations.size(), 2u);
        EXPECT_EQ(fake.deviceNotifications.unregistered.size(), 1u);
        EXPECT_EQ(fake.deviceNotifications.ActiveCount(), 1);
        EXPECT_TRUE(fake.dialogHost.IsOpen(MainWindow()));
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    EXPECT_TRUE(Started().empty());
}

TEST_F(LauncherStory, BothModelsPresentLumoAWinsAndLumoBIsNeverTried) {
    fake.deviceSetup.AddPrinters(kLumoB, 1);
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    Run();
    EXPECT_EQ(Started(), std::vector<std::u16string>{kLumoAProgram});
    EXPECT_EQ(fake.deviceSetup.counts.SetupDiGetClassDevsW, 2) << "a count and a lookup for 68";
}

TEST_F(LauncherStory, LumoAThatCannotBeOpenedLetsLumoBBeTried) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    fake.deviceSetup.AddPrinters(kLumoB, 1);
    fake.kernelObjects.failingPaths[fake.deviceSetup.interfaces[0].devicePath] = 32;
    Run();
    EXPECT_EQ(Started(), std::vector<std::u16string>{kLumoBProgram});
}

TEST_F(LauncherStory, RemovalOfTheLinksDeviceInOtherCaseClosesTheLink) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    const std::u16string path = fake.deviceSetup.interfaces[0].devicePath;
    fake.kernelObjects.failingPaths[path] = 32;  // found, but held by another program
    WhileWaiting([this, path] {
        CUsbLink& link = *Dialog().m_Usb;
        ASSERT_EQ(BufferText(link.m_szSymbolicLink, kPathCapacity), path);
        // Open it behind the watch's back, as only a removal may close it.
        fake.kernelObjects.failingPaths.clear();
        ASSERT_EQ(link.Open(68, 1, 0x102, 3), kLinkOpened);

        Removal(u"\\\\?\\usb#other");
        EXPECT_TRUE(link.IsOpened()) << "another device's removal changes nothing";

        std::u16string upper = path;
        for (char16_t& c : upper) {
            c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
        }
        Removal(upper);
        EXPECT_FALSE(link.IsOpened());
        EXPECT_EQ(fake.deviceNotifications.ActiveCount(), 1) << "and the dialog waits on";
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    EXPECT_TRUE(Started().empty());
}

TEST_F(LauncherStory, RemovalBeforeAnyLookupChangesNothing) {
    TraceRecorder trace;
    WhileWaiting([this] {
        fake.kernelObjects.calls.clear();
        Removal(u"");
        Removal(u"\\\\?\\usb#x");
        EXPECT_TRUE(fake.kernelObjects.calls.empty());
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    EXPECT_EQ(trace.Texts(u"OnDeviceChange(), nEventType = DBT"),
              (std::vector<std::u16string>{
                  u"OnDeviceChange(), nEventType = DBT_DEVICEREMOVECOMPLETE, pDevInf->dbcc_name = "
                  u"\"\",\n",
                  u"OnDeviceChange(), nEventType = DBT_DEVICEREMOVECOMPLETE, pDevInf->dbcc_name = "
                  u"\"\\\\?\\usb#x\",\n"}));
}

TEST_F(LauncherStory, EveryEventIsAnsweredTrueAndOnlyPrinterArrivalsAct) {
    TraceRecorder trace;
    WhileWaiting([this] {
        const int setsBefore = fake.deviceSetup.counts.SetupDiGetClassDevsW;
        DEV_BROADCAST_HDR volume{12, 2 /* DBT_DEVTYP_VOLUME */, 0};
        EXPECT_EQ(fake.dialogHost.DeviceChange(MainWindow(), kDbtDeviceArrival, &volume), 1);
        EXPECT_EQ(fake.dialogHost.DeviceChange(MainWindow(), kDbtDeviceArrival, nullptr), 1);
        EXPECT_EQ(fake.dialogHost.DeviceChange(MainWindow(), kDbtDeviceQueryRemove, nullptr), 1);
        EXPECT_EQ(fake.dialogHost.DeviceChange(MainWindow(), kDbtDevNodesChanged, nullptr), 1);
        EXPECT_EQ(fake.deviceSetup.counts.SetupDiGetClassDevsW, setsBefore);
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    const auto lines = trace.Texts(u"OnDeviceChange(), nEventType = 0x");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], u"OnDeviceChange(), nEventType = 0x8000, pHdr->dbch_devicetype = 2,\n");
    EXPECT_EQ(lines[1], u"OnDeviceChange(), nEventType = 0x8000, pHdr->dbch_devicetype = -1,\n");
    EXPECT_EQ(lines[3], u"OnDeviceChange(), nEventType = 0x0007, pHdr->dbch_devicetype = -1,\n");
}

TEST_F(LauncherStory, FailedRegistrationLeavesTheDialogWaitingForCancel) {
    fake.deviceNotifications.refuseRegistrations = true;
    TraceRecorder trace;
    WhileWaiting([this] {
        EXPECT_TRUE(Dialog().m_hDevNotify.IsNull());
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    EXPECT_EQ(trace.Texts(u"CRibbonCalDlg::OpenUsbConnection()"),
              std::vector<std::u16string>{u"CRibbonCalDlg::OpenUsbConnection(), after "
                                          u"DoRegisterDeviceInterface(), m_hDevNotify = 0,\n"});
}

TEST_F(LauncherStory, MissingIniStillOpensTheEmptyComposition) {
    fake.files.files.clear();
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    Run();
    EXPECT_EQ(Started(), std::vector<std::u16string>{u"/home/lumo/updates//"});
}

TEST_F(LauncherStory, OverlongCurrentDirectoryStartsNothing) {
    fake.files.currentDirectory = u"/" + std::u16string(280, u'd');
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    Run();
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(MainRun().result, kIdCancel) << "the dialog ends all the same";
}

TEST_F(LauncherStory, SecondCancelForAFoundModelOpensAgain) {
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CRibbonCalDlg dialog(fake.platform(), nullptr);
    dialog.DoModal();
    ASSERT_EQ(dialog.m_nModel, 68u);
    dialog.OnCancel();
    EXPECT_EQ(Started(), (std::vector<std::u16string>{kLumoAProgram, kLumoAProgram}));
    EXPECT_EQ(dialog.m_Usb, nullptr);
    EXPECT_EQ(dialog.m_Context, nullptr);
}

// ---- Keys and commands -----------------------------------------------------------------------

struct KeyCase {
    const char* name;
    std::uint32_t message;
    std::uintptr_t wParam;
    bool ends;

    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }
};

class Keys : public LauncherStory, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(Keys, OnlyTheCancelWaysEndTheDialog) {
    WhileWaiting([this] {
        fake.dialogHost.Send(MainWindow(), GetParam().message, GetParam().wParam);
        EXPECT_EQ(fake.dialogHost.IsOpen(MainWindow()), !GetParam().ends);
        if (!GetParam().ends) {
            fake.dialogHost.PressEscape(MainWindow());
        }
    });
    Run();
    EXPECT_EQ(MainRun().result, kIdCancel);
    EXPECT_TRUE(Started().empty());
}

std::string KeyName(const ::testing::TestParamInfo<KeyCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Keys,
    ::testing::Values(KeyCase{"EnterIsIgnored", kWmCommand, kIdOk, false},
                      KeyCase{"EscapeCancels", kWmCommand, kIdCancel, true},
                      KeyCase{"CloseCommandCancels", kWmSysCommand, kScClose, true},
                      KeyCase{"CloseMessageCancels", kWmClose, 0, true},
                      KeyCase{"MinimiseIsLeftToTheSystem", kWmSysCommand, kScMinimize, false},
                      KeyCase{"OtherButtonIsIgnored", kWmCommand, 1000, false}),
    KeyName);

// ---- About box -------------------------------------------------------------------------------

TEST_F(LauncherStory, SystemMenuEndsWithTheAboutItem) {
    WhileWaiting([this] {
        const auto& items = fake.windowHost.Menu(fake.dialogHost.SystemMenuOf(MainWindow())).items;
        ASSERT_GE(items.size(), 2u);
        EXPECT_TRUE(items[items.size() - 2].separator);
        EXPECT_EQ(items.back().text, u"關於 Kelvane(&A)...");
        EXPECT_EQ(items.back().id, 0x10u);
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
}

TEST_F(LauncherStory, EmptyAboutStringAddsNothing) {
    fake.dialogHost.aboutItemText.clear();
    WhileWaiting([this] {
        EXPECT_EQ(fake.windowHost.Menu(fake.dialogHost.SystemMenuOf(MainWindow())).items.size(),
                  2u);
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
}

TEST_F(LauncherStory, SystemCommandsTenToNineteenHexOpenTheAboutBox) {
    WhileWaiting([this] {
        for (std::uint32_t id = 0x10; id <= 0x1F; ++id) {
            fake.dialogHost.whileModal.push_front([this] {
                const WindowHandle about = fake.dialogHost.DialogOf(IDD_ABOUTBOX);
                EXPECT_FALSE(fake.dialogHost.IsEnabled(MainWindow())) << "owned and modal";
                fake.dialogHost.Click(about, kIdOk);
            });
            fake.dialogHost.SystemCommand(MainWindow(), id);
        }
        EXPECT_TRUE(fake.dialogHost.IsEnabled(MainWindow()));
        fake.dialogHost.SystemCommand(MainWindow(), 0x20);
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    int aboutRuns = 0;
    for (const auto& run : fake.dialogHost.runs) {
        if (run.templateId == IDD_ABOUTBOX) {
            ++aboutRuns;
            EXPECT_EQ(run.owner, MainWindow());
        }
    }
    EXPECT_EQ(aboutRuns, 16);
}

TEST_F(LauncherStory, PrinterPluggedInWhileAboutIsOpenLaunchesAndEndsAfterIt) {
    WhileWaiting([this] {
        fake.dialogHost.whileModal.push_front([this] {
            fake.deviceSetup.AddPrinters(kLumoA, 1);
            Arrival();
            EXPECT_EQ(Started(), std::vector<std::u16string>{kLumoAProgram});
            EXPECT_TRUE(fake.dialogHost.IsOpen(fake.dialogHost.DialogOf(IDD_ABOUTBOX)));
            fake.dialogHost.PressEscape(fake.dialogHost.DialogOf(IDD_ABOUTBOX));
        });
        fake.dialogHost.SystemCommand(MainWindow(), 0x10);
    });
    Run();
    EXPECT_EQ(MainRun().result, kIdCancel);
    EXPECT_EQ(fake.dialogHost.runs.size(), 2u);
}

// ---- Looks -----------------------------------------------------------------------------------

struct LanguageCase {
    const char* name;
    std::uint16_t uiLanguage;
    std::u16string prompt;

    friend void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }
};

class DialogTexts : public LauncherStory, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(DialogTexts, PromptIsTranslatedButCaptionAndCancelKeepTheirTemplateText) {
    fake.systemQueries.uiLanguage = GetParam().uiLanguage;
    WhileWaiting([this] {
        const WindowHandle dialog = MainWindow();
        EXPECT_EQ(fake.windowHost.Window(dialog).text, u"Orvane Kelvane");
        EXPECT_EQ(fake.windowHost.Window(fake.dialogHost.GetDlgItem(dialog, IDC_PROMPT)).text,
                  GetParam().prompt);
        EXPECT_EQ(fake.windowHost.Window(fake.dialogHost.GetDlgItem(dialog, kIdCancel)).text,
                  u"取消");
        EXPECT_EQ(fake.dialogHost.icons[dialog.value].first, FakeDialogHost::kProgramIcon);
        EXPECT_EQ(fake.dialogHost.icons[dialog.value].second, FakeDialogHost::kProgramIcon);
        fake.dialogHost.PressEscape(dialog);
    });
    Run();
}

std::string LanguageName(const ::testing::TestParamInfo<LanguageCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogTexts,
                         ::testing::Values(LanguageCase{"English", 0x0409, u"Please plug in Lumo"},
                                           LanguageCase{"TraditionalChinese", 0x0404,
                                                        u"請插入 Lumo 印表機"},
                                           LanguageCase{"Russian", 0x0419, u"Please plug in Lumo"}),
                         LanguageName);

struct IconCase {
    const char* name;
    RECT client;
    std::int32_t cx, cy;
    std::int32_t x, y;

    friend void PrintTo(const IconCase& c, std::ostream* os) { *os << c.name; }
};

class MinimisedIcon : public LauncherStory, public ::testing::WithParamInterface<IconCase> {};

TEST_P(MinimisedIcon, IsDrawnCentredWithTheRounding) {
    const IconCase& c = GetParam();
    fake.dialogHost.iconic = true;
    fake.dialogHost.clientRect = c.client;
    fake.dialogHost.iconWidth = c.cx;
    fake.dialogHost.iconHeight = c.cy;
    WhileWaiting([this] {
        fake.dialogHost.Send(MainWindow(), kWmPaint);
        EXPECT_EQ(fake.dialogHost.Send(MainWindow(), kWmQueryDragIcon),
                  static_cast<std::intptr_t>(FakeDialogHost::kProgramIcon.value));
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    ASSERT_EQ(fake.dialogHost.drawnIcons.size(), 1u);
    EXPECT_EQ(fake.dialogHost.drawnIcons[0].x, c.x);
    EXPECT_EQ(fake.dialogHost.drawnIcons[0].y, c.y);
    EXPECT_EQ(fake.dialogHost.drawnIcons[0].icon, FakeDialogHost::kProgramIcon);
    EXPECT_EQ(fake.dialogHost.iconBackgroundErasures, 1);
}

std::string IconName(const ::testing::TestParamInfo<IconCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Sizes, MinimisedIcon,
                         ::testing::Values(IconCase{"EvenSpare", {0, 0, 160, 28}, 32, 32, 64, -1},
                                           IconCase{"OddSpare", {0, 0, 161, 29}, 32, 32, 65, -1},
                                           IconCase{"Exact", {0, 0, 32, 32}, 32, 32, 0, 0},
                                           IconCase{
                                               "SmallerThanIcon", {0, 0, 10, 0}, 32, 32, -10, -15}),
                         IconName);

TEST_F(LauncherStory, RestoredWindowIsPaintedByTheSystem) {
    WhileWaiting([this] {
        const int before = fake.dialogHost.defaultProcessing;
        fake.dialogHost.Send(MainWindow(), kWmPaint);
        EXPECT_EQ(fake.dialogHost.defaultProcessing, before + 1);
        fake.dialogHost.PressEscape(MainWindow());
    });
    Run();
    EXPECT_TRUE(fake.dialogHost.drawnIcons.empty());
}

TEST(PrinterContextInDialog, FlagIsSetForTheModelThatOpened) {
    FakePlatform fake;
    fake.deviceSetup.AddPrinters(kLumoA, 1);
    CRibbonCalDlg dialog(fake.platform(), nullptr);
    bool flagSeen = false;
    fake.shell.onExecute = [&] { flagSeen = dialog.m_Context == nullptr; };
    dialog.DoModal();
    EXPECT_TRUE(flagSeen) << "the context is released before the program starts";
}

}  // namespace
}  // namespace kelvane
