// Every control of a freshly created dialog, found by its window ID, against
// the stored layout as the dialog's design fixes it: class, parent, place,
// size, text and visibility.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "dialog/SysDlg.h"
#include "host/WindowRead.h"

using host::ClassOf;
using host::FindById;
using host::RectInParent;
using host::TextOf;

namespace {

enum Kind { Tabs, Page, Text, Fixed, Icon, Frame, List, Push };
enum : unsigned { Shown = 0, Hidden = 1 };

struct Expected {
  int id;
  Kind kind;
  int parent;  // 0: the form
  int left, top, width, height;
  const wchar_t* text;
  unsigned hidden;
};

constexpr wchar_t kNo[] = L"No information";
constexpr wchar_t kNoMem[] = L"No inormation";  // spelt so on purpose, like three prompts below

// Pages: 2 Windows, 3 System, 33 Memory, 45 Network, 63 System libraries.
const Expected kLayout[] = {
    {1, Tabs, 0, 8, 8, 344, 349, nullptr, Shown},
    {2, Page, 1, 0, 0, 0, 0, L"Windows", Shown},
    {3, Page, 1, 0, 0, 0, 0, L"System", Hidden},
    {4, Text, 2, 21, 211, 25, 13, L"User:", Shown},
    {5, Text, 2, 137, 211, 68, 13, kNo, Shown},
    {6, Text, 2, 137, 227, 68, 13, kNo, Shown},
    {7, Text, 2, 137, 99, 68, 13, kNo, Shown},
    {8, Text, 2, 137, 116, 68, 13, kNo, Shown},
    {9, Text, 2, 137, 132, 68, 13, kNo, Shown},
    {10, Text, 2, 21, 99, 70, 13, L"Windows type:", Shown},
    {11, Text, 2, 21, 116, 84, 13, L"Windows version:", Shown},
    {12, Text, 2, 21, 132, 73, 13, L"Windows Build:", Shown},
    {13, Text, 2, 137, 260, 68, 13, kNo, Shown},
    {14, Text, 2, 137, 148, 68, 13, kNo, Shown},
    {15, Text, 2, 137, 164, 68, 13, kNo, Shown},
    {16, Text, 2, 137, 180, 68, 13, kNo, Shown},
    {17, Text, 2, 137, 196, 68, 13, kNo, Shown},
    {18, Text, 2, 137, 243, 68, 13, kNo, Shown},
    {19, Text, 2, 137, 83, 68, 13, kNo, Shown},
    {20, Text, 2, 137, 67, 68, 13, kNo, Shown},
    {21, Text, 2, 21, 148, 60, 13, L"CSDVersion:", Shown},
    {22, Text, 2, 21, 164, 60, 13, L"CurrentBuild:", Shown},
    {23, Text, 2, 21, 180, 103, 13, L"Current Build Number:", Shown},
    {24, Text, 2, 21, 196, 74, 13, L"Current version:", Shown},
    {25, Text, 2, 21, 243, 102, 13, L"Plus! Version number:", Shown},
    {26, Text, 2, 21, 83, 54, 13, L"Product ID:", Shown},
    {27, Text, 2, 21, 67, 69, 13, L"Product name:", Shown},
    {28, Text, 2, 21, 259, 60, 13, L"Product key:", Shown},
    {29, Text, 3, 21, 85, 50, 13, L"Processor:", Hidden},
    {30, Text, 3, 137, 85, 68, 13, kNo, Hidden},
    {31, Text, 3, 137, 69, 68, 13, kNo, Shown},
    {32, Text, 3, 21, 70, 103, 13, L"Processor arhitecture:", Shown},
    {33, Page, 1, 0, 0, 0, 0, L"Memory", Hidden},
    {34, Text, 33, 137, 69, 65, 13, kNoMem, Shown},
    {35, Text, 33, 137, 84, 65, 13, kNoMem, Shown},
    {36, Text, 33, 137, 99, 65, 13, kNoMem, Shown},
    {37, Text, 33, 137, 115, 65, 13, kNoMem, Shown},
    {38, Text, 33, 137, 130, 65, 13, kNoMem, Shown},
    {39, Text, 33, 137, 145, 65, 13, kNoMem, Shown},
    {40, Text, 33, 21, 67, 85, 13, L"Available memory:", Shown},
    {41, Text, 33, 21, 82, 63, 13, L"Free memory:", Shown},
    {42, Text, 33, 21, 113, 105, 13, L"Available virt. memory:", Shown},
    {43, Text, 33, 21, 128, 67, 13, L"Swap file size:", Shown},
    {44, Text, 33, 21, 144, 87, 13, L"Used virt. memory:", Shown},
    {45, Page, 1, 0, 0, 0, 0, L"\x0421\x0435\x0442\x044C", Hidden},
    {46, Text, 45, 115, 64, 65, 13, L"lblCompName", Shown},
    {47, Text, 45, 116, 80, 60, 13, L"lblUserName", Shown},
    {48, Text, 45, 15, 64, 97, 13, L"Net Conputer Name:", Shown},
    {49, Text, 45, 40, 79, 72, 13, L"Net user name:", Shown},
    {50, Icon, 2, 7, 11, 32, 32, nullptr, Shown},
    {51, Icon, 3, 7, 11, 32, 32, nullptr, Shown},
    {52, Icon, 33, 7, 11, 32, 32, nullptr, Shown},
    {53, Text, 3, 137, 118, 68, 13, kNo, Shown},
    {54, Text, 3, 137, 101, 68, 13, kNo, Shown},
    {55, Text, 3, 137, 136, 68, 13, kNo, Shown},
    {56, Text, 3, 21, 136, 115, 13, L"Processor manufacturer:", Shown},
    {57, Text, 3, 137, 151, 68, 13, kNo, Shown},
    {58, Text, 3, 137, 166, 68, 13, kNo, Shown},
    {59, Fixed, 3, 137, 181, 184, 36, kNo, Hidden},
    {60, Text, 3, 21, 151, 66, 13, L"BIOS Version:", Shown},
    {61, Text, 3, 21, 166, 26, 13, L"Date:", Shown},
    {62, Text, 3, 21, 181, 98, 13, L"VisdeoBIOS Version:", Hidden},
    {63, Page, 1, 0, 0, 0, 0, L"System Libraries", Hidden},
    {64, List, 63, 8, 56, 321, 257, nullptr, Shown},
    {65, Icon, 63, 7, 11, 32, 32, nullptr, Shown},
    {66, Fixed, 63, 48, 24, 281, 13, L"System libraries version information.", Shown},
    {67, Frame, 2, 8, 56, 321, 257, nullptr, Shown},
    {68, Fixed, 2, 48, 24, 281, 13, L"Windows Information", Shown},
    {69, Frame, 3, 8, 56, 321, 257, nullptr, Shown},
    {70, Fixed, 3, 48, 24, 281, 13, L"Computer Information", Shown},
    {71, Frame, 33, 9, 56, 321, 257, nullptr, Shown},
    {72, Fixed, 33, 48, 24, 281, 13, L"Memory Information", Shown},
    {73, Frame, 45, 8, 56, 321, 257, nullptr, Shown},
    {74, Icon, 45, 8, 11, 32, 32, nullptr, Shown},
    {75, Push, 0, 270, 362, 81, 25, L"OK", Shown},
};

const char* ClassFor(Kind kind) {
  switch (kind) {
    case Tabs:
      return "SysTabControl32";
    case Page:
      return "Zentrix.Toolkit.Page";
    case List:
      return "SysListView32";
    case Push:
      return "Button";
    default:
      return "Static";
  }
}

// True when the screen has the font the layout was measured with: an
// auto-sized label's box is then exactly its stored size.
bool DesignFontPresent(HWND label) {
  HDC dc = ::GetDC(label);
  const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
  char face[LF_FACESIZE] = {};
  ::GetTextFaceA(dc, LF_FACESIZE, face);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::SelectObject(dc, old);
  ::ReleaseDC(label, dc);
  return lstrcmpA(face, "MS Sans Serif") == 0 && dpi == 96;
}

class SysDlgLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { dlg_ = std::make_unique<dialog::TSysInfoDlg>(); }
  std::unique_ptr<dialog::TSysInfoDlg> dlg_;
};

}  // namespace

