// TRegistry against the real registry API, with HKEY_LOCAL_MACHINE mapped
// onto a scratch tree.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ScratchRegistry.h"
#include "dialog/Registry.h"

using dialog::ERegistryException;
using dialog::TRegistry;
using gather_test::ScratchRegistry;

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.valid());
    reg_.SetRootKey(HKEY_LOCAL_MACHINE);
  }
  // The status code of the error a read raises, or ERROR_SUCCESS when it
  // raises none.
  template <typename Read>
  static LONG ErrorOf(Read read) {
    try {
      read();
    } catch (const ERegistryException& e) {
      return e.Code();
    }
    return ERROR_SUCCESS;
  }
  ScratchRegistry scratch_;
  TRegistry reg_;
};

}  // namespace

TEST_F(RegistryTest, AbsoluteAndRelativeOpensAndAFailedOpenKeepsTheKey) {
  scratch_.SetText("A\\B", "Name", "in B");
  scratch_.SetText("A", "Name", "in A");
  EXPECT_TRUE(reg_.OpenKey("\\A"));
  EXPECT_EQ(reg_.CurrentPath(), "A");
  EXPECT_TRUE(reg_.OpenKey("B")) << "relative to the current key";
  EXPECT_EQ(reg_.CurrentPath(), "A\\B");
  EXPECT_EQ(reg_.ReadString("Name"), "in B");
  EXPECT_FALSE(reg_.OpenKey("\\Missing"));
  EXPECT_EQ(reg_.CurrentPath(), "A\\B") << "a failed open leaves the current key";
  EXPECT_EQ(reg_.ReadString("Name"), "in B");
  reg_.CloseKey();
  EXPECT_TRUE(reg_.OpenKey("A")) << "relative with no current key: below the root";
  EXPECT_EQ(reg_.ReadString("name"), "in A") << "value names match without case";
  EXPECT_FALSE(reg_.OpenKey("\\Never\\Created"));
  HKEY probe = nullptr;
  EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Never", 0, KEY_READ, &probe), ERROR_SUCCESS)
      << "never creates";
}

TEST_F(RegistryTest, TextReadsFollowTheTypeAndSizeRules) {
  scratch_.SetText("K", "Plain", "text");
  scratch_.SetText("K", "Expand", "%SystemRoot%\\x", REG_EXPAND_SZ);
  scratch_.Set("K", "Embedded", REG_SZ, "ab\0cd", 6);
  scratch_.Set("K", "Unterminated", REG_SZ, "abc", 3);
  scratch_.Set("K", "EmptyDword", REG_DWORD, nullptr, 0);
  scratch_.Set("K", "EmptyBinary", REG_BINARY, nullptr, 0);
  scratch_.SetDword("K", "Dword", 7);
  scratch_.Set("K", "Multi", REG_MULTI_SZ, "a\0b\0", 5);
  ASSERT_TRUE(reg_.OpenKey("\\K"));
  EXPECT_EQ(reg_.ReadString("Plain"), "text");
  EXPECT_EQ(reg_.ReadString("Expand"), "%SystemRoot%\\x") << "not expanded";
  EXPECT_EQ(reg_.ReadString("Embedded"), "ab");
  EXPECT_EQ(reg_.ReadString("Unterminated"), "abc");
  EXPECT_EQ(reg_.ReadString("EmptyDword"), "") << "no data: empty, whatever the type";
  EXPECT_EQ(reg_.ReadString("EmptyBinary"), "");
  EXPECT_EQ(reg_.ReadString("Absent"), "");
  EXPECT_EQ(ErrorOf([&] { reg_.ReadString("Dword"); }), ERROR_DATATYPE_MISMATCH);
  EXPECT_EQ(ErrorOf([&] { reg_.ReadString("Multi"); }), ERROR_DATATYPE_MISMATCH);
  reg_.CloseKey();
  EXPECT_EQ(reg_.ReadString("Plain"), "") << "no current key";
}

TEST_F(RegistryTest, LargeValuesAreReadWhole) {
  const std::string big(1 << 20, 'x');
  scratch_.SetText("K", "Big", big);
  ASSERT_TRUE(reg_.OpenKey("\\K"));
  EXPECT_EQ(reg_.ReadString("Big"), big);
  std::vector<unsigned char> buffer(1001, 0xCC);
  EXPECT_EQ(ErrorOf([&] { reg_.ReadBinaryData("Big", buffer.data(), buffer.size()); }),
            ERROR_DATATYPE_MISMATCH)
      << "text is no binary data, however long";
}

