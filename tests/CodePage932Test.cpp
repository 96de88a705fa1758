// The scans of ANSI texts for a separator or an end, under code page 932
// (this program runs with a Japanese locale), over names whose second bytes
// are those of '\', '|' and 'y'.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dialog/LabelTexts.h"
#include "dialog/LibraryScan.h"
#include "shared/AnsiChars.h"
#include "shared/PathUtils.h"
#include "toolkit/Application.h"

TEST(CodePage932, ScansStepOverTheSecondBytesOfCharacters) {
  ASSERT_EQ(::GetACP(), 932u) << "run with a Japanese locale, e.g. LC_ALL=ja_JP.UTF-8";
  const std::string hyo = "\x95\x5C";                                 // 表, second byte '\'
  const std::string so = "\x83\x5C";                                  // ソ, second byte '\'
  const std::string po = "\x83\x7C";                                  // ポ, second byte '|'
  const std::string pe = "\x83\x79";                                  // ペ, second byte 'y'
  const std::string tool = hyo + "\x8E\xA6\x83\x63\x81\x5B\x83\x8B";  // 表示ツール

  // The error box's caption and its "." rule.
  EXPECT_EQ(toolkit::ProgramTitle("C:\\" + so + "\\" + tool + ".exe"), tool);
  EXPECT_EQ(toolkit::ProgramTitle(tool + ".exe"), tool);
  EXPECT_EQ(toolkit::ErrorBoxText("x" + hyo), "x" + hyo + ".");
  // The library scan's folders.
  EXPECT_EQ(dialog::ProgramFolder("C:\\" + hyo + "\\" + so), "C:\\" + hyo + "\\");
  EXPECT_EQ(dialog::ProgramFolder(hyo), "");
  EXPECT_EQ(shared::AddPathSlash("C:\\" + so), "C:\\" + so + "\\");
  EXPECT_EQ(shared::AddPathSlash("C:\\" + so + "\\"), "C:\\" + so + "\\");
  // Separators that a second byte can stand for, and a code page without
  // double-byte characters.
  EXPECT_EQ(shared::FindFirstChar(po + "|" + po, "|"), 2u);
  EXPECT_EQ(shared::FindLastChar(po + "|" + po, "|"), 2u);
  EXPECT_EQ(shared::FindLastChar(po, "|"), std::string::npos);
  EXPECT_EQ(shared::FindLastChar(po, "|", 1252), 1u);
  // The years of a date pattern with text of its own.
  SYSTEMTIME date{};
  date.wYear = 1500;
  date.wMonth = 8;
  date.wDay = 13;
  EXPECT_EQ(dialog::DatePatternText(date, "yyyy" + pe + "M"), "1500" + pe + "8");
}
