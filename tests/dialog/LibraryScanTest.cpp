// The library scan as the dialog runs it: page selection, the busy cursor,
// re-selection during and after a scan, rebuilds, errors that escape.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dialog/LibraryScan.h"
#include "dialog/SysDlg.h"
#include "dialog/SystemQueries.h"
#include "tests/gather/FakeQueries.h"
#include "tests/scan/ScanFixtures.h"
#include "toolkit/Application.h"

using scan_test::TempFolder;

namespace {

// A window whose posted WM_APP runs `onMessage`: the scan's message rounds
// dispatch it while the scan is still going.
class MessageProbe {
 public:
  MessageProbe() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZxScanMessageProbe";
    ::RegisterClassA(&windowClass);
    window_ = ::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    current_ = this;
  }
  MessageProbe(const MessageProbe&) = delete;
  MessageProbe& operator=(const MessageProbe&) = delete;
  ~MessageProbe() {
    current_ = nullptr;
    ::DestroyWindow(window_);
  }
  void Post() { ::PostMessageA(window_, WM_APP, 0, 0); }
  std::function<void()> onMessage;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP && current_ && current_->onMessage) current_->onMessage();
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  static inline MessageProbe* current_ = nullptr;
  HWND window_ = nullptr;
};

class LibraryScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dlg_ = std::make_unique<dialog::TSysInfoDlg>();
    ASSERT_TRUE(host_.CopyFixture("full", "host.dll"));
    ASSERT_TRUE(host_.AddTextFile("host.txt"));
    ASSERT_TRUE(system_.CopyFixture("fixed_only", "sys1.dll"));
    ASSERT_TRUE(system_.CopyFixture("no_version", "plain.dll"));
    ASSERT_TRUE(system_.CopyFixture("no_strings", "sys2.dll"));
    UseFolders(host_.Path(), system_.Path());
  }
  void TearDown() override {
    dialog::SetQueriesForTesting(nullptr);
    toolkit::Application->RestoreCursor();
  }

  // The host program is taken to sit in `host`.
  void UseFolders(const std::string& host, const std::string& system) {
    gather_test::fake.hostProgram = host + "\\host.exe";
    gather_test::fake.systemFolder = system;
  }
  void SelectLibraryPage() {
    dlg_->SysPageControl->SetActivePage(*dlg_->LibVerSheet);
    dlg_->SysPageControlChange();
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (int row = 0; row < dlg_->lvVerList->RowCount(); ++row)
      captions.push_back(dlg_->lvVerList->ItemText(row, 0));
    return captions;
  }
  // The system folder's versioned files in its listing order.
  std::vector<std::string> SystemRows() const {
    std::vector<std::string> names;
    dialog::ForEachFolderFile(system_.Path(), [&](const char* name) {
      if (std::string(name) != "plain.dll") names.push_back(name);
    });
    return names;
  }
  static HCURSOR BusyCursor() { return ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)); }

  TempFolder host_, system_;
  gather_test::FakeQueries queries_;
  std::unique_ptr<dialog::TSysInfoDlg> dlg_;
};

}  // namespace

TEST_F(LibraryScanTest, HostFolderRowsComeFirstWithTheirFourTextsAndImageZero) {
  SelectLibraryPage();
  std::vector<std::string> expected{"host.dll"};
  for (const std::string& name : SystemRows()) expected.push_back(name);
  EXPECT_EQ(Captions(), expected);
  const toolkit::TListView& list = *dlg_->lvVerList;
  EXPECT_EQ(list.ItemText(0, 1), "Zentrix Fixture");
  EXPECT_EQ(list.ItemText(0, 2), "Copyright (C) Fixture Authors");
  EXPECT_EQ(list.ItemText(0, 3), "7.1.0.3");
  EXPECT_EQ(list.ItemText(0, 4), "7.1");
  for (int row = 0; row < list.RowCount(); ++row) {
    EXPECT_EQ(list.ImageIndex(row), 0) << "row " << row;
    if (list.ItemText(row, 0) == "sys2.dll") {
      EXPECT_EQ(list.ItemText(row, 1), "");
      EXPECT_EQ(list.ItemText(row, 3), "4.0.0.1");
      EXPECT_EQ(list.ItemText(row, 4), "4.0.0.0");
    }
  }
  EXPECT_TRUE(dlg_->VerListBuilt());
  EXPECT_EQ(toolkit::Application->Cursor(), nullptr) << "the default cursor after the scan";
}

TEST_F(LibraryScanTest, HostFolderEqualToTheSystemFolderListsEveryFileTwice) {
  UseFolders(system_.Path(), system_.Path());
  SelectLibraryPage();
  std::vector<std::string> expected = SystemRows();
  const std::vector<std::string> once = expected;
  expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(Captions(), expected);
}

TEST_F(LibraryScanTest, AFolderThatCannotBeListedLeavesTheOtherToScan) {
  UseFolders(host_.Child("missing"), system_.Path());
  SelectLibraryPage();
  EXPECT_EQ(Captions(), SystemRows());
  EXPECT_TRUE(dlg_->VerListBuilt());
  EXPECT_EQ(toolkit::Application->Cursor(), nullptr);
}