TEST_F(SysDlgLayoutTest, FormClientAreaAndFrame) {
  RECT client;
  ::GetClientRect(dlg_->Handle(), &client);
  EXPECT_EQ(client.right, 360);
  EXPECT_EQ(client.bottom, 392);
  const LONG style = ::GetWindowLongA(dlg_->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU) << "close box";
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "fixed frame, close box only";
  EXPECT_FALSE(::GetWindowLongA(dlg_->Handle(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
  EXPECT_EQ(TextOf(dlg_->Handle()), L"System information") << "the stored Russian caption is replaced";
}

TEST_F(SysDlgLayoutTest, EveryControlByIdMatchesTheStoredLayout) {
  ASSERT_EQ(std::size(kLayout), 75u);
  const bool exactFont = DesignFontPresent(FindById(dlg_->Handle(), 4));
  for (const Expected& e : kLayout) {
    SCOPED_TRACE("control " + std::to_string(e.id));
    const HWND window = FindById(dlg_->Handle(), e.id);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ClassOf(window), ClassFor(e.kind));
    const HWND parent = ::GetParent(window);
    EXPECT_EQ(e.parent == 0 ? dlg_->Handle() : FindById(dlg_->Handle(), e.parent), parent);
    EXPECT_EQ((::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0, e.hidden == Hidden)
        << "visibility as stored (of pages, only the active one shows)";
    if (e.text) {
      EXPECT_EQ(TextOf(window), e.text);
    }
    if (e.kind == Page) continue;  // pages fill the strip's display area
    const RECT r = RectInParent(window);
    EXPECT_EQ(r.left, e.left);
    EXPECT_EQ(r.top, e.top);
    if (e.kind != Text || exactFont) {
      EXPECT_EQ(r.right - r.left, e.width);
      EXPECT_EQ(r.bottom - r.top, e.height);
    } else {
      EXPECT_GT(r.right - r.left, 0);
    }
  }
}

TEST_F(SysDlgLayoutTest, LabelsKeepTheirKindOfBox) {
  const LONG wrap = ::GetWindowLongA(FindById(dlg_->Handle(), dialog::id_lblVideoBIOSVer), GWL_STYLE);
  EXPECT_EQ(wrap & SS_TYPEMASK, SS_LEFT) << "the video BIOS label wraps";
  const LONG title = ::GetWindowLongA(FindById(dlg_->Handle(), dialog::id_lbWinTitle), GWL_STYLE);
  EXPECT_EQ(title & SS_TYPEMASK, SS_CENTER);
  const LONG prompt = ::GetWindowLongA(FindById(dlg_->Handle(), dialog::id_Label23), GWL_STYLE);
  EXPECT_EQ(prompt & SS_TYPEMASK, SS_LEFTNOWORDWRAP);
  EXPECT_TRUE(prompt & SS_NOPREFIX);
}

TEST_F(SysDlgLayoutTest, ThreeTabsOpeningOnWindows) {
  const HWND tabs = FindById(dlg_->Handle(), dialog::id_SysPageControl);
  const std::vector<host::TabItem> items = host::TabItems(tabs);
  ASSERT_EQ(items.size(), 3u);
  const wchar_t* expected[] = {L"Windows", L"System", L"Memory"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(items[i].caption, expected[i]);
  EXPECT_EQ(host::SelectedTab(tabs), 0);
  EXPECT_EQ(dlg_->SysPageControl->ActivePage(), dlg_->WinTabSheet);
}

TEST_F(SysDlgLayoutTest, VersionListHasItsFiveColumns) {
  const HWND list = FindById(dlg_->Handle(), dialog::id_lvVerList);
  EXPECT_EQ(::GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
  const struct {
    const wchar_t* header;
    int width;
  } columns[] = {{L"FileName", 100},
                 {L"ProductName", 200},
                 {L"Copyright", 150},
                 {L"FileVersion", 70},
                 {L"ProductVersion", 70}};
  const std::vector<host::ListColumn> read = host::ListColumns(list);
  ASSERT_EQ(read.size(), 5u) << "five columns and no sixth";
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(read[i].caption, columns[i].header);
    EXPECT_EQ(read[i].width, columns[i].width);
  }
  EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0) << "the list starts empty";
}

TEST_F(SysDlgLayoutTest, PageIconsAreDistinct32By32Icons) {
  HICON seen[5] = {};
  int n = 0;
  for (int id : {dialog::id_WinImage, dialog::id_SysImage, dialog::id_MemImage, dialog::id_NetImage,
                 dialog::id_DllVerImage}) {
    const HICON icon =
        reinterpret_cast<HICON>(::SendMessageW(FindById(dlg_->Handle(), id), STM_GETICON, 0, 0));
    ASSERT_NE(icon, nullptr) << id;
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon, &info));
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 32) << id;
    EXPECT_EQ(bitmap.bmHeight, 32) << id;
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    for (int i = 0; i < n; ++i) EXPECT_NE(seen[i], icon);
    seen[n++] = icon;
  }
}
