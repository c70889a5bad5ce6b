// The providers hand our records straight to the Windows API, so each must match the Windows
// record of the same name byte for byte, in the 32-bit and in the 64-bit build, and every
// constant of the seam must carry the value of the Windows macro it stands for. Nothing here
// runs: a mismatch stops the build.
#include <windows.h>

#include <commctrl.h>
#include <dbt.h>
#include <setupapi.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>

#include "platform/DeviceNotifications.h"
#include "platform/DeviceSetup.h"
#include "platform/DialogHost.h"
#include "platform/ErrorCodes.h"
#include "platform/Files.h"
#include "platform/KernelObjects.h"
#include "platform/Records.h"
#include "platform/Shell.h"
#include "platform/SystemQueries.h"
#include "platform/WindowHost.h"

namespace {

// The same offset and the same width for one field of two records.
#define KELVANE_SAME_FIELD(ours, theirs, field)                                  \
    static_assert(offsetof(kelvane::ours, field) == offsetof(::theirs, field) && \
                      sizeof(kelvane::ours::field) == sizeof(::theirs::field),   \
                  #ours "::" #field " is not where Windows has it")

#define KELVANE_SAME_SIZE(ours, theirs) \
    static_assert(sizeof(kelvane::ours) == sizeof(::theirs), #ours " has another size on Windows")

KELVANE_SAME_SIZE(GUID, GUID);
KELVANE_SAME_FIELD(GUID, GUID, Data1);
KELVANE_SAME_FIELD(GUID, GUID, Data2);
KELVANE_SAME_FIELD(GUID, GUID, Data3);
KELVANE_SAME_FIELD(GUID, GUID, Data4);

// Device setup. On 32-bit Windows these records are packed to single bytes; their fields fall
// where natural alignment puts them anyway, except that the detail record ends after the first
// path character.
KELVANE_SAME_SIZE(SP_DEVICE_INTERFACE_DATA, SP_DEVICE_INTERFACE_DATA);
KELVANE_SAME_FIELD(SP_DEVICE_INTERFACE_DATA, SP_DEVICE_INTERFACE_DATA, cbSize);
KELVANE_SAME_FIELD(SP_DEVICE_INTERFACE_DATA, SP_DEVICE_INTERFACE_DATA, InterfaceClassGuid);
KELVANE_SAME_FIELD(SP_DEVICE_INTERFACE_DATA, SP_DEVICE_INTERFACE_DATA, Flags);
KELVANE_SAME_FIELD(SP_DEVICE_INTERFACE_DATA, SP_DEVICE_INTERFACE_DATA, Reserved);

KELVANE_SAME_SIZE(SP_DEVINFO_DATA, SP_DEVINFO_DATA);
KELVANE_SAME_FIELD(SP_DEVINFO_DATA, SP_DEVINFO_DATA, cbSize);
KELVANE_SAME_FIELD(SP_DEVINFO_DATA, SP_DEVINFO_DATA, ClassGuid);
KELVANE_SAME_FIELD(SP_DEVINFO_DATA, SP_DEVINFO_DATA, DevInst);
KELVANE_SAME_FIELD(SP_DEVINFO_DATA, SP_DEVINFO_DATA, Reserved);

KELVANE_SAME_FIELD(SP_DEVICE_INTERFACE_DETAIL_DATA_W, SP_DEVICE_INTERFACE_DETAIL_DATA_W, cbSize);
static_assert(kelvane::kDetailPathOffset ==
              offsetof(::SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath));
// The size field must hold exactly what SetupAPI expects, or every path fetch fails with 1784.
static_assert(kelvane::kDetailFixedSize == sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_W));
static_assert(sizeof(void*) == 8 || sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_W) == 6);

static_assert(kelvane::kDigcfPresent == DIGCF_PRESENT);
static_assert(kelvane::kDigcfDeviceInterface == DIGCF_DEVICEINTERFACE);
static_assert(kelvane::kSpintActive == SPINT_ACTIVE);
static_assert(kelvane::kSpintDefault == SPINT_DEFAULT);
static_assert(kelvane::kSpintRemoved == SPINT_REMOVED);
static_assert(kelvane::kKeyQueryValue == KEY_QUERY_VALUE);
static_assert(kelvane::kRegDword == REG_DWORD);
static_assert(kelvane::kRegSz == REG_SZ);

// Device notifications: 32 and 44 bytes on 32-bit Windows, 32 and 56 on 64-bit.
KELVANE_SAME_SIZE(DEV_BROADCAST_HDR, DEV_BROADCAST_HDR);
KELVANE_SAME_FIELD(DEV_BROADCAST_HDR, DEV_BROADCAST_HDR, dbch_size);
KELVANE_SAME_FIELD(DEV_BROADCAST_HDR, DEV_BROADCAST_HDR, dbch_devicetype);
KELVANE_SAME_FIELD(DEV_BROADCAST_HDR, DEV_BROADCAST_HDR, dbch_reserved);

KELVANE_SAME_SIZE(DEV_BROADCAST_DEVICEINTERFACE_W, DEV_BROADCAST_DEVICEINTERFACE_W);
static_assert(sizeof(::DEV_BROADCAST_DEVICEINTERFACE_W) == 32);
KELVANE_SAME_FIELD(DEV_BROADCAST_DEVICEINTERFACE_W, DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_size);
KELVANE_SAME_FIELD(DEV_BROADCAST_DEVICEINTERFACE_W, DEV_BROADCAST_DEVICEINTERFACE_W,
                   dbcc_devicetype);
KELVANE_SAME_FIELD(DEV_BROADCAST_DEVICEINTERFACE_W, DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_reserved);
KELVANE_SAME_FIELD(DEV_BROADCAST_DEVICEINTERFACE_W, DEV_BROADCAST_DEVICEINTERFACE_W,
                   dbcc_classguid);
KELVANE_SAME_FIELD(DEV_BROADCAST_DEVICEINTERFACE_W, DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);

KELVANE_SAME_SIZE(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE);
static_assert(sizeof(::DEV_BROADCAST_HANDLE) == (sizeof(void*) == 4 ? 44 : 56));
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_size);
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_devicetype);
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_reserved);
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_handle);
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_hdevnotify);
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_eventguid);
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_nameoffset);
KELVANE_SAME_FIELD(DEV_BROADCAST_HANDLE, DEV_BROADCAST_HANDLE, dbch_data);