TEST_F(LibraryScanTest, ASecondSelectionAddsNothingAndLeavesTheCursorAlone) {
  SelectLibraryPage();
  const std::vector<std::string> first = Captions();
  ASSERT_FALSE(first.empty());
  HCURSOR cross = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
  toolkit::Application->SetCursor(cross);
  ASSERT_TRUE(system_.CopyFixture("full", "late.dll"));
  SelectLibraryPage();
  EXPECT_EQ(Captions(), first);
  EXPECT_EQ(toolkit::Application->Cursor(), cross);
}

TEST_F(LibraryScanTest, OtherPagesNeverScan) {
  dlg_->SysPageControl->SetActivePage(*dlg_->MemTabSheet);
  dlg_->SysPageControlChange();
  EXPECT_EQ(dlg_->lvVerList->RowCount(), 0);
  EXPECT_FALSE(dlg_->VerListBuilt());
}

TEST_F(LibraryScanTest, ASelectionWhileTheScanRunsDoesNothing) {
  MessageProbe probe;
  int rowsWhenReselected = -1, rowsAfterReselection = -1;
  HCURSOR cursorDuringScan = nullptr;
  probe.onMessage = [&] {
    rowsWhenReselected = dlg_->lvVerList->RowCount();
    cursorDuringScan = toolkit::Application->Cursor();
    dlg_->SysPageControl->SetActivePage(*dlg_->WinTabSheet);
    dlg_->SysPageControlChange();
    SelectLibraryPage();
    rowsAfterReselection = dlg_->lvVerList->RowCount();
  };
  probe.Post();
  SelectLibraryPage();
  EXPECT_EQ(rowsWhenReselected, 1) << "dispatched after the first row";
  EXPECT_EQ(rowsAfterReselection, 1) << "the nested selection neither scanned nor emptied the list";
  EXPECT_EQ(cursorDuringScan, BusyCursor());
  EXPECT_EQ(static_cast<int>(Captions().size()), 1 + static_cast<int>(SystemRows().size()));
  EXPECT_EQ(toolkit::Application->Cursor(), nullptr);
}

TEST_F(LibraryScanTest, ARebuildAfterAnotherActivationListsEveryFileOnce) {
  SelectLibraryPage();
  const std::vector<std::string> first = Captions();
  dlg_->FormActivate();
  EXPECT_FALSE(dlg_->VerListBuilt());
  SelectLibraryPage();
  EXPECT_EQ(Captions(), first);
  EXPECT_TRUE(dlg_->VerListBuilt());
}

TEST_F(LibraryScanTest, AnEscapingErrorRestoresTheCursorAndAllowsANewScan) {
  static bool queryRan;
  static HCURSOR cursorAtError;
  queryRan = false;
  cursorAtError = nullptr;
  dialog::SystemQueries failing = dialog::PlatformQueries();
  failing.hostProgramPath = []() -> std::string {
    queryRan = true;
    cursorAtError = toolkit::Application->Cursor();
    throw std::runtime_error("no folders");
  };
  dialog::SetQueriesForTesting(&failing);
  dlg_->SysPageControl->SetActivePage(*dlg_->LibVerSheet);
  EXPECT_THROW(dlg_->SysPageControlChange(), std::runtime_error);
  EXPECT_TRUE(queryRan);
  EXPECT_EQ(cursorAtError, BusyCursor());
  EXPECT_EQ(toolkit::Application->Cursor(), nullptr);
  EXPECT_FALSE(dlg_->VerListBuilt());
  gather_test::FakeQueries queries;
  UseFolders(host_.Path(), system_.Path());
  SelectLibraryPage();
  EXPECT_EQ(Captions().size(), 1 + SystemRows().size()) << "the failed scan left no scan running";
}

TEST_F(LibraryScanTest, WithTheRealQueriesTheHostFolderThenTheSystemFolderAreScanned) {
  dialog::SetQueriesForTesting(nullptr);
  SelectLibraryPage();
  const std::vector<std::string> captions = Captions();
  const auto at = [&](const char* name) {
    for (size_t i = 0; i < captions.size(); ++i)
      if (_stricmp(captions[i].c_str(), name) == 0) return static_cast<int>(i);
    return -1;
  };
  // The test program's folder holds the version fixtures.
  EXPECT_GE(at("vfx_full.dll"), 0);
  EXPECT_LT(at("vfx_no_version.dll"), 0);
  EXPECT_GT(at("kernel32.dll"), at("vfx_full.dll"));
}

TEST_F(LibraryScanTest, AScanAsksForTheHostProgramOnce) {
  static int reads;
  static std::string hostProgram;
  reads = 0;
  hostProgram = host_.Child("host.exe");
  dialog::SystemQueries counting = dialog::PlatformQueries();
  counting.hostProgramPath = [] {
    ++reads;
    return hostProgram;
  };
  counting.systemFolder = [] { return std::string(); };
  dialog::SetQueriesForTesting(&counting);
  SelectLibraryPage();
  EXPECT_EQ(reads, 1) << "the reader's first file and the host folder come from one answer";
  EXPECT_EQ(Captions(), std::vector<std::string>{"host.dll"});
}
