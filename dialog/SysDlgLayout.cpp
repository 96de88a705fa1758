#include "dialog/SysDlgLayout.h"

#include "dialog/SysDlgIcons.h"

namespace dialog {

namespace {

// The stored texts are the design's letter for letter. These are spelt so
// on purpose and must not be corrected: "No inormation" (the Memory page's
// values), "Processor arhitecture:", "Net Conputer Name:" and
// "VisdeoBIOS Version:".
constexpr const char kNoInfo[] = "No information";
constexpr const char kNoInfoMemory[] = "No inormation";
constexpr const char kNetCaption[] = "\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C";  // "Сеть"

using K = ControlKind;

constexpr ControlLayout Label(ControlId id, ControlId page, int l, int t, int w, int h, const char* text,
                              uint8_t flags = 0) {
  return {id, K::Label, page, l, t, w, h, text, flags, 0};
}
constexpr ControlLayout Title(ControlId id, ControlId page, const char* text) {
  return {id, K::Label, page, 48, 24, 281, 13, text, kFixedSize | kCentred, 0};
}
constexpr ControlLayout Sheet(ControlId id, const char* caption, uint8_t flags = 0) {
  return {id, K::TabSheet, id_SysPageControl, 0, 0, 0, 0, caption, flags, 0};
}
constexpr ControlLayout Picture(ControlId id, ControlId page, int l, int icon) {
  return {id, K::Image, page, l, 11, 32, 32, nullptr, 0, icon};
}
constexpr ControlLayout Frame(ControlId id, ControlId page, int l) {
  return {id, K::Bevel, page, l, 56, 321, 257, nullptr, 0, 0};
}

constexpr ControlId Win = id_WinTabSheet, Sys = id_SysTabSheet, Mem = id_MemTabSheet, Net = id_NetTabSheet,
                    Lib = id_LibVerSheet;

}  // namespace

constexpr ControlLayout kSysDlgLayout[kControlCount] = {
    {id_SysPageControl, K::PageControl, kNoControl, 8, 8, 344, 349, nullptr, 0, 0},
    Sheet(id_WinTabSheet, "Windows"),
    Sheet(id_SysTabSheet, "System"),
    Label(id_Label1, Win, 21, 211, 25, 13, "User:"),
    Label(id_lblOrg, Win, 137, 211, 68, 13, kNoInfo),
    Label(id_lblOwner, Win, 137, 227, 68, 13, kNoInfo),
    Label(id_lblWindowsType, Win, 137, 99, 68, 13, kNoInfo),
    Label(id_lblWinVersion, Win, 137, 116, 68, 13, kNoInfo),
    Label(id_lblWinBuild, Win, 137, 132, 68, 13, kNoInfo),
    Label(id_Label4, Win, 21, 99, 70, 13, "Windows type:"),
    Label(id_Label5, Win, 21, 116, 84, 13, "Windows version:"),
    Label(id_Label6, Win, 21, 132, 73, 13, "Windows Build:"),
    Label(id_lblProductKey, Win, 137, 260, 68, 13, kNoInfo),
    Label(id_lblCSDVersion, Win, 137, 148, 68, 13, kNoInfo),
    Label(id_lblCurrentBuild, Win, 137, 164, 68, 13, kNoInfo),
    Label(id_lblCurrentBuildNumber, Win, 137, 180, 68, 13, kNoInfo),
    Label(id_lblCurrentVersion, Win, 137, 196, 68, 13, kNoInfo),
    Label(id_lblPlusVersionNumber, Win, 137, 243, 68, 13, kNoInfo),
    Label(id_lblProductID, Win, 137, 83, 68, 13, kNoInfo),
    Label(id_lblProductName, Win, 137, 67, 68, 13, kNoInfo),
    Label(id_Label16, Win, 21, 148, 60, 13, "CSDVersion:"),
    Label(id_Label18, Win, 21, 164, 60, 13, "CurrentBuild:"),
    Label(id_Label19, Win, 21, 180, 103, 13, "Current Build Number:"),
    Label(id_Label20, Win, 21, 196, 74, 13, "Current version:"),
    Label(id_Label21, Win, 21, 243, 102, 13, "Plus! Version number:"),
    Label(id_Label22, Win, 21, 83, 54, 13, "Product ID:"),
    Label(id_Label23, Win, 21, 67, 69, 13, "Product name:"),
    Label(id_Label24, Win, 21, 259, 60, 13, "Product key:"),
    Label(id_Label7, Sys, 21, 85, 50, 13, "Processor:", kHidden),
    Label(id_lblCPUType, Sys, 137, 85, 68, 13, kNoInfo, kHidden),
    Label(id_lblProcArchitecture, Sys, 137, 69, 68, 13, kNoInfo),
    Label(id_Label17, Sys, 21, 70, 103, 13, "Processor arhitecture:"),
    Sheet(id_MemTabSheet, "Memory"),
    Label(id_lblMemTotal, Mem, 137, 69, 65, 13, kNoInfoMemory),
    Label(id_lblMemAvailable, Mem, 137, 84, 65, 13, kNoInfoMemory),
    Label(id_lblMemUsage, Mem, 137, 99, 65, 13, kNoInfoMemory),
    Label(id_lblSwapFileSetting, Mem, 137, 115, 65, 13, kNoInfoMemory),
    Label(id_lblSwapFileSize, Mem, 137, 130, 65, 13, kNoInfoMemory),
    Label(id_lblSwapFileUsage, Mem, 137, 145, 65, 13, kNoInfoMemory),
    Label(id_Label8, Mem, 21, 67, 85, 13, "Available memory:"),
    Label(id_Label10, Mem, 21, 82, 63, 13, "Free memory:"),
    Label(id_Label11, Mem, 21, 113, 105, 13, "Available virt. memory:"),
    Label(id_Label12, Mem, 21, 128, 67, 13, "Swap file size:"),
    Label(id_Label13, Mem, 21, 144, 87, 13, "Used virt. memory:"),
    Sheet(id_NetTabSheet, kNetCaption, kTabHidden | kUtf8),
    Label(id_lblCompName, Net, 115, 64, 65, 13, "lblCompName"),
    Label(id_lblUserName, Net, 116, 80, 60, 13, "lblUserName"),
    Label(id_Label14, Net, 15, 64, 97, 13, "Net Conputer Name:"),
    Label(id_Label15, Net, 40, 79, 72, 13, "Net user name:"),
    Picture(id_WinImage, Win, 7, ZX_ICON_WINDOWS),
    Picture(id_SysImage, Sys, 7, ZX_ICON_SYSTEM),
    Picture(id_MemImage, Mem, 7, ZX_ICON_MEMORY),
    Label(id_lblMMXProcID, Sys, 137, 118, 68, 13, kNoInfo),
    Label(id_lblProcID, Sys, 137, 101, 68, 13, kNoInfo),
    Label(id_lblProcVendor, Sys, 137, 136, 68, 13, kNoInfo),
    Label(id_Label26, Sys, 21, 136, 115, 13, "Processor manufacturer:"),
    Label(id_lblBIOSVer, Sys, 137, 151, 68, 13, kNoInfo),
    Label(id_lblBIOSDate, Sys, 137, 166, 68, 13, kNoInfo),
    Label(id_lblVideoBIOSVer, Sys, 137, 181, 184, 36, kNoInfo, kHidden | kFixedSize | kWordWrap),
    Label(id_Label27, Sys, 21, 151, 66, 13, "BIOS Version:"),
    Label(id_Label28, Sys, 21, 166, 26, 13, "Date:"),
    Label(id_Label29, Sys, 21, 181, 98, 13, "VisdeoBIOS Version:", kHidden),
    Sheet(id_LibVerSheet, "System libraries", kTabHidden),
    {id_lvVerList, K::ListView, Lib, 8, 56, 321, 257, nullptr, 0, 0},
    Picture(id_DllVerImage, Lib, 7, ZX_ICON_LIBRARIES),
    Title(id_lbSysLibTitle, Lib, "System libraries version information."),
    Frame(id_Bevel1, Win, 8),
    Title(id_lbWinTitle, Win, "Windows information"),
    Frame(id_Bevel2, Sys, 8),
    Title(id_lbSysTitle, Sys, "Computer Information"),
    Frame(id_Bevel3, Mem, 9),  // one pixel further right than on the other pages
    Title(id_lbMemTitle, Mem, "Memory information"),
    Frame(id_Bevel4, Net, 8),
    Picture(id_NetImage, Net, 8, ZX_ICON_NETWORK),
    {id_OKBtn, K::Button, kNoControl, 270, 362, 81, 25, "OK", 0, 0},
};

// Each row sits at its declaration position and names the kind the
// declaration list gives it.
constexpr ControlKind kDeclaredKinds[] = {
#define ZX_CONTROL_KIND(kind, name) ControlKind::kind,
    ZX_SYSDLG_CONTROLS(ZX_CONTROL_KIND)
#undef ZX_CONTROL_KIND
};

constexpr bool RowsInDeclarationOrder() {
  for (int i = 0; i < kControlCount; ++i) {
    const ControlLayout& row = kSysDlgLayout[i];
    if (row.id != i + 1 || row.kind != kDeclaredKinds[i]) return false;
    // Parents come from the same table and are containers.
    if (row.parent != kNoControl) {
      const ControlKind parentKind = kDeclaredKinds[row.parent - 1];
      if (parentKind != ControlKind::TabSheet && parentKind != ControlKind::PageControl) return false;
      if ((row.kind == ControlKind::TabSheet) != (parentKind == ControlKind::PageControl)) return false;
    }
  }
  return true;
}
static_assert(RowsInDeclarationOrder());

}  // namespace dialog
