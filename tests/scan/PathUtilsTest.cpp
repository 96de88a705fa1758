#include <windows.h>

#include <gtest/gtest.h>

#include "shared/PathUtils.h"

using shared::AddPathSlash;

TEST(AddPathSlash, EmptyStaysEmpty) { EXPECT_EQ(AddPathSlash(""), ""); }

TEST(AddPathSlash, ATrailingBackslashIsKept) {
  EXPECT_EQ(AddPathSlash("C:\\"), "C:\\");
  EXPECT_EQ(AddPathSlash("C:\\Windows\\"), "C:\\Windows\\");
  EXPECT_EQ(AddPathSlash("\\"), "\\");
}

TEST(AddPathSlash, ABareDriveLetterBecomesItsRoot) {
  EXPECT_EQ(AddPathSlash("C"), "C:\\");
  EXPECT_EQ(AddPathSlash("z"), "z:\\");
}

TEST(AddPathSlash, OtherSingleCharactersAreNotDrives) {
  EXPECT_EQ(AddPathSlash("1"), "1\\");
  EXPECT_EQ(AddPathSlash("."), ".\\");
  EXPECT_EQ(AddPathSlash("\xE9"), "\xE9\\") << "a letter of the code page that is not a Latin a to z";
}

TEST(AddPathSlash, AnythingElseGetsOneBackslash) {
  EXPECT_EQ(AddPathSlash("C:"), "C:\\");
  EXPECT_EQ(AddPathSlash("C:\\Windows"), "C:\\Windows\\");
  EXPECT_EQ(AddPathSlash("\\\\server\\share"), "\\\\server\\share\\");
  EXPECT_EQ(AddPathSlash("dir/"), "dir/\\");
}

TEST(AddPathSlash, ABackslashByteInsideADoubleByteCharacterIsNoBackslash) {
  // U+8868 is 0x95 0x5C in code page 932; elsewhere the case does not arise.
  if (!::IsDBCSLeadByte(0x95))
    GTEST_SKIP() << "the ANSI code page " << ::GetACP() << " has no such characters";
  EXPECT_EQ(AddPathSlash("C:\\\x95\x5C"), "C:\\\x95\x5C\\");
  EXPECT_EQ(AddPathSlash("C:\\\x95\x5C\\"), "C:\\\x95\x5C\\");
}
