// The shell support set up at load: OLE must stay balanced on the loading
// thread whatever state that thread's COM was in.
#include <gtest/gtest.h>
#include <ole2.h>
#include <windows.h>

#include <thread>

#include "shared/FpuControlWord.h"
#include "shared/ShellSupport.h"

namespace {

// S_OK when COM was not initialised on this thread (and now is), S_FALSE
// when it already was in an apartment of the same kind.
HRESULT ProbeApartment(DWORD model) {
  const HRESULT hr = CoInitializeEx(nullptr, model);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr;
}

}  // namespace

TEST(ShellSupportTest, LoadRegistersTheSevenFormatsAndUnloadBalancesOle) {
  std::thread([] {
    shared::ShellSupport shell;
    shell.Load();
    EXPECT_TRUE(shell.OleInitialized());
    for (size_t i = 0; i < shared::ShellSupport::kFormatCount; ++i) {
      char name[64] = {};
      ASSERT_NE(shell.Formats()[i], 0u) << shared::ShellSupport::kFormatNames[i];
      GetClipboardFormatNameA(shell.Formats()[i], name, sizeof name);
      EXPECT_STREQ(name, shared::ShellSupport::kFormatNames[i]);
    }
    EXPECT_EQ(ProbeApartment(COINIT_APARTMENTTHREADED), S_FALSE) << "OLE holds a single-threaded apartment";
    shell.Unload(false);
    EXPECT_EQ(ProbeApartment(COINIT_APARTMENTTHREADED), S_OK) << "unload left OLE initialised";
  }).join();
}

TEST(ShellSupportTest, FailedOleInitialisationIsNotBalancedAway) {
  std::thread([] {
    // The host already runs this thread in the multithreaded apartment, so
    // OleInitialize fails; unloading must leave the host's COM alone.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    shared::ShellSupport shell;
    shell.Load();
    EXPECT_FALSE(shell.OleInitialized());
    shell.Unload(false);
    EXPECT_EQ(ProbeApartment(COINIT_MULTITHREADED), S_FALSE) << "the host's apartment was torn down";
    CoUninitialize();
  }).join();
}

TEST(ShellSupportTest, UnloadOnAnotherThreadLeavesThatThreadsComAlone) {
  shared::ShellSupport shell;
  std::thread([&] { shell.Load(); }).join();
  std::thread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    shell.Unload(false);
    EXPECT_EQ(ProbeApartment(COINIT_APARTMENTTHREADED), S_FALSE);
    CoUninitialize();
  }).join();
}
