// A folder walk meets files it cannot read: one locked by another handle,
// one deleted between the listing and the read. Each gives an error row
// and the walk goes on. The deletion happens in the walk's own hand-over,
// so it falls exactly between the two.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "shared/Scoped.h"
#include "tests/scan/ScanFixtures.h"
#include "verinfo/ExactFile.h"
#include "verinfo/FileWalk.h"
#include "verinfo/Inventory.h"

namespace {

// The tool's own sink, with the deletion of one named file just before it
// is read.
class TDeletingSink : public verinfo::TWalkSink {
 public:
  TDeletingSink(verinfo::TInventory& inventory, std::wstring victim)
      : inventory_(inventory), victim_(victim) {}
  void File(const std::wstring& shown, const std::wstring& exact) override {
    if (shown.size() >= victim_.size() &&
        shown.compare(shown.size() - victim_.size(), victim_.size(), victim_) == 0)
      ::DeleteFileW(exact.c_str());
    inventory_.AddFile(shown, exact);
  }
  void FolderFailed(const std::wstring& shown, DWORD error) override {
    inventory_.AddFailure(shown, verinfo::ErrorText("cannot list folder", error));
  }

 private:
  verinfo::TInventory& inventory_;
  const std::wstring victim_;
};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

TEST(TreeWalk, ALockedAndAVanishedFileGiveErrorRowsAndTheWalkGoesOn) {
  scan_test::TempFolder folder;
  ASSERT_TRUE(folder.CopyFixture("full", "locked.dll") && folder.CopyFixture("full", "vanishing.dll") &&
              folder.CopyFixture("translations", "plain.dll"));
  ASSERT_TRUE(::CreateDirectoryA(folder.Child("below").c_str(), nullptr));
  ASSERT_TRUE(folder.CopyFixture("full", "below\\deeper.dll"));
  // No sharing at all: every other open fails while this handle lives.
  const HANDLE lock = ::CreateFileA(folder.Child("locked.dll").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const shared::ScopedHandle held(lock);

  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  {
    verinfo::TInventory inventory(verinfo::TRowFormat::Json, out);
    TDeletingSink sink(inventory, L"vanishing.dll");
    const std::wstring shown = Wide(folder.Path());
    verinfo::WalkFolder(shown, verinfo::ExactFolderPath(shown.c_str()), true, sink);
  }
  std::rewind(out);
  std::map<std::string, nlohmann::json> rows;
  char line[8192];
  while (std::fgets(line, sizeof line, out)) {
    const nlohmann::json row = nlohmann::json::parse(line);
    const std::string path = row["path"];
    rows[path.substr(path.find_last_of('\\') + 1)] = row;
  }
  std::fclose(out);

  ASSERT_EQ(rows.size(), 4u) << "one row for each file, the walk going on past both failures";
  EXPECT_EQ(rows["locked.dll"]["status"], "error");
  EXPECT_EQ(rows["locked.dll"]["error"], "cannot open: locked by another process (32)");
  EXPECT_EQ(rows["vanishing.dll"]["status"], "error");
  EXPECT_EQ(rows["vanishing.dll"]["error"], "cannot open: file not found (2)");
  EXPECT_EQ(rows["plain.dll"]["strings"]["ProductName"], "Erstes Produkt");
  EXPECT_EQ(rows["deeper.dll"]["status"], "ok");
  EXPECT_TRUE(rows["deeper.dll"]["versionInfo"].get<bool>());
}
