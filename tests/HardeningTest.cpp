// The built library carries the protections a host may expect of a DLL:
// read from the file itself, as a reviewer's tool would.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "TestPaths.h"
#include "host/PeImage.h"

namespace {

class HardeningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host::ReadPeImage(testing_paths::PlugInPath(), &image_, &error)) << error;
  }
  bool Defines(const char* symbol) const {
    return std::find(image_.definedSymbols.begin(), image_.definedSymbols.end(), symbol) !=
           image_.definedSymbols.end();
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
  EXPECT_TRUE(Defines("___stack_chk_fail")) << "the checking code is in the library";
  EXPECT_TRUE(Defines("___stack_chk_guard"));
  for (const std::string& module : image_.importedModules) {
    EXPECT_EQ(module.find("ssp"), std::string::npos) << module << ": the protector must not be a DLL";
  }
}