TEST_F(RegistryTest, BinaryReadsTakeEveryTypeButTextAndNumber) {
  scratch_.Set("K", "Multi", REG_MULTI_SZ, "first\0second\0", 14);
  scratch_.Set("K", "None", REG_NONE, "\x01\x02", 2);
  scratch_.Set("K", "Bin", REG_BINARY, "\x10\x20\x30", 3);
  scratch_.Set("K", "Long", REG_BINARY, std::string(1002, 'a').c_str(), 1002);
  scratch_.SetText("K", "Text", "t");
  scratch_.SetDword("K", "Dword", 1);
  ASSERT_TRUE(reg_.OpenKey("\\K"));
  unsigned char buffer[1001];
  std::memset(buffer, 0xCC, sizeof buffer);
  EXPECT_EQ(reg_.ReadBinaryData("Multi", buffer, sizeof buffer), 14u);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "first");
  EXPECT_EQ(reg_.ReadBinaryData("None", buffer, sizeof buffer), 2u);
  EXPECT_EQ(reg_.ReadBinaryData("Bin", buffer, 3), 3u);
  std::memset(buffer, 0xCC, sizeof buffer);
  EXPECT_EQ(reg_.ReadBinaryData("Absent", buffer, sizeof buffer), 0u);
  EXPECT_EQ(buffer[0], 0xCC) << "an absent value leaves the buffer alone";
  EXPECT_EQ(ErrorOf([&] { reg_.ReadBinaryData("Long", buffer, sizeof buffer); }), ERROR_MORE_DATA);
  for (const char* name : {"Text", "Dword"}) {
    EXPECT_EQ(ErrorOf([&] { reg_.ReadBinaryData(name, buffer, sizeof buffer); }), ERROR_DATATYPE_MISMATCH)
        << name;
  }
}

TEST_F(RegistryTest, DatesAreEightBytesOfBinary) {
  const double day = 38212.0;  // 13 August 2004
  scratch_.Set("K", "Date", REG_BINARY, &day, sizeof day);
  scratch_.SetText("K", "TextDate", "08/13/04");
  scratch_.Set("K", "Short", REG_BINARY, &day, 4);
  scratch_.Set("K", "Dword", REG_DWORD, &day, 4);
  ASSERT_TRUE(reg_.OpenKey("\\K"));
  uint64_t bits;
  std::memcpy(&bits, &day, sizeof bits);
  EXPECT_EQ(reg_.ReadDate("Date"), bits);
  EXPECT_EQ(ErrorOf([&] { reg_.ReadDate("TextDate"); }), ERROR_MORE_DATA) << "9 bytes";
  EXPECT_EQ(ErrorOf([&] { reg_.ReadDate("Short"); }), ERROR_DATATYPE_MISMATCH);
  EXPECT_EQ(ErrorOf([&] { reg_.ReadDate("Dword"); }), ERROR_DATATYPE_MISMATCH);
  EXPECT_EQ(ErrorOf([&] { reg_.ReadDate("Absent"); }), ERROR_FILE_NOT_FOUND);
  reg_.CloseKey();
  EXPECT_EQ(ErrorOf([&] { reg_.ReadDate("Date"); }), ERROR_INVALID_HANDLE) << "no current key";
}

TEST_F(RegistryTest, ValueTypeAsStoredAndNothingWithoutValueOrKey) {
  scratch_.SetText("K", "Text", "08/13/04");
  scratch_.Set("K", "Empty", REG_BINARY, nullptr, 0);
  ASSERT_TRUE(reg_.OpenKey("\\K"));
  EXPECT_EQ(reg_.ValueType("Text"), std::optional<DWORD>(REG_SZ));
  EXPECT_EQ(reg_.ValueType("Empty"), std::optional<DWORD>(REG_BINARY)) << "no data is still a value";
  EXPECT_EQ(reg_.ValueType("Absent"), std::nullopt);
  reg_.CloseKey();
  EXPECT_EQ(reg_.ValueType("Text"), std::nullopt) << "no current key";
}

TEST_F(RegistryTest, SubkeysInEnumerationOrder) {
  for (const char* name : {"A", "B", "C"}) scratch_.AddKey(std::string("Enum\\Root\\") + name);
  scratch_.AddKey("Empty");
  std::vector<std::string> names{"stale"};
  EXPECT_FALSE(reg_.HasSubKeys()) << "no current key";
  reg_.GetKeyNames(names);
  EXPECT_TRUE(names.empty());
  ASSERT_TRUE(reg_.OpenKey("\\Enum\\Root\\"));
  EXPECT_TRUE(reg_.HasSubKeys());
  reg_.GetKeyNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
  ASSERT_TRUE(reg_.OpenKey("\\Empty"));
  EXPECT_FALSE(reg_.HasSubKeys());
}

TEST_F(RegistryTest, ReadOnlyKeysAreReadAsAStandardUserWould) {
  scratch_.SetText("Locked", "ProductName", "Readable");
  scratch_.MakeReadOnly("Locked");
  HKEY probe = nullptr;
  const LONG full = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Locked", 0, KEY_ALL_ACCESS, &probe);
  if (full == ERROR_SUCCESS) {
    ::RegCloseKey(probe);
    GTEST_SKIP() << "this registry does not enforce key security";
  }
  EXPECT_EQ(full, ERROR_ACCESS_DENIED);
  ASSERT_TRUE(reg_.OpenKey("\\Locked"));
  EXPECT_EQ(reg_.ReadString("ProductName"), "Readable");
}

TEST_F(RegistryTest, SettingTheRootClosesTheKey) {
  scratch_.AddKey("K");
  ASSERT_TRUE(reg_.OpenKey("\\K"));
  reg_.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg_.HasCurrentKey());
  EXPECT_EQ(reg_.CurrentPath(), "");
}