static_assert(kelvane::kDbtDevtypDeviceInterface == DBT_DEVTYP_DEVICEINTERFACE);
static_assert(kelvane::kDbtDevtypHandle == DBT_DEVTYP_HANDLE);
static_assert(kelvane::kDeviceNotifyWindowHandle == DEVICE_NOTIFY_WINDOW_HANDLE);

// Kernel objects.
KELVANE_SAME_SIZE(OVERLAPPED, OVERLAPPED);
KELVANE_SAME_FIELD(OVERLAPPED, OVERLAPPED, Internal);
KELVANE_SAME_FIELD(OVERLAPPED, OVERLAPPED, InternalHigh);
KELVANE_SAME_FIELD(OVERLAPPED, OVERLAPPED, Offset);
KELVANE_SAME_FIELD(OVERLAPPED, OVERLAPPED, OffsetHigh);
KELVANE_SAME_FIELD(OVERLAPPED, OVERLAPPED, hEvent);

KELVANE_SAME_SIZE(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR);
static_assert(sizeof(kelvane::SECURITY_DESCRIPTOR) >= SECURITY_DESCRIPTOR_MIN_LENGTH);
KELVANE_SAME_FIELD(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR, Revision);
KELVANE_SAME_FIELD(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR, Sbz1);
KELVANE_SAME_FIELD(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR, Control);
KELVANE_SAME_FIELD(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR, Owner);
KELVANE_SAME_FIELD(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR, Group);
KELVANE_SAME_FIELD(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR, Sacl);
KELVANE_SAME_FIELD(SECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR, Dacl);

KELVANE_SAME_SIZE(SECURITY_ATTRIBUTES, SECURITY_ATTRIBUTES);
KELVANE_SAME_FIELD(SECURITY_ATTRIBUTES, SECURITY_ATTRIBUTES, nLength);
KELVANE_SAME_FIELD(SECURITY_ATTRIBUTES, SECURITY_ATTRIBUTES, lpSecurityDescriptor);
KELVANE_SAME_FIELD(SECURITY_ATTRIBUTES, SECURITY_ATTRIBUTES, bInheritHandle);

