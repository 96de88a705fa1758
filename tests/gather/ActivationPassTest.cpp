// The whole activation pass on a dialog, with the registry on a scratch
// tree and the system queries answering figures of the test's choosing.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "FakeQueries.h"
#include "ScratchRegistry.h"
#include "dialog/LabelTexts.h"
#include "dialog/Registry.h"
#include "dialog/SysDlg.h"
#include "dialog/SystemQueries.h"
#include "tests/scan/ScanFixtures.h"
#include "tests/toolkit/TestSupport.h"

using dialog::MemoryCounts;
using dialog::NameResult;
using dialog::OsVersion;
using dialog::ProcessorRecord;
using gather_test::ScratchRegistry;

namespace {

constexpr char kWindows[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kWindowsNT[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kProcessor[] = "Hardware\\Description\\System\\CentralProcessor\\0";
constexpr char kSystem[] = "Hardware\\description\\system";

class ActivationPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.valid());
    dlg_ = std::make_unique<dialog::TSysInfoDlg>();
  }

  // Runs the pass as the handler; returns the error it raised, or "".
  std::string Activate() {
    try {
      dlg_->FormActivate();
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }
  void SetDate(double days) { scratch_.Set(kSystem, "SystemBiosDate", REG_BINARY, &days, sizeof days); }

  ScratchRegistry scratch_;
  gather_test::FakeQueries queries_;
  std::unique_ptr<dialog::TSysInfoDlg> dlg_;
};

}  // namespace

TEST_F(ActivationPassTest, ACompletePassFillsEveryPage) {
  scratch_.SetText(kProcessor, "Identifier", "x86 Family 6");
  scratch_.SetText(kProcessor, "VendorIdentifier", "GenuineIntel");
  scratch_.SetText(kWindowsNT, "ProductName", "Windows 10 Pro");
  scratch_.SetText(kWindowsNT, "CurrentBuild", "19045");
  scratch_.SetText(kWindowsNT, "RegisteredOwner", "Owner");
  scratch_.Set(kSystem, "SystemBiosVersion", REG_MULTI_SZ, "BIOS 1.0\0BIOS 2.0\0", 19);
  SetDate(38212.0);

  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProcID), "x86 Family 6");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblMMXProcID), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProcVendor), "GenuineIntel");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductKey), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductName), "Windows 10 Pro");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCurrentBuild), "19045");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblOrg), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblOwner), "Owner");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWindowsType), "Windows NT");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWinVersion), "10.0");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWinBuild), "19045");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProcArchitecture), "Intel Processor Architecture");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCPUType), "Pentium");
  EXPECT_TRUE(dlg_->lblCPUType->Visible() && dlg_->Label7->Visible());
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblMemTotal), "204800 KB");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblMemUsage), "25 %");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblSwapFileSize), "307200 KB");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblSwapFileUsage), "75 %");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCompName), "BUILDHOST");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblUserName), "tester");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSVer), "BIOS 1.0") << "the first string of a multi-string";
  SYSTEMTIME day{};
  day.wYear = 2004, day.wMonth = 8, day.wDay = 13, day.wDayOfWeek = 5;
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), dialog::ShortDateText(day));
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblVideoBIOSVer), "No information")
      << "absent: nothing of the system BIOS text";
  EXPECT_TRUE(dlg_->lblVideoBIOSVer->Visible() && dlg_->Label29->Visible());
  EXPECT_FALSE(dlg_->VerListBuilt());
}

TEST_F(ActivationPassTest, AProductKeyKeepsTheWindowsKeyForTheRest) {
  scratch_.SetText(kWindows, "ProductKey", "ABCDE-12345");
  scratch_.SetText(kWindows, "CSDVersion", "from Windows key");
  scratch_.SetText(kWindowsNT, "ProductName", "never read");
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductKey), "ABCDE-12345");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCSDVersion), "from Windows key");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductName), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblOwner), "") << "the owner has no fallback";
}

TEST_F(ActivationPassTest, AnEmptyProductKeySwitchesToTheWindowsNTKey) {
  scratch_.Set(kWindows, "ProductKey", REG_SZ, "", 0);
  scratch_.SetText(kWindows, "CSDVersion", "not this one");
  scratch_.SetText(kWindowsNT, "CSDVersion", "Service Pack 1");
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductKey), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCSDVersion), "Service Pack 1");
}

TEST_F(ActivationPassTest, AnUnsuitedValueEndsThePassWhereItStands) {
  scratch_.SetText(kWindowsNT, "CSDVersion", "SP");
  scratch_.SetText(kWindowsNT, "CurrentBuild", "7601");
  scratch_.SetText(kWindowsNT, "CurrentBuildNumber", "7601");
  scratch_.SetDword(kWindowsNT, "CurrentVersion", 6);
  scratch_.SetText(kWindowsNT, "ProductName", "after the error");
  EXPECT_EQ(Activate(), "Invalid data type for 'CurrentVersion'");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCSDVersion), "SP");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCurrentBuildNumber), "7601");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCurrentVersion), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductName), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWindowsType), "No information")
      << "the version query did not run";
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblMemTotal), "No inormation");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCompName), "lblCompName");
}

