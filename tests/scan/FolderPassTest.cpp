// Folder passes over temporary folders: what is listed, what is handed to
// the reader, what becomes a row.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScanFixtures.h"
#include "dialog/LibraryScan.h"
#include "dialog/SystemQueries.h"

using scan_test::TempFolder;

namespace {

struct Row {
  std::string name, productName, legalCopyright, fileVersion, productVersion;
  bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* out) {
  *out << "{" << r.name << ", " << r.productName << ", " << r.legalCopyright << ", " << r.fileVersion << ", "
       << r.productVersion << "}";
}

class RecordingSink final : public dialog::TLibraryRowSink {
 public:
  void AppendRow(const char* fileName, const verinfo::TVersionInfo& reader) override {
    if (throwFor == fileName) throw std::runtime_error("row failed");
    rows.push_back({fileName, reader.ProductNameText(), reader.LegalCopyrightText(), reader.FileVersionText(),
                    reader.ProductVersionText()});
  }
  std::vector<Row> rows;
  std::string throwFor;
};

std::vector<std::string> Listed(const std::string& folder) {
  std::vector<std::string> names{"poison"};
  names.clear();
  dialog::ForEachFolderFile(folder, [&](const char* name) { names.push_back(name); });
  return names;
}

const Row kFullRow{"", "Zentrix Fixture", "Copyright (C) Fixture Authors", "7.1.0.3", "7.1"};

Row FullRow(const std::string& name) {
  Row row = kFullRow;
  row.name = name;
  return row;
}

class FolderPassTest : public ::testing::Test {
 protected:
  std::vector<Row> Scan(const std::string& folder) {
    sink_.rows.clear();
    dialog::ScanLibraryFolder(folder, reader_, sink_);
    return sink_.rows;
  }
  TempFolder folder_;
  verinfo::TVersionInfo reader_{"start"};
  RecordingSink sink_;
};

}  // namespace

TEST_F(FolderPassTest, SubfoldersOfEveryAttributeAndTheDotsAreNeverListed) {
  const DWORD flags[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                         FILE_ATTRIBUTE_ARCHIVE};
  for (DWORD combination = 0; combination < 16; ++combination) {
    DWORD attributes = 0;
    for (int bit = 0; bit < 4; ++bit)
      if (combination & (1u << bit)) attributes |= flags[bit];
    ASSERT_TRUE(folder_.AddSubfolder("sub" + std::to_string(combination) + ".dll", attributes));
  }
  ASSERT_TRUE(folder_.AddTextFile("readme.txt"));
  ASSERT_TRUE(folder_.CopyFixture("full", "full.dll"));
  std::vector<std::string> names = Listed(folder_.Path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"full.dll", "readme.txt"}));
  EXPECT_EQ(Scan(folder_.Path()), std::vector<Row>{FullRow("full.dll")}) << "no row from inside a subfolder";
}

TEST_F(FolderPassTest, OneRowPerVersionedFileInListingOrder) {
  ASSERT_TRUE(folder_.CopyFixture("full", "b_full.dll"));
  ASSERT_TRUE(folder_.CopyFixture("no_version", "c_plain.dll"));
  ASSERT_TRUE(folder_.CopyFixture("fixed_only", "a_fixed.dll"));
  ASSERT_TRUE(folder_.AddTextFile("d_notes.txt"));
  ASSERT_TRUE(folder_.CopyFixture("no_strings", "e_bare.exe"));
  std::vector<std::string> order;
  for (const std::string& name : Listed(folder_.Path()))
    if (name != "c_plain.dll" && name != "d_notes.txt") order.push_back(name);
  const std::vector<Row> rows = Scan(folder_.Path());
  ASSERT_EQ(rows.size(), 3u);
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].name, order[i]) << "row " << i;
  const auto find = [&](const char* name) {
    return *std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.name == name; });
  };
  EXPECT_EQ(find("a_fixed.dll"),
            (Row{"a_fixed.dll", "Fixture Product", "(c) Fixture Makers", "5.1.2600.2828", "6.2.0.1"}));
  EXPECT_EQ(find("b_full.dll"), FullRow("b_full.dll"));
  EXPECT_EQ(find("e_bare.exe"), (Row{"e_bare.exe", "", "", "4.0.0.1", "4.0.0.0"}));
}

