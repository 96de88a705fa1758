// The reader against the platform's version library, file by file over the
// Windows system folder: the same version data found, the same four texts.
// The library is called here, in the test, and nowhere in the product.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "PlatformVersion.h"

using testing_platform::PlatformTexts;
using testing_platform::ReaderTexts;
using testing_platform::Texts;

TEST(VersionAgreement, EveryFileOfTheSystemFolderGivesTheLibrarysTexts) {
  char folder[MAX_PATH];
  ASSERT_GT(::GetSystemDirectoryA(folder, MAX_PATH), 0u);
  WIN32_FIND_DATAA entry;
  HANDLE listing = ::FindFirstFileA((std::string(folder) + "\\*").c_str(), &entry);
  ASSERT_NE(listing, INVALID_HANDLE_VALUE);
  verinfo::TVersionInfo reader("");
  int files = 0, versioned = 0;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string path = std::string(folder) + "\\" + entry.cFileName;
    const Texts platform = PlatformTexts(path);
    EXPECT_EQ(ReaderTexts(reader, path.c_str()), platform) << path;
    ++files;
    versioned += platform.hasInfo;
  } while (::FindNextFileA(listing, &entry));
  ::FindClose(listing);
  std::printf("system folder: %d files, %d with version data\n", files, versioned);
  // Wine's system folder holds about 780 files, about 230 of them versioned.
  EXPECT_GE(files, 500);
  EXPECT_GE(versioned, 150);
}