TEST_F(ActivationPassTest, OnlyACompletedPassClearsTheLibraryListFlag) {
  // A scan of an empty folder is enough to set the flag.
  const scan_test::TempFolder empty;
  gather_test::fake.hostProgram = empty.Child("host.exe");
  gather_test::fake.systemFolder = empty.Path();
  dlg_->SysPageControl->SetActivePage(*dlg_->LibVerSheet);
  dlg_->SysPageControlChange();
  ASSERT_TRUE(dlg_->VerListBuilt());

  scratch_.SetDword(kWindowsNT, "CurrentVersion", 6);
  EXPECT_EQ(Activate(), "Invalid data type for 'CurrentVersion'");
  EXPECT_TRUE(dlg_->VerListBuilt()) << "a pass ended by an error leaves the flag";
  ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kWindowsNT, "CurrentVersion");
  EXPECT_EQ(Activate(), "");
  EXPECT_FALSE(dlg_->VerListBuilt()) << "a completed pass clears it";
}

TEST_F(ActivationPassTest, TheErrorBoxShowsTheMessageAndTheDialogStaysUsable) {
  scratch_.SetDword(kWindowsNT, "CurrentVersion", 6);
  host::SeenMessageBox box;
  std::string afterBox;
  bool enabledUnderBox = true;
  // Owned by the dialog, the box disables it: nothing in the dialog can be
  // pressed or closed, nor brought above the box, while the box is up.
  toolkit_test::Script script({[&] { enabledUnderBox = ::IsWindowEnabled(dlg_->Handle()); },
                               [&] { box = toolkit_test::ReadAndCloseMessageBox(); },
                               [&] { afterBox = toolkit_test::ShownText(dlg_->lblCurrentBuild); },
                               [&] { ::PostMessageW(dlg_->OKBtn->Handle(), BM_CLICK, 0, 0); }});
  EXPECT_EQ(dlg_->ShowModal(), 2);
  EXPECT_EQ(box.text, "Invalid data type for 'CurrentVersion'") << "no full stop after a quote";
  EXPECT_EQ(box.owner, dlg_->Handle());
  EXPECT_EQ(box.buttonIds.size(), 1u);
  EXPECT_EQ(box.icon, ::LoadIconA(nullptr, IDI_HAND));
  EXPECT_EQ(afterBox, "No information");
  EXPECT_FALSE(enabledUnderBox) << "the dialog is disabled while its error box is up";
  EXPECT_TRUE(::IsWindowEnabled(dlg_->Handle()));
}

TEST_F(ActivationPassTest, TheNineXFamilyReadsBiosValuesFromTheEnumerationKeys) {
  gather_test::fake.nineX = true;
  gather_test::fake.version = {4, 10, 0x040A08AE, 1};
  scratch_.SetText("Enum\\Root\\A\\0000", "BIOSVersion", "Version from A");
  scratch_.SetText("Enum\\Root\\A\\0000", "BIOSDate", "01/01/99");
  scratch_.AddKey("Enum\\Root\\B\\0000");
  scratch_.SetText("Enum\\Root\\C\\0000", "BIOSDate", "12/31/99");
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSVer), "Version from A");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), "12/31/99") << "the last non-empty value, as stored";
  EXPECT_FALSE(dlg_->lblVideoBIOSVer->Visible());
  EXPECT_FALSE(dlg_->Label29->Visible());
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWindowsType), "Windows 9x");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWinVersion), "4.10");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWinBuild), "2222");
}

TEST_F(ActivationPassTest, TheNineXFamilyWithoutEnumerationKeysKeepsThePlaceholders) {
  gather_test::fake.nineX = true;
  scratch_.AddKey("Enum\\Root");
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSVer), "No information");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), "No information");
}

TEST_F(ActivationPassTest, EachNTBiosItemHasItsOwnErrorHandler) {
  scratch_.SetText(kSystem, "SystemBiosVersion", "text is unsuited");
  scratch_.SetDword(kSystem, "SystemBiosDate", 20040813);
  scratch_.Set(kSystem, "VideoBiosVersion", REG_BINARY, "VGA BIOS", 8);  // no terminator
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSVer), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), "") << "a number is no date";
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblVideoBIOSVer), "VGA BIOS") << "ends at the bytes read";
}

TEST_F(ActivationPassTest, TheNTFamilysTextDateShowsAsStored) {
  scratch_.SetText(kSystem, "SystemBiosDate", "08/13/04");
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), "08/13/04");
  scratch_.Set(kSystem, "SystemBiosDate", REG_SZ, "12/31/99-and-more", 8);  // no terminator
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), "12/31/99") << "ends at the bytes read";
}

