// The searches of ANSI texts for a separator or an end, run with a Japanese
// locale (code page 932) over characters whose second bytes are those of
// '\', '|' and 'y'.
#include <gtest/gtest.h>

#include "dialog/LabelTexts.h"
#include "dialog/LibraryScan.h"
#include "shared/AnsiChars.h"
#include "shared/PathUtils.h"
#include "toolkit/Application.h"

TEST(CodePage932, SearchesStepOverTheSecondBytesOfCharacters) {
  ASSERT_EQ(::GetACP(), 932u) << "run with a Japanese locale, e.g. LC_ALL=ja_JP.UTF-8";
  const std::string hyo = "\x95\\", po = "\x83|", pe = "\x83y";       // 表, ポ, ペ
  const std::string tool = hyo + "\x8E\xA6\x83\x63\x81\x5B\x83\x8B";  // 表示ツール
  EXPECT_EQ(toolkit::ProgramTitle("C:\\" + hyo + "\\" + tool + ".exe"), tool);
  EXPECT_EQ(toolkit::ErrorBoxText("x" + hyo), "x" + hyo + ".");
  EXPECT_EQ(dialog::ProgramFolder("C:\\" + hyo + "\\" + tool), "C:\\" + hyo + "\\");
  EXPECT_EQ(dialog::ProgramFolder(hyo), "");
  EXPECT_EQ(shared::AddPathSlash("C:\\" + hyo), "C:\\" + hyo + "\\");
  EXPECT_EQ(shared::FindLastChar(po + "|" + po, "|"), 2u);
  EXPECT_EQ(shared::FindLastChar(po, "|", 1252), 1u) << "1252 has no double-byte characters";
  const SYSTEMTIME date{1500, 8, 0, 13, 0, 0, 0, 0};
  EXPECT_EQ(dialog::DatePatternText(date, "yyyy" + pe + "M"), "1500" + pe + "8");
}
