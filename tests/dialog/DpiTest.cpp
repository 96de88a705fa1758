// The font and layout at 96, 120, 144 and 192 dpi. Wine reads the density
// once, at process start, so each density runs this program again as a child
// with the setting changed, and the child checks what it sees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dialog/SysDlg.h"
#include "host/WindowRead.h"
#include "tests/TestPaths.h"
#include "tests/badinput/DebuggedChild.h"
#include "toolkit/FormSupport.h"
#include "toolkit/Label.h"

namespace {

constexpr char kChildVariable[] = "ZX_DPI_CHILD";
const char kDesktopKey[] = "Control Panel\\Desktop";

// Sets LogPixels for the scope and puts the old value (or its absence) back.
class LogPixelsSetting {
 public:
  explicit LogPixelsSetting(DWORD dpi) {
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                      nullptr);
    DWORD size = sizeof old_;
    had_ = ::RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
           ERROR_SUCCESS;
    ::RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  ~LogPixelsSetting() {
    if (had_) {
      ::RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
    } else {
      ::RegDeleteValueA(key_, "LogPixels");
    }
    ::RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

// Runs this program with one test selected.
badinput::ChildRun RunChild(int dpi) {
  ::SetEnvironmentVariableA(kChildVariable, std::to_string(dpi).c_str());
  const badinput::ChildRun run =
      badinput::RunChild("\"" + testing_paths::ExecutablePath() + "\" --gtest_filter=DpiChild.*", "", 60000);
  ::SetEnvironmentVariableA(kChildVariable, nullptr);
  return run;
}

// The form font's line and character heights.
TEXTMETRICW MetricsOf(const dialog::TSysInfoDlg& dlg, HFONT* font = nullptr) {
  const auto used = reinterpret_cast<HFONT>(::SendMessageW(dlg.Handle(), WM_GETFONT, 0, 0));
  if (font) *font = used;
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(toolkit::MeasuringDC(used), &metrics);
  return metrics;
}

// Long values of real machines. The first is wider than its page even at
// 96 dpi: the page clips it there by design, and at every density.
const std::pair<int, const char*> kLongValues[] = {
    {dialog::id_lblProcID, "Intel64 Family 6 Model 158 Stepping 10, GenuineIntel"},
    {dialog::id_lblMMXProcID, "Intel64 Family 6 Model 165 Stepping 5"},
    {dialog::id_lblCurrentBuild, "1.511.1 () (Obsolete data - do not use)"},
    {dialog::id_lblProcVendor, "AuthenticAMD"},
    {dialog::id_lblVideoBIOSVer, "NVIDIA Version 86.04.51.00.24"},
    {dialog::id_lblCompName, "DESKTOP-7Q2K9LM"},
};

}  // namespace

class DpiTest : public ::testing::TestWithParam<int> {};

TEST_P(DpiTest, FontAndTextsFitTheDensity) {
  if (std::getenv(kChildVariable)) GTEST_SKIP() << "runs in the parent only";
  LogPixelsSetting setting(static_cast<DWORD>(GetParam()));
  const badinput::ChildRun run = RunChild(GetParam());
  EXPECT_TRUE(run.Clean()) << "the child's checks at " << GetParam() << " dpi failed: " << run.Describe()
                           << "\n"
                           << run.output;
}

INSTANTIATE_TEST_SUITE_P(Densities, DpiTest, ::testing::Values(96, 120, 144, 192));

// In the child: the character height is 11 pixels scaled to the density
// (rounded either way); vertically everything scales by line height / 13;
// across, every text keeps clear of its neighbours and, when it fits its
// page at 96 dpi, of the page's edge.
TEST(DpiChild, FontAndTexts) {
  const char* expected = std::getenv(kChildVariable);
  if (!expected) GTEST_SKIP() << "runs as a child of DpiTest";
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, std::atoi(expected)) << "Wine did not take the density";