static_assert(kelvane::kSecurityDescriptorRevision == SECURITY_DESCRIPTOR_REVISION);
static_assert(kelvane::kSeDaclPresent == SE_DACL_PRESENT);
static_assert(kelvane::kSeDaclDefaulted == SE_DACL_DEFAULTED);
static_assert(kelvane::kGenericRead == GENERIC_READ);
static_assert(kelvane::kGenericWrite == GENERIC_WRITE);
static_assert(kelvane::kFileShareRead == FILE_SHARE_READ);
static_assert(kelvane::kFileShareWrite == FILE_SHARE_WRITE);
static_assert(kelvane::kOpenExisting == OPEN_EXISTING);
static_assert(kelvane::kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(kelvane::kFileFlagSequentialScan == FILE_FLAG_SEQUENTIAL_SCAN);
static_assert(kelvane::kFileFlagOverlapped == FILE_FLAG_OVERLAPPED);
static_assert(kelvane::kHandleFlagInherit == HANDLE_FLAG_INHERIT);
static_assert(kelvane::kCpAcp == CP_ACP);

// System queries.
KELVANE_SAME_SIZE(OSVERSIONINFOEXW, OSVERSIONINFOEXW);
static_assert(kelvane::kVersionInfoExSize == sizeof(::OSVERSIONINFOEXW));
static_assert(kelvane::kVersionInfoSize == sizeof(::OSVERSIONINFOW));
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, dwOSVersionInfoSize);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, dwMajorVersion);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, dwMinorVersion);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, dwBuildNumber);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, dwPlatformId);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, szCSDVersion);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wServicePackMajor);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wServicePackMinor);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wSuiteMask);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wProductType);
KELVANE_SAME_FIELD(OSVERSIONINFOEXW, OSVERSIONINFOEXW, wReserved);

KELVANE_SAME_SIZE(SYSTEM_INFO, SYSTEM_INFO);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, wProcessorArchitecture);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, wReserved);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, dwPageSize);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, lpMinimumApplicationAddress);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, lpMaximumApplicationAddress);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, dwActiveProcessorMask);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, dwNumberOfProcessors);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, dwProcessorType);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, dwAllocationGranularity);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, wProcessorLevel);
KELVANE_SAME_FIELD(SYSTEM_INFO, SYSTEM_INFO, wProcessorRevision);

static_assert(kelvane::kVerPlatformWin32s == VER_PLATFORM_WIN32s);
static_assert(kelvane::kVerPlatformWin32Windows == VER_PLATFORM_WIN32_WINDOWS);
static_assert(kelvane::kVerPlatformWin32Nt == VER_PLATFORM_WIN32_NT);
static_assert(kelvane::kVerSuiteEmbeddedNt == VER_SUITE_EMBEDDEDNT);
static_assert(kelvane::kProcessorArchitectureAmd64 == PROCESSOR_ARCHITECTURE_AMD64);

// Files and the shell.
static_assert(kelvane::kFileAttributeReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(kelvane::kFileAttributeHidden == FILE_ATTRIBUTE_HIDDEN);
static_assert(kelvane::kFileAttributeNormalOnly == FILE_ATTRIBUTE_NORMAL);
static_assert(kelvane::kSwShowNormal == SW_SHOWNORMAL);
static_assert(kelvane::kSeErrFileNotFound == SE_ERR_FNF);
static_assert(kelvane::kSeErrAccessDenied == SE_ERR_ACCESSDENIED);
static_assert(kelvane::kSeErrOutOfMemory == SE_ERR_OOM);
static_assert(kelvane::kSeErrNoAssociation == SE_ERR_NOASSOC);

// Error codes.
static_assert(kelvane::kErrorSuccess == ERROR_SUCCESS);
static_assert(kelvane::kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kelvane::kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kelvane::kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kelvane::kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(kelvane::kErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(kelvane::kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kelvane::kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(kelvane::kErrorMoreData == ERROR_MORE_DATA);
static_assert(kelvane::kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(kelvane::kErrorInvalidUserBuffer == ERROR_INVALID_USER_BUFFER);

// Handles: pointer-wide, INVALID_HANDLE_VALUE all ones.
static_assert(sizeof(kelvane::Handle) == sizeof(HANDLE));
static_assert(sizeof(kelvane::DeviceInfoSet) == sizeof(HDEVINFO));
static_assert(sizeof(kelvane::RegistryKey) == sizeof(HKEY));
static_assert(sizeof(kelvane::WindowHandle) == sizeof(HWND));
static_assert(sizeof(kelvane::DeviceNotifyHandle) == sizeof(HDEVNOTIFY));
// ShellExecuteW's result travels as an integer as wide as its HINSTANCE.
static_assert(sizeof(std::intptr_t) == sizeof(HINSTANCE));

// Records of the window and dialog hosts. The item records are the layout of Windows Vista on;
// older systems read only the fields the mask names, which all come before the newer ones.
KELVANE_SAME_SIZE(RECT, RECT);
KELVANE_SAME_FIELD(RECT, RECT, left);
KELVANE_SAME_FIELD(RECT, RECT, top);
KELVANE_SAME_FIELD(RECT, RECT, right);
KELVANE_SAME_FIELD(RECT, RECT, bottom);

KELVANE_SAME_FIELD(HDITEMW, HDITEMW, mask);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, cxy);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, pszText);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, hbm);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, cchTextMax);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, fmt);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, lParam);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, iImage);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, iOrder);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, type);
KELVANE_SAME_FIELD(HDITEMW, HDITEMW, pvFilter);

