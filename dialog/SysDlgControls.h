// The system information dialog's controls in declaration order: the one list
// from which the dialog's fields, the window IDs and the stored layout table
// (SysDlgLayout.cpp) are all generated. A control's window ID is its 1-based
// position here, so tools outside the library can find any control by ID:
// add at the end, never reorder.
//
// X(kind, name, parent, left, top, width, height, text[, flags[, icon]])
//   parent  Form, Pages (SysPageControl) or a page: Win, Sys, Mem, Net, Lib
//   box     pixels at 96 dpi in the parent's client area (x y w h below);
//           pages take theirs from the page control
//   text    stored text, or nullptr; kNoInfo and kNoInfoMemory are the
//           placeholders (SysDlgLayout.cpp)
//   flags   LayoutFlag bits (SysDlgLayout.h), 0 by default
//   icon    resource ID of a picture's icon (SysDlgIcons.h)
// Callers that need only the kind and the name take (kind, name, ...).
#pragma once

// clang-format off
//  kind         name                   parent   x    y    w    h  text[, flags[, icon]]
#define ZX_SYSDLG_CONTROLS(X) \
  X(PageControl, SysPageControl,        Form,    8,   8, 344, 349, nullptr) \
  X(TabSheet,    WinTabSheet,           Pages,   0,   0,   0,   0, "Windows") \
  X(TabSheet,    SysTabSheet,           Pages,   0,   0,   0,   0, "System") \
  X(Label,       Label1,                Win,    21, 211,  25,  13, "User:") \
  X(Label,       lblOrg,                Win,   137, 211,  68,  13, kNoInfo) \
  X(Label,       lblOwner,              Win,   137, 227,  68,  13, kNoInfo) \
  X(Label,       lblWindowsType,        Win,   137,  99,  68,  13, kNoInfo) \
  X(Label,       lblWinVersion,         Win,   137, 116,  68,  13, kNoInfo) \
  X(Label,       lblWinBuild,           Win,   137, 132,  68,  13, kNoInfo) \
  X(Label,       Label4,                Win,    21,  99,  70,  13, "Windows type:") \
  X(Label,       Label5,                Win,    21, 116,  84,  13, "Windows version:") \
  X(Label,       Label6,                Win,    21, 132,  73,  13, "Windows Build:") \
  X(Label,       lblProductKey,         Win,   137, 260,  68,  13, kNoInfo) \
  X(Label,       lblCSDVersion,         Win,   137, 148,  68,  13, kNoInfo) \
  X(Label,       lblCurrentBuild,       Win,   137, 164,  68,  13, kNoInfo) \
  X(Label,       lblCurrentBuildNumber, Win,   137, 180,  68,  13, kNoInfo) \
  X(Label,       lblCurrentVersion,     Win,   137, 196,  68,  13, kNoInfo) \
  X(Label,       lblPlusVersionNumber,  Win,   137, 243,  68,  13, kNoInfo) \
  X(Label,       lblProductID,          Win,   137,  83,  68,  13, kNoInfo) \
  X(Label,       lblProductName,        Win,   137,  67,  68,  13, kNoInfo) \
  X(Label,       Label16,               Win,    21, 148,  60,  13, "CSDVersion:") \
  X(Label,       Label18,               Win,    21, 164,  60,  13, "CurrentBuild:") \
  X(Label,       Label19,               Win,    21, 180, 103,  13, "Current Build Number:") \
  X(Label,       Label20,               Win,    21, 196,  74,  13, "Current version:") \
  X(Label,       Label21,               Win,    21, 243, 102,  13, "Plus! Version number:") \
  X(Label,       Label22,               Win,    21,  83,  54,  13, "Product ID:") \
  X(Label,       Label23,               Win,    21,  67,  69,  13, "Product name:") \
  X(Label,       Label24,               Win,    21, 259,  60,  13, "Product key:") \
  X(Label,       Label7,                Sys,    21,  85,  50,  13, "Processor:", kHidden) \
  X(Label,       lblCPUType,            Sys,   137,  85,  68,  13, kNoInfo, kHidden) \
  X(Label,       lblProcArchitecture,   Sys,   137,  69,  68,  13, kNoInfo) \
  /* spelt so on purpose: */ \
  X(Label,       Label17,               Sys,    21,  70, 103,  13, "Processor arhitecture:") \
  X(TabSheet,    MemTabSheet,           Pages,   0,   0,   0,   0, "Memory") \
  X(Label,       lblMemTotal,           Mem,   137,  69,  65,  13, kNoInfoMemory) \
  X(Label,       lblMemAvailable,       Mem,   137,  84,  65,  13, kNoInfoMemory) \
  X(Label,       lblMemUsage,           Mem,   137,  99,  65,  13, kNoInfoMemory) \
  X(Label,       lblSwapFileSetting,    Mem,   137, 115,  65,  13, kNoInfoMemory) \
  X(Label,       lblSwapFileSize,       Mem,   137, 130,  65,  13, kNoInfoMemory) \
  X(Label,       lblSwapFileUsage,      Mem,   137, 145,  65,  13, kNoInfoMemory) \
  X(Label,       Label8,                Mem,    21,  67,  85,  13, "Available memory:") \
  X(Label,       Label10,               Mem,    21,  82,  63,  13, "Free memory:") \
  X(Label,       Label11,               Mem,    21, 113, 105,  13, "Available virt. memory:") \
  X(Label,       Label12,               Mem,    21, 128,  67,  13, "Swap file size:") \
  X(Label,       Label13,               Mem,    21, 144,  87,  13, "Used virt. memory:") \
  X(TabSheet,    NetTabSheet,           Pages,   0,   0,   0,   0, kNetCaption, kTabHidden | kUtf8) \
  X(Label,       lblCompName,           Net,   115,  64,  65,  13, "lblCompName") \
  X(Label,       lblUserName,           Net,   116,  80,  60,  13, "lblUserName") \
  /* spelt so on purpose: */ \
  X(Label,       Label14,               Net,    15,  64,  97,  13, "Net Conputer Name:") \
  X(Label,       Label15,               Net,    40,  79,  72,  13, "Net user name:") \
  X(Image,       WinImage,              Win,     7,  11,  32,  32, nullptr, 0, ZX_ICON_WINDOWS) \
  X(Image,       SysImage,              Sys,     7,  11,  32,  32, nullptr, 0, ZX_ICON_SYSTEM) \
  X(Image,       MemImage,              Mem,     7,  11,  32,  32, nullptr, 0, ZX_ICON_MEMORY) \
  X(Label,       lblMMXProcID,          Sys,   137, 118,  68,  13, kNoInfo) \
  X(Label,       lblProcID,             Sys,   137, 101,  68,  13, kNoInfo) \
  X(Label,       lblProcVendor,         Sys,   137, 136,  68,  13, kNoInfo) \
  X(Label,       Label26,               Sys,    21, 136, 115,  13, "Processor manufacturer:") \
  X(Label,       lblBIOSVer,            Sys,   137, 151,  68,  13, kNoInfo) \
  X(Label,       lblBIOSDate,           Sys,   137, 166,  68,  13, kNoInfo) \
  X(Label,       lblVideoBIOSVer,       Sys,   137, 181, 184,  36, kNoInfo, kHidden | kFixedSize | kWordWrap) \
  X(Label,       Label27,               Sys,    21, 151,  66,  13, "BIOS Version:") \
  X(Label,       Label28,               Sys,    21, 166,  26,  13, "Date:") \
  /* spelt so on purpose: */ \
  X(Label,       Label29,               Sys,    21, 181,  98,  13, "VisdeoBIOS Version:", kHidden) \
  X(TabSheet,    LibVerSheet,           Pages,   0,   0,   0,   0, "System libraries", kTabHidden) \
  X(ListView,    lvVerList,             Lib,     8,  56, 321, 257, nullptr) \
  X(Image,       DllVerImage,           Lib,     7,  11,  32,  32, nullptr, 0, ZX_ICON_LIBRARIES) \
  X(Label,       lbSysLibTitle,         Lib,    48,  24, 281,  13, "System libraries version information.", kFixedSize | kCentred) \
  X(Bevel,       Bevel1,                Win,     8,  56, 321, 257, nullptr) \
  X(Label,       lbWinTitle,            Win,    48,  24, 281,  13, "Windows information", kFixedSize | kCentred) \
  X(Bevel,       Bevel2,                Sys,     8,  56, 321, 257, nullptr) \
  X(Label,       lbSysTitle,            Sys,    48,  24, 281,  13, "Computer Information", kFixedSize | kCentred) \
  /* One pixel further right than on the other pages: */ \
  X(Bevel,       Bevel3,                Mem,     9,  56, 321, 257, nullptr) \
  X(Label,       lbMemTitle,            Mem,    48,  24, 281,  13, "Memory information", kFixedSize | kCentred) \
  X(Bevel,       Bevel4,                Net,     8,  56, 321, 257, nullptr) \
  X(Image,       NetImage,              Net,     8,  11,  32,  32, nullptr, 0, ZX_ICON_NETWORK) \
  X(Button,      OKBtn,                 Form,  270, 362,  81,  25, "OK")
// clang-format on

namespace dialog {

enum class ControlKind { PageControl, TabSheet, Label, Image, Bevel, ListView, Button };

// Window IDs: SysPageControl = 1 ... OKBtn = 75.
enum ControlId : int {
  kNoControl = 0,
#define ZX_CONTROL_ID(kind, name, ...) id_##name,
  ZX_SYSDLG_CONTROLS(ZX_CONTROL_ID)
#undef ZX_CONTROL_ID
      kControlCountPlusOne
};

constexpr int kControlCount = kControlCountPlusOne - 1;
static_assert(kControlCount == 75);
static_assert(id_SysPageControl == 1 && id_WinTabSheet == 2 && id_MemTabSheet == 33 && id_NetTabSheet == 45);
static_assert(id_LibVerSheet == 63 && id_lvVerList == 64 && id_OKBtn == 75);

}  // namespace dialog