  auto dlg = std::make_unique<dialog::TSysInfoDlg>();
  HFONT font = nullptr;
  const TEXTMETRICW metrics = MetricsOf(*dlg, &font);
  const int character = metrics.tmHeight - metrics.tmInternalLeading;
  EXPECT_LT(std::abs(character * 96 - 11 * dpi), 96) << "character height " << character;
  const toolkit::LayoutScale scale = toolkit::LayoutScaleOf(font);
  EXPECT_TRUE(dpi != 96 || scale.IsIdentity()) << "nothing may move at 96 dpi";
  RECT client;
  ::GetClientRect(dlg->Handle(), &client);
  EXPECT_EQ(client.bottom, MulDiv(392, metrics.tmHeight, 13)) << "down by line height / 13";

  for (const auto& [id, text] : kLongValues) dlg->Control(id)->SetText(text);
  for (auto* hidden : {dlg->Label7, dlg->lblCPUType, dlg->Label29, dlg->lblVideoBIOSVer})
    hidden->SetVisible(true);
  std::vector<HWND> texts;
  for (int id = 1; id <= dialog::kControlCount; ++id) {
    if (dynamic_cast<toolkit::TLabel*>(dlg->Control(id))) texts.push_back(dlg->Control(id)->Handle());
  }
  for (HWND text : texts) {
    const RECT box = host::RectInParent(text);
    RECT page;
    ::GetClientRect(::GetParent(text), &page);
    const bool clippedByDesign = text == dlg->lblProcID->Handle();
    const bool inside = box.left >= 0 && box.top >= 0 && box.right <= page.right && box.bottom <= page.bottom;
    EXPECT_NE(inside, clippedByDesign)
        << host::Utf8(host::TextOf(text)) << " ends at " << box.right << ", its page at " << page.right;
    for (HWND other : texts) {
      const RECT next = host::RectInParent(other);
      if (other == text || ::GetParent(other) != ::GetParent(text)) continue;
      const bool apart =
          box.right < next.left || next.right < box.left || box.bottom <= next.top || next.bottom <= box.top;
      EXPECT_TRUE(apart) << host::Utf8(host::TextOf(text)) << " (right " << box.right << ") covers "
                         << host::Utf8(host::TextOf(other)) << " (left " << next.left << ")";
    }
  }
}

namespace {

using SetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using WindowContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);

template <typename Fn>
Fn User32(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

// What a form shows: font, client size, every control's box and the tabs,
// read in the form's own DPI awareness (Wine maps a window's coordinates to
// the asking thread's).
struct LaidOut {
  HFONT font = nullptr;
  SIZE client{};
  std::vector<RECT> boxes;
};

LaidOut Read(const dialog::TSysInfoDlg& dlg) {
  const SetContextFn setContext = User32<SetContextFn>("SetThreadDpiAwarenessContext");
  const DPI_AWARENESS_CONTEXT old =
      setContext(User32<WindowContextFn>("GetWindowDpiAwarenessContext")(dlg.Handle()));
  LaidOut read;
  MetricsOf(dlg, &read.font);
  read.client = host::PlacementOf(dlg.Handle()).clientSize;
  for (int id = 1; id <= dialog::kControlCount; ++id)
    read.boxes.push_back(host::RectInParent(dlg.Control(id)->Handle()));
  for (const host::TabItem& tab : host::TabItems(dlg.SysPageControl->Handle()))
    read.boxes.push_back(tab.rect);
  setContext(old);
  return read;
}

void ExpectLaidOutAlike(const dialog::TSysInfoDlg& moved, const dialog::TSysInfoDlg& made) {
  const LaidOut got = Read(moved), want = Read(made);
  EXPECT_EQ(got.font, want.font);
  EXPECT_TRUE(got.client.cx == want.client.cx && got.client.cy == want.client.cy)
      << got.client.cx << "x" << got.client.cy << ", made there " << want.client.cx << "x" << want.client.cy;
  ASSERT_EQ(got.boxes.size(), want.boxes.size());
  for (size_t i = 0; i < got.boxes.size(); ++i) {
    const RECT &a = got.boxes[i], &b = want.boxes[i];
    EXPECT_TRUE(::EqualRect(&a, &b)) << (i < dialog::kControlCount ? "control " : "tab ")
                                     << (i < dialog::kControlCount ? i + 1 : i - dialog::kControlCount)
                                     << ": (" << a.left << "," << a.top << ")-(" << a.right << "," << a.bottom
                                     << "), made there (" << b.left << "," << b.top << ")-(" << b.right << ","
                                     << b.bottom << ")";
  }
}

}  // namespace

// The system sends WM_DPICHANGED to a per-monitor aware thread's form moved
// to a screen of another density. Laid out again, from the screen's density
// to 96 dpi and back, it equals a form made at the new density (a value set
// before included) and takes the suggested place. (Here a form is made at
// 96 dpi by a DPI-unaware thread, at the screen's by an aware one.)
TEST(DpiChild, ADensityChangeLaysTheFormOutAsOneMadeThere) {
  const char* expected = std::getenv(kChildVariable);
  if (!expected || std::atoi(expected) == 96) GTEST_SKIP() << "runs as a child of DpiTest, above 96 dpi";
  const SetContextFn setContext = User32<SetContextFn>("SetThreadDpiAwarenessContext");
  if (!setContext) GTEST_SKIP() << "no per-thread DPI awareness before Windows 10 1607";
  const int dpi = std::atoi(expected);
  const auto madeAt = [&](int density) {
    setContext(density == 96 ? DPI_AWARENESS_CONTEXT_UNAWARE : DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    auto dlg = std::make_unique<dialog::TSysInfoDlg>();
    dlg->lblProcID->SetText(kLongValues[0].second);
    return dlg;
  };
  const DPI_AWARENESS_CONTEXT old = setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  const auto at96 = madeAt(96), atScreen = madeAt(dpi), moved = madeAt(dpi);
  for (const auto& [to, made] : {std::pair(96, at96.get()), std::pair(dpi, atScreen.get())}) {
    SCOPED_TRACE("to " + std::to_string(to) + " dpi");
    RECT outer{};
    ::GetWindowRect(atScreen->Handle(), &outer);
    SIZE asked{};
    ::SendMessageW(moved->Handle(), 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi, reinterpret_cast<LPARAM>(&asked));
    EXPECT_TRUE(asked.cx == outer.right - outer.left && asked.cy == outer.bottom - outer.top)
        << "asked for " << asked.cx << "x" << asked.cy;
    RECT suggested{40, 30, 40 + MulDiv(asked.cx, to, dpi), 30 + MulDiv(asked.cy, to, dpi)};
    ::SendMessageW(moved->Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    ExpectLaidOutAlike(*moved, *made);
    RECT now{};
    ::GetWindowRect(moved->Handle(), &now);
    EXPECT_TRUE(now.left == suggested.left && now.top == suggested.top)
        << "at " << now.left << "," << now.top;
    if (to == dpi) {
      EXPECT_TRUE(::EqualRect(&now, &suggested))
          << "sized " << now.right - now.left << "x" << now.bottom - now.top;
    }
  }
  setContext(old);
}

// A host may call once from a per-monitor aware thread and then from a
// DPI-unaware one: each form takes the density its own thread sees.
TEST(DpiChild, EachFormTakesItsThreadsDensity) {
  const char* expected = std::getenv(kChildVariable);
  if (!expected || std::atoi(expected) == 96) GTEST_SKIP() << "runs as a child of DpiTest, above 96 dpi";
  const SetContextFn setContext = User32<SetContextFn>("SetThreadDpiAwarenessContext");
  if (!setContext) GTEST_SKIP() << "no per-thread DPI awareness before Windows 10 1607";
  const DPI_AWARENESS_CONTEXT old = setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  HFONT aware = nullptr, again = nullptr;
  const TEXTMETRICW large = MetricsOf(dialog::TSysInfoDlg(), &aware);
  setContext(DPI_AWARENESS_CONTEXT_UNAWARE);
  const TEXTMETRICW small = MetricsOf(dialog::TSysInfoDlg());
  setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  MetricsOf(dialog::TSysInfoDlg(), &again);
  setContext(old);
  EXPECT_EQ(11, small.tmHeight - small.tmInternalLeading) << "the unaware call's font";
  EXPECT_GT(large.tmHeight, small.tmHeight);
  EXPECT_EQ(aware, again) << "made once per density";
}