TEST_F(FolderPassTest, FullPathsJoinFolderAndNameWithOneBackslash) {
  ASSERT_TRUE(folder_.CopyFixture("full", "only.dll"));
  for (const std::string& folder : {folder_.Path(), folder_.Path() + "\\"}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(Scan(folder), std::vector<Row>{FullRow("only.dll")});
    EXPECT_EQ(std::string(reader_.FilePath()), folder_.Child("only.dll"));
  }
}

TEST_F(FolderPassTest, NamesOutsideAsciiKeepTheirAnsiBytes) {
  const std::string text = scan_test::NonAsciiAnsiText();
  if (text.empty()) GTEST_SKIP() << "the ANSI code page " << ::GetACP() << " has none of the candidates";
  const std::string name = "lib_" + text + ".dll";
  ASSERT_TRUE(folder_.CopyFixture("full", name));
  EXPECT_EQ(Scan(folder_.Path()), std::vector<Row>{FullRow(name)});
}

TEST_F(FolderPassTest, AFolderThatCannotBeListedAddsNothing) {
  ASSERT_TRUE(folder_.CopyFixture("full", "file.dll"));
  for (const std::string& folder : {folder_.Child("missing"), folder_.Child("file.dll"), std::string()}) {
    SCOPED_TRACE(folder);
    EXPECT_TRUE(Listed(folder).empty());
    EXPECT_TRUE(Scan(folder).empty());
    EXPECT_STREQ(reader_.FilePath(), "start") << "nothing handed to the reader";
  }
}

TEST_F(FolderPassTest, AFolderWithoutVersionedFilesAddsNothing) {
  ASSERT_TRUE(folder_.AddTextFile("a.txt"));
  ASSERT_TRUE(folder_.CopyFixture("no_version", "b.dll"));
  EXPECT_TRUE(Scan(folder_.Path()).empty());
}

TEST_F(FolderPassTest, AnErrorWithOneFileDropsOnlyThatFile) {
  ASSERT_TRUE(folder_.CopyFixture("full", "one.dll"));
  ASSERT_TRUE(folder_.CopyFixture("full", "two.dll"));
  ASSERT_TRUE(folder_.CopyFixture("full", "three.dll"));
  const std::vector<std::string> order = Listed(folder_.Path());
  ASSERT_EQ(order.size(), 3u);
  sink_.throwFor = order[0];
  EXPECT_EQ(Scan(folder_.Path()), (std::vector<Row>{FullRow(order[1]), FullRow(order[2])}));
}

TEST(LibraryFolders, HostFolderIsTheExecutablesFolderWithItsBackslash) {
  const dialog::TLibraryFolders folders = dialog::LibraryFolders();
  const std::string folder = folders.host;
  EXPECT_EQ(folder, testing_paths::BesideExecutable(""));
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(dialog::PlatformQueries().hostProgramPath(), folder + "scan_tests.exe");
  EXPECT_EQ(folders.hostProgram, folder + "scan_tests.exe");
  EXPECT_EQ(dialog::ProgramFolder("C:host.exe"), "C:") << "a colon ends a folder too";
  EXPECT_EQ(dialog::ProgramFolder("host.exe"), "");
}

TEST(LibraryFolders, SystemFolderIsThePlatformsOne) {
  char expected[MAX_PATH + 1] = {};
  ASSERT_GT(::GetSystemDirectoryA(expected, sizeof expected), 0u);
  EXPECT_EQ(dialog::PlatformQueries().systemFolder(), expected);
  const dialog::TLibraryFolders folders = dialog::LibraryFolders();
  EXPECT_EQ(folders.host, dialog::ProgramFolder(dialog::PlatformQueries().hostProgramPath()));
  EXPECT_EQ(folders.system, expected);
}
