// The callbacks and entries reached through the records: codes, results,
// what each removes from the stack, and the About box.
#include <set>

#include "LibraryFixture.h"
#include "host/EntryWatcher.h"
#include "host/OwnerWindow.h"

using host::CallResult;
using host::PlugInLibrary;

class LibraryEntriesTest : public LibraryTest {};

TEST_F(LibraryEntriesTest, EachCallRemovesExactlyItsArguments) {
  plugin::TPlugInLibInfo libInfo{};
  EXPECT_EQ(lib_.Init(&libInfo).bytesRemoved, 0) << "InitPlugInLib takes its argument in EAX";
  plugin::TPlugInInfo info{};
  EXPECT_EQ(PlugInLibrary::LibProc(libInfo, 1, &info).bytesRemoved, 8);
  EXPECT_EQ(PlugInLibrary::LibProc(libInfo, 2, nullptr).bytesRemoved, 8);
  const CallResult noOp = PlugInLibrary::FuncProc(info, 1);
  EXPECT_EQ(noOp.bytesRemoved, 4);
  EXPECT_EQ(PlugInLibrary::FuncProc(info, 0xFFFFFFFF).bytesRemoved, 4);
  EXPECT_EQ(PlugInLibrary::Entry(noOp.value, nullptr).bytesRemoved, 8);
}

TEST_F(LibraryEntriesTest, OnlyCodesOneTwoAndFourHaveEntries) {
  const plugin::TPlugInInfo info = PlugInInfo();
  std::set<uint32_t> entries;
  for (uint32_t code : {1u, 2u, 4u}) {
    const uint32_t address = PlugInLibrary::FuncProc(info, code).value;
    EXPECT_TRUE(lib_.Contains(address)) << "code " << code;
    entries.insert(address);
  }
  EXPECT_EQ(entries.size(), 3u) << "no-op, About and Execute are different entries";
  for (uint32_t code : {0u, 3u, 5u, 6u, 7u, 16u, 17u, 18u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(PlugInLibrary::FuncProc(info, code).value, 0u) << "code " << code;
  }
}

TEST_F(LibraryEntriesTest, LookupsRepeatInAnyOrder) {
  const plugin::TPlugInInfo info = PlugInInfo();
  const uint32_t about = PlugInLibrary::FuncProc(info, 2).value;
  EXPECT_EQ(PlugInLibrary::FuncProc(info, 0).value, 0u);
  EXPECT_EQ(PlugInLibrary::FuncProc(info, 2).value, about);
  EXPECT_EQ(PlugInInfo().FuncProc, info.FuncProc) << "a second request names the same lookup";
}

class AboutBoxTest : public LibraryEntriesTest {
 protected:
  host::SeenMessageBox ShowAbout(HWND owner, CallResult* call) {
    const uint32_t about = PlugInLibrary::FuncProc(PlugInInfo(), 2).value;
    host::EntryWatcher watcher;
    *call = PlugInLibrary::Entry(about, owner);
    return watcher.Stop().FirstBox();
  }
};

TEST_F(AboutBoxTest, ShowsTheFourLinesOverTheHostWindow) {
  HWND owner = host::CreatePlainWindow("host", false);
  ASSERT_NE(owner, nullptr);
  CallResult call{};
  const host::SeenMessageBox box = ShowAbout(owner, &call);
  DestroyWindow(owner);

  ASSERT_TRUE(box.seen) << "no message box appeared";
  EXPECT_EQ(call.bytesRemoved, 8);
  EXPECT_EQ(box.owner, owner);
  EXPECT_EQ(box.caption, "Tavrel Corvane Standart Plug-In");
  const std::string prefix = "System information plug-in for Tavrel Corvane\r\n\r\nTavrel Project.\r\n";
  ASSERT_EQ(box.text.compare(0, prefix.size(), prefix), 0) << box.text;
  const std::string notice = box.text.substr(prefix.size());
  EXPECT_EQ(notice, host::FieldText(LibInfo().LibCopyright)) << "line 4 is the library's copyright notice";
  EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
  EXPECT_EQ(box.icon, LoadIconA(nullptr, IDI_INFORMATION));
}

TEST_F(AboutBoxTest, AcceptsWindowZero) {
  CallResult call{};
  const host::SeenMessageBox box = ShowAbout(nullptr, &call);
  ASSERT_TRUE(box.seen);
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(call.bytesRemoved, 8);
}
