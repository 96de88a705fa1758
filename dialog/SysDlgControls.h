// The system information dialog's controls in declaration order, each with
// its kind. A control's window ID is its 1-based position in this list, so
// tools outside the library can find any control by ID.
#pragma once

// clang-format off
#define ZX_SYSDLG_CONTROLS(X) \
  X(PageControl, SysPageControl) \
  X(TabSheet, WinTabSheet) \
  X(TabSheet, SysTabSheet) \
  X(Label, Label1) \
  X(Label, lblOrg) \
  X(Label, lblOwner) \
  X(Label, lblWindowsType) \
  X(Label, lblWinVersion) \
  X(Label, lblWinBuild) \
  X(Label, Label4) \
  X(Label, Label5) \
  X(Label, Label6) \
  X(Label, lblProductKey) \
  X(Label, lblCSDVersion) \
  X(Label, lblCurrentBuild) \
  X(Label, lblCurrentBuildNumber) \
  X(Label, lblCurrentVersion) \
  X(Label, lblPlusVersionNumber) \
  X(Label, lblProductID) \
  X(Label, lblProductName) \
  X(Label, Label16) \
  X(Label, Label18) \
  X(Label, Label19) \
  X(Label, Label20) \
  X(Label, Label21) \
  X(Label, Label22) \
  X(Label, Label23) \
  X(Label, Label24) \
  X(Label, Label7) \
  X(Label, lblCPUType) \
  X(Label, lblProcArchitecture) \
  X(Label, Label17) \
  X(TabSheet, MemTabSheet) \
  X(Label, lblMemTotal) \
  X(Label, lblMemAvailable) \
  X(Label, lblMemUsage) \
  X(Label, lblSwapFileSetting) \
  X(Label, lblSwapFileSize) \
  X(Label, lblSwapFileUsage) \
  X(Label, Label8) \
  X(Label, Label10) \
  X(Label, Label11) \
  X(Label, Label12) \
  X(Label, Label13) \
  X(TabSheet, NetTabSheet) \
  X(Label, lblCompName) \
  X(Label, lblUserName) \
  X(Label, Label14) \
  X(Label, Label15) \
  X(Image, WinImage) \
  X(Image, SysImage) \
  X(Image, MemImage) \
  X(Label, lblMMXProcID) \
  X(Label, lblProcID) \
  X(Label, lblProcVendor) \
  X(Label, Label26) \
  X(Label, lblBIOSVer) \
  X(Label, lblBIOSDate) \
  X(Label, lblVideoBIOSVer) \
  X(Label, Label27) \
  X(Label, Label28) \
  X(Label, Label29) \
  X(TabSheet, LibVerSheet) \
  X(ListView, lvVerList) \
  X(Image, DllVerImage) \
  X(Label, lbSysLibTitle) \
  X(Bevel, Bevel1) \
  X(Label, lbWinTitle) \
  X(Bevel, Bevel2) \
  X(Label, lbSysTitle) \
  X(Bevel, Bevel3) \
  X(Label, lbMemTitle) \
  X(Bevel, Bevel4) \
  X(Image, NetImage) \
  X(Button, OKBtn)
// clang-format on

namespace dialog {

enum class ControlKind { PageControl, TabSheet, Label, Image, Bevel, ListView, Button };

// Window IDs: SysPageControl = 1 ... OKBtn = 75.
enum ControlId : int {
  kNoControl = 0,
#define ZX_CONTROL_ID(kind, name) id_##name,
  ZX_SYSDLG_CONTROLS(ZX_CONTROL_ID)
#undef ZX_CONTROL_ID
      kControlCountPlusOne
};

constexpr int kControlCount = kControlCountPlusOne - 1;
static_assert(kControlCount == 75);
static_assert(id_SysPageControl == 1 && id_WinTabSheet == 2 && id_MemTabSheet == 33 && id_NetTabSheet == 45);
static_assert(id_LibVerSheet == 63 && id_lvVerList == 64 && id_OKBtn == 75);

}  // namespace dialog