TEST_F(ActivationPassTest, Windows11ShowsItsNameAndKeepsTheRawVersion) {
  scratch_.SetText(kWindowsNT, "ProductName", "Windows 10 Pro");
  scratch_.SetText(kWindowsNT, "CurrentVersion", "6.3");
  gather_test::fake.version = {10, 0, 22631, 2};
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductName), "Windows 11 Pro");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCurrentVersion), "6.3") << "the registry's raw value";
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblWinVersion), "10.0");
  gather_test::fake.version = {10, 0, 19045, 2};
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductName), "Windows 10 Pro") << "Windows 10 keeps its name";
}

TEST_F(ActivationPassTest, ADateBeforeSixteenHundredOneIsShownToo) {
  SetDate(-328716.0);  // 1 January 1000
  EXPECT_EQ(Activate(), "");
  SYSTEMTIME day{};
  day.wYear = 1000, day.wMonth = 1, day.wDay = 1;
  EXPECT_NE(toolkit_test::ShownText(dlg_->lblBIOSDate), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), dialog::ShortDateText(day));
}

TEST_F(ActivationPassTest, ADateThatIsNoNumberShowsEmptyText) {
  const uint64_t nan = 0x7FF0000000000001ull;
  scratch_.Set(kSystem, "SystemBiosDate", REG_BINARY, &nan, sizeof nan);
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblBIOSDate), "");
}

TEST_F(ActivationPassTest, ArchitecturesWithoutIntelExtrasKeepTheTypeRowHidden) {
  gather_test::fake.processor = {9, 8664};
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProcArchitecture), "No information");
  EXPECT_FALSE(dlg_->lblCPUType->Visible());
  EXPECT_FALSE(dlg_->Label7->Visible());
  gather_test::fake.processor = {0, 8664};
  EXPECT_EQ(Activate(), "");
  EXPECT_TRUE(dlg_->lblCPUType->Visible());
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCPUType), "No information");
}

TEST_F(ActivationPassTest, TinyMemoryEndsThePassWithDivisionByZero) {
  gather_test::fake.memory = {99, 50, 1024, 512};
  EXPECT_EQ(Activate(), "Division by zero");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblMemTotal), "0 KB");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblMemAvailable), "0 KB");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblMemUsage), "No inormation");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCompName), "lblCompName");
}

TEST_F(ActivationPassTest, NamesThePlatformRefusesReadUnknown) {
  gather_test::fake.computer = {};
  gather_test::fake.user = {};
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblCompName), "Unknown");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblUserName), "Unknown");
}

TEST_F(ActivationPassTest, ReadOnlyKeysStillFillTheLabels) {
  scratch_.SetText(kWindowsNT, "ProductName", "Read by a standard user");
  scratch_.MakeReadOnly(kWindowsNT);
  EXPECT_EQ(Activate(), "");
  EXPECT_EQ(toolkit_test::ShownText(dlg_->lblProductName), "Read by a standard user");
}

TEST(PlatformQueriesTest, TheRealQueriesAnswerPlausibly) {
  const dialog::SystemQueries& real = dialog::PlatformQueries();
  const OsVersion version = real.osVersion();
  EXPECT_GE(version.major, 4u);
  const MemoryCounts memory = real.memory();
  EXPECT_GT(memory.totalPhys, 0u);
  EXPECT_LE(memory.availPhys, memory.totalPhys);
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  ASSERT_TRUE(::GetComputerNameA(name, &size));
  EXPECT_EQ(real.computerName().name, name);
  EXPECT_TRUE(real.userName().ok);
}

// The machine a library file is built for, from its file header; 0 when
// unreadable.
uint16_t FileMachine(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  uint32_t header = 0;
  uint16_t machine = 0;
  file.seekg(0x3C).read(reinterpret_cast<char*>(&header), sizeof header);
  file.seekg(header + 4).read(reinterpret_cast<char*>(&machine), sizeof machine);
  return file ? machine : 0;
}

// Under emulation (WOW64) the machine named is the one the system's own
// libraries are built for, and the reader sees the system's own view of the
// software keys, not the 32-bit copy.
TEST(PlatformQueriesTest, UnderEmulationTheMachineAndTheRegistryViewAreTheSystemsOwn) {
  BOOL wow64 = FALSE;
  if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64) GTEST_SKIP() << "one machine, one view";
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  const uint16_t systems = FileMachine(std::string(windows) + "\\Sysnative\\ntdll.dll");
  ASSERT_NE(systems, 0) << "the system's own ntdll.dll could not be read";
  if (::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "IsWow64Process2")) {
    EXPECT_EQ(dialog::PlatformQueries().nativeMachine(), systems);
  }

  const std::string path = "Software\\Zentrix\\ViewTest\\" + std::to_string(::GetCurrentProcessId());
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char* text = view == KEY_WOW64_64KEY ? "system's" : "32-bit copy";
    ::RegSetValueExA(shared::ScopedKey(key).Get(), "View", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>(std::strlen(text) + 1));
  }
  std::string read;
  {
    dialog::TRegistry reader;
    reader.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reader.OpenKey(path)) read = reader.ReadString("View");
  }
  for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
  EXPECT_EQ(read, "system's");
}
