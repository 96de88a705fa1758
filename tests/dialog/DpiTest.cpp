// The layout at 120 and 144 dpi. Wine reads the density once, at process
// start, so each density runs this program again as a child with the
// setting changed, and the child checks what it sees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "dialog/SysDlg.h"
#include "host/WindowRead.h"
#include "tests/TestPaths.h"
#include "tests/badinput/DebuggedChild.h"

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

}  // namespace

class DpiTest : public ::testing::TestWithParam<int> {};

TEST_P(DpiTest, LayoutScalesWithTheFontsLineHeight) {
  if (std::getenv(kChildVariable)) GTEST_SKIP() << "runs in the parent only";
  LogPixelsSetting setting(static_cast<DWORD>(GetParam()));
  const badinput::ChildRun run = RunChild(GetParam());
  EXPECT_TRUE(run.Clean()) << "the child's checks at " << GetParam() << " dpi failed: " << run.Describe()
                           << "\n"
                           << run.output;
}

INSTANTIATE_TEST_SUITE_P(Densities, DpiTest, ::testing::Values(120, 144));

// In the child: every position and size, and the client area, multiplied by
// line height / 13, where the line height is that of the scaled font.
TEST(DpiChild, ScaledLayout) {
  const char* expected = std::getenv(kChildVariable);
  if (!expected) GTEST_SKIP() << "runs as a child of DpiTest";
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  ASSERT_EQ(dpi, std::atoi(expected)) << "Wine did not take the density";

  auto dlg = std::make_unique<dialog::TSysInfoDlg>();
  HDC dc = ::GetDC(dlg->Handle());
  const HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(dlg->Handle(), WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(dlg->Handle(), dc);
  const int line = metrics.tmHeight;
  ASSERT_GT(line, 13) << "the font did not grow with the density";
  auto scaled = [line](int value) { return MulDiv(value, line, 13); };

  RECT client;
  ::GetClientRect(dlg->Handle(), &client);
  EXPECT_EQ(client.right, scaled(360));
  EXPECT_EQ(client.bottom, scaled(392));
  const RECT ok = host::RectInParent(dlg->OKBtn->Handle());
  EXPECT_EQ(ok.left, scaled(270));
  EXPECT_EQ(ok.top, scaled(362));
  EXPECT_EQ(ok.right - ok.left, scaled(81));
  const RECT frame = host::RectInParent(dlg->Bevel3->Handle());
  EXPECT_EQ(frame.left, scaled(9));
  EXPECT_EQ(frame.right - frame.left, scaled(321));
  const RECT title = host::RectInParent(dlg->lbWinTitle->Handle());
  EXPECT_EQ(title.left, scaled(48));
  EXPECT_EQ(title.right - title.left, scaled(281));
  const RECT value = host::RectInParent(dlg->lblProductName->Handle());
  EXPECT_EQ(value.left, scaled(137));
  EXPECT_EQ(value.top, scaled(67));
}
