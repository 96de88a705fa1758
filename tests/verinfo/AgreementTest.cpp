// The reader against the platform's version library, file by file over the
// Windows system folder and the files real toolchains wrote: the same
// version data found, the same four texts.
// The library is called here, in the test, and nowhere in the product.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "PlatformVersion.h"
#include "tests/TestPaths.h"

using testing_platform::PlatformTexts;
using testing_platform::ReaderTexts;
using testing_platform::Texts;

namespace {

// Every file of `folder` against the library; how many, and how many of them
// it found version data in.
struct TAgreed {
  int files = 0, versioned = 0;
};
TAgreed ExpectAgreementOverFolder(const std::string& folder) {
  TAgreed agreed;
  WIN32_FIND_DATAA entry;
  HANDLE listing = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
  EXPECT_NE(listing, INVALID_HANDLE_VALUE) << folder;
  if (listing == INVALID_HANDLE_VALUE) return agreed;
  verinfo::TVersionInfo reader("");
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string path = folder + "\\" + entry.cFileName;
    const Texts platform = PlatformTexts(path);
    EXPECT_EQ(ReaderTexts(reader, path.c_str()), platform) << path;
    ++agreed.files;
    agreed.versioned += platform.hasInfo;
  } while (::FindNextFileA(listing, &entry));
  ::FindClose(listing);
  return agreed;
}

}  // namespace

TEST(VersionAgreement, EveryFileOfTheSystemFolderGivesTheLibrarysTexts) {
  char folder[MAX_PATH];
  ASSERT_GT(::GetSystemDirectoryA(folder, MAX_PATH), 0u);
  const auto [files, versioned] = ExpectAgreementOverFolder(folder);
  std::printf("system folder: %d files, %d with version data\n", files, versioned);
  // Wine's system folder holds about 780 files, about 230 of them versioned.
  EXPECT_GE(files, 500);
  EXPECT_GE(versioned, 150);
}

// Copied beside the tests from tests/verinfo/toolchain: windres, llvm-rc and
// lld-link, makensis and mcs output, every one of them versioned.
TEST(VersionAgreement, EveryToolchainFixtureGivesTheLibrarysTexts) {
  const auto [files, versioned] = ExpectAgreementOverFolder(testing_paths::BesideExecutable("vtc"));
  EXPECT_GE(files, 15);
  EXPECT_EQ(versioned, files);
}
