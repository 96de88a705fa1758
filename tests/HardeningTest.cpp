// The built library carries the protections a host may expect of a DLL:
// read from the file itself, as a reviewer's tool would.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>

#include "TestPaths.h"
#include "host/PeImage.h"
#include "shared/Scoped.h"

namespace {

class HardeningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host::ReadPeImage(testing_paths::PlugInPath(), &image_, &error)) << error;
  }
  const host::PeSymbol* Symbol(const char* name) const {
    for (const host::PeSymbol& symbol : image_.definedSymbols) {
      if (symbol.name == name) return &symbol;
    }
    return nullptr;
  }
  host::PeImage image_;
};

}  // namespace

TEST_F(HardeningTest, RelocatableAndNotExecutableData) {
  EXPECT_TRUE(image_.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << "ASLR";
  EXPECT_GT(image_.relocationBytes, 0u) << "dynamic base needs relocations to move";
  EXPECT_TRUE(image_.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << "DEP";
  // GCC's DWARF unwinding registers no SEH handlers, so the image may say it
  // has none: the loader then refuses any SEH frame pointing into it.
  EXPECT_TRUE(image_.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_NO_SEH);
  EXPECT_GE(image_.sectionAlignment, 0x1000u) << "page-sized sections get page protections";
}

TEST_F(HardeningTest, NoSectionIsWritableAndExecutableOrSharedAndWritable) {
  ASSERT_FALSE(image_.sections.empty());
  for (const host::PeSection& section : image_.sections) {
    const bool writable = section.characteristics & IMAGE_SCN_MEM_WRITE;
    EXPECT_FALSE(writable && (section.characteristics & IMAGE_SCN_MEM_EXECUTE)) << section.name;
    EXPECT_FALSE(writable && (section.characteristics & IMAGE_SCN_MEM_SHARED)) << section.name;
  }
}

TEST_F(HardeningTest, StackProtectorIsLinkedIn) {
  if (image_.definedSymbols.empty()) GTEST_SKIP() << "the library is stripped; nothing to read";
  EXPECT_TRUE(Symbol("___stack_chk_fail")) << "the checking code is in the library";
  EXPECT_TRUE(Symbol("___stack_chk_guard"));
  for (const std::string& module : image_.importedModules) {
    EXPECT_EQ(module.find("ssp"), std::string::npos) << module << ": the protector must not be a DLL";
  }
}

// The guard is set by the library's own entry point, anew at every load.
TEST_F(HardeningTest, StackGuardIsSetAnewAtEveryLoad) {
  const host::PeSymbol* guard = Symbol("___stack_chk_guard");
  if (!guard) GTEST_SKIP() << "the library is stripped; nothing to read";
  std::set<uint32_t> seen;
  for (int load = 0; load < 4; ++load) {
    shared::ScopedModule module(LoadLibraryA(testing_paths::PlugInPath().c_str()));
    ASSERT_TRUE(module);
    const uint32_t value =
        *reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(module.Get()) + guard->rva);
    EXPECT_NE(value, 0u) << "never set";
    EXPECT_TRUE(seen.insert(value).second) << "load " << load << " gave an earlier load's guard";
  }
}

TEST(StackGuardTest, AnOverrunEndsTheProcessAtTheCheck) {
  std::string command = testing_paths::BesideExecutable("stack_overrun.exe");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  const shared::ScopedHandle thread(process.hThread), child(process.hProcess);
  ASSERT_EQ(WaitForSingleObject(child.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(child.Get(), &code);
  EXPECT_EQ(code, static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN)) << "2: it ran on after the check";
}