KELVANE_SAME_FIELD(LVITEMW, LVITEMW, mask);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, iItem);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, iSubItem);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, state);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, stateMask);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, pszText);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, cchTextMax);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, iImage);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, lParam);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, iIndent);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, iGroupId);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, cColumns);
KELVANE_SAME_FIELD(LVITEMW, LVITEMW, puColumns);

static_assert(kelvane::kGwHwndNext == GW_HWNDNEXT);
static_assert(kelvane::kGwChild == GW_CHILD);
static_assert(kelvane::kCbErr == CB_ERR);
static_assert(kelvane::kLbErr == LB_ERR);

// Each kind's table holds its own messages, field for field.
constexpr bool SameMessages(const kelvane::ListMessages& table,
                            const kelvane::ListMessages& windows) {
    return table.getCount == windows.getCount && table.getCurSel == windows.getCurSel &&
           table.getTextLen == windows.getTextLen && table.getText == windows.getText &&
           table.getItemData == windows.getItemData && table.deleteString == windows.deleteString &&
           table.insertString == windows.insertString && table.setItemData == windows.setItemData &&
           table.setCurSel == windows.setCurSel && table.error == windows.error;
}
static_assert(SameMessages(kelvane::kComboBoxMessages,
                           {CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXTLEN, CB_GETLBTEXT,
                            CB_GETITEMDATA, CB_DELETESTRING, CB_INSERTSTRING, CB_SETITEMDATA,
                            CB_SETCURSEL, CB_ERR}));
static_assert(SameMessages(kelvane::kListBoxMessages,
                           {LB_GETCOUNT, LB_GETCURSEL, LB_GETTEXTLEN, LB_GETTEXT, LB_GETITEMDATA,
                            LB_DELETESTRING, LB_INSERTSTRING, LB_SETITEMDATA, LB_SETCURSEL,
                            LB_ERR}));
static_assert(kelvane::kMfString == MF_STRING);
static_assert(kelvane::kMfPopup == MF_POPUP);
static_assert(kelvane::kMfByPosition == MF_BYPOSITION);
static_assert(kelvane::kMfSeparator == MF_SEPARATOR);
static_assert(kelvane::kMenuItemOpensSubmenu == static_cast<UINT>(-1));
static_assert(kelvane::kHdiText == HDI_TEXT);
static_assert(kelvane::kLvifText == LVIF_TEXT);

static_assert(kelvane::kWmClose == WM_CLOSE);
static_assert(kelvane::kWmPaint == WM_PAINT);
static_assert(kelvane::kWmIconEraseBkgnd == WM_ICONERASEBKGND);
static_assert(kelvane::kWmQueryDragIcon == WM_QUERYDRAGICON);
static_assert(kelvane::kWmInitDialog == WM_INITDIALOG);
static_assert(kelvane::kWmCommand == WM_COMMAND);
static_assert(kelvane::kWmSysCommand == WM_SYSCOMMAND);
static_assert(kelvane::kWmDeviceChange == WM_DEVICECHANGE);
static_assert(kelvane::kIdOk == IDOK);
static_assert(kelvane::kIdCancel == IDCANCEL);
static_assert(kelvane::kScClose == SC_CLOSE);
static_assert(kelvane::kScMinimize == SC_MINIMIZE);
static_assert(kelvane::kScRestore == SC_RESTORE);
static_assert(kelvane::kDbtDeviceArrival == DBT_DEVICEARRIVAL);
static_assert(kelvane::kDbtDeviceQueryRemove == DBT_DEVICEQUERYREMOVE);
static_assert(kelvane::kDbtDeviceRemoveComplete == DBT_DEVICEREMOVECOMPLETE);
static_assert(kelvane::kDbtDevNodesChanged == DBT_DEVNODES_CHANGED);
static_assert(kelvane::kIconSmall == ICON_SMALL);
static_assert(kelvane::kIconBig == ICON_BIG);
static_assert(kelvane::kSmCxIcon == SM_CXICON);
static_assert(kelvane::kSmCyIcon == SM_CYICON);
static_assert(sizeof(kelvane::MessageResult) == sizeof(LRESULT));
static_assert(sizeof(kelvane::ModuleHandle) == sizeof(HMODULE));
static_assert(sizeof(kelvane::MenuHandle) == sizeof(HMENU));
static_assert(sizeof(kelvane::IconHandle) == sizeof(HICON));
static_assert(sizeof(kelvane::DeviceContext) == sizeof(HDC));
static_assert(sizeof(kelvane::ProcAddress) == sizeof(FARPROC));

}  // namespace
