#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shared/LangTable.h"

using shared::LangText;

namespace {

struct Expected {
  const LangText* entry;
  int position;
  const char* text;
};

const Expected kDefaults[] = {
    {&shared::sSysInfoCaption, 2, "System information"},
    {&shared::sWinSheet, 318, "Windows"},
    {&shared::sWinTitle, 319, "Windows Information"},
    {&shared::sSysSheet, 320, "System"},
    {&shared::sSysTitle, 321, "Computer Information"},
    {&shared::sMemSheet, 322, "Memory"},
    {&shared::sMemTitle, 323, "Memory Information"},
    {&shared::sLibSheet, 324, "System Libraries"},
    {&shared::sLibTitle, 325, "System libraries version information."},
};

}  // namespace

TEST(LangTableTest, EntriesStartWithTheirDefaultsAtTheirPositions) {
  for (const Expected& e : kDefaults) {
    EXPECT_STREQ(e.entry->c_str(), e.text) << "position " << e.position;
    EXPECT_EQ(e.entry->position(), e.position);
  }
}

TEST(LangTableTest, TableListsEachEntryOnceInDeclarationOrder) {
  std::set<const LangText*> seen;
  int previous = -1;
  for (const LangText* entry : shared::kLangEntries) {
    EXPECT_TRUE(seen.insert(entry).second);
    EXPECT_GT(entry->position(), previous);
    previous = entry->position();
  }
  EXPECT_EQ(seen.size(), std::size(kDefaults));
}

TEST(LangTableTest, AssignedTextIsAnOwnedCopy) {
  LangText entry{7, "Default"};
  std::string source = "Systeminformation";
  entry.Assign(source);
  source[0] = 'X';
  EXPECT_STREQ(entry.c_str(), "Systeminformation") << "the entry must not alias the caller's buffer";
  entry.Assign(std::string_view("abc\0def", 3));
  EXPECT_STREQ(entry.c_str(), "abc");
  EXPECT_STREQ(entry.defaultText(), "Default");
  entry.Clear();
  EXPECT_STREQ(entry.c_str(), "");
  entry.Clear();  // clearing twice releases nothing twice
  EXPECT_STREQ(entry.c_str(), "");
}

TEST(LangTableTest, ReplacingAModuleEntryIsSeenByTheNextReader) {
  const std::string before = shared::sWinSheet.c_str();  // what an open dialog copied
  shared::sWinSheet.Assign("Fenster");
  EXPECT_STREQ(shared::sWinSheet.c_str(), "Fenster");
  EXPECT_EQ(before, "Windows");
  shared::sWinSheet.Assign("Windows");
}

TEST(LangTableTest, FinalizeEmptiesEveryEntry) {
  shared::sLibTitle.Assign("owned text");
  shared::FinalizeLangTable();
  for (const LangText* entry : shared::kLangEntries) EXPECT_STREQ(entry->c_str(), "");
  // Put the defaults back for the tests that follow in this process.
  for (const Expected& e : kDefaults) const_cast<LangText*>(e.entry)->Assign(e.text);
}
