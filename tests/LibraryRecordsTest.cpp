// The two host records as the library fills them, checked byte by byte over
// records pre-filled with a pattern.
#include <string>

#include "LibraryFixture.h"
#include "host/RecordCheck.h"
#include "plugin/PlugInContract.h"

using plugin::TPlugInInfo;
using plugin::TPlugInLibInfo;

namespace {

constexpr uint8_t kPattern = 0xA5;
constexpr size_t kSlack = 32;

std::string Text(const std::vector<uint8_t>& record, size_t offset) {
  return reinterpret_cast<const char*>(record.data() + offset);
}

// True when every byte of [from, to) still holds the pattern.
bool Untouched(const std::vector<uint8_t>& record, size_t from, size_t to) {
  for (size_t b = from; b < to; ++b) {
    if (record[b] != kPattern) return false;
  }
  return true;
}

}  // namespace

class LibraryRecordsTest : public LibraryTest {
 protected:
  std::vector<uint8_t> InitOver(std::vector<uint8_t> record) const {
    lib_.Init(reinterpret_cast<TPlugInLibInfo*>(record.data()));
    return record;
  }
  std::vector<uint8_t> RequestOver(uint32_t request, std::vector<uint8_t> record) const {
    last_ = host::PlugInLibrary::LibProc(LibInfo(), request, record.data());
    return record;
  }
  mutable host::CallResult last_{};
};

TEST_F(LibraryRecordsTest, LibInfoHoldsTheLibrarysValues) {
  const auto r = InitOver(std::vector<uint8_t>(sizeof(TPlugInLibInfo) + kSlack, kPattern));
  EXPECT_EQ(Text(r, offsetof(TPlugInLibInfo, LibFileName)), "zentrix.pdl");
  EXPECT_EQ(U32(r, offsetof(TPlugInLibInfo, Number268)), 1u);
  EXPECT_EQ(U32(r, offsetof(TPlugInLibInfo, Number272)), 0u);
  EXPECT_EQ(U32(r, offsetof(TPlugInLibInfo, Number276)), 1u);
  const std::string copyright = Text(r, offsetof(TPlugInLibInfo, LibCopyright));
  EXPECT_NE(copyright.find("Copyright"), std::string::npos) << copyright;
  EXPECT_LE(copyright.size(), 260u);
  EXPECT_EQ(copyright.find_first_of("\r\n"), std::string::npos) << "the notice is one line";
  EXPECT_EQ(U32(r, offsetof(TPlugInLibInfo, Number804)), 1u);
  EXPECT_EQ(U32(r, offsetof(TPlugInLibInfo, Number808)), 98304u);
  EXPECT_TRUE(lib_.Contains(U32(r, offsetof(TPlugInLibInfo, LibProc))));
  EXPECT_EQ(U32(r, offsetof(TPlugInLibInfo, Number816)), 0u);
  EXPECT_EQ(U32(r, offsetof(TPlugInLibInfo, Number820)), 0u);
}

TEST_F(LibraryRecordsTest, LibInfoLeavesTheHostsBytesAlone) {
  const auto r = InitOver(std::vector<uint8_t>(sizeof(TPlugInLibInfo) + kSlack, kPattern));
  EXPECT_TRUE(Untouched(r, 0, 4));
  EXPECT_TRUE(Untouched(r, offsetof(TPlugInLibInfo, LibFileName) + sizeof("zentrix.pdl"), 268));
  const size_t copyrightEnd =
      offsetof(TPlugInLibInfo, LibCopyright) + Text(r, offsetof(TPlugInLibInfo, LibCopyright)).size() + 1;
  EXPECT_TRUE(Untouched(r, copyrightEnd, 804)) << "text field tail, then the span 541..803";
  EXPECT_TRUE(Untouched(r, 824, r.size()));
}

TEST_F(LibraryRecordsTest, InitReadsNothingSoGarbageAndZerosFillAlike) {
  std::vector<uint8_t> garbage(sizeof(TPlugInLibInfo));
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 131 + 7);
  const auto fromGarbage = InitOver(garbage);
  const auto fromZeros = InitOver(std::vector<uint8_t>(sizeof(TPlugInLibInfo), 0));
  const auto twice = InitOver(fromGarbage);
  EXPECT_EQ(twice, fromGarbage);

  const std::vector<bool> written =
      host::WrittenMask(garbage.size(), plugin::kLibInfoWrites, std::size(plugin::kLibInfoWrites));
  for (size_t b = 0; b < garbage.size(); ++b) {
    if (written[b]) {
      ASSERT_EQ(fromGarbage[b], fromZeros[b]) << "offset " << b;
    } else {
      ASSERT_EQ(fromGarbage[b], garbage[b]) << "host byte changed at offset " << b;
    }
  }
}

TEST_F(LibraryRecordsTest, PlugInInfoHoldsThePlugInsValues) {
  const auto r = RequestOver(1, std::vector<uint8_t>(sizeof(TPlugInInfo) + kSlack, kPattern));
  EXPECT_EQ(last_.value, 3u);
  EXPECT_EQ(Text(r, offsetof(TPlugInInfo, PlugInName)), "System Information Plug-In");
  EXPECT_EQ(Text(r, offsetof(TPlugInInfo, PlugInDescription)),
            "System information plug-in for Tavrel Corvane");
  EXPECT_EQ(U32(r, offsetof(TPlugInInfo, Number528)), 5u);
  EXPECT_EQ(Text(r, offsetof(TPlugInInfo, PlugInCaption)), "System information");
  EXPECT_EQ(U32(r, offsetof(TPlugInInfo, Number1576)), 1u);
  EXPECT_EQ(U32(r, offsetof(TPlugInInfo, Number1580)), 65536u);
  EXPECT_TRUE(lib_.Contains(U32(r, offsetof(TPlugInInfo, FuncProc))));

  EXPECT_TRUE(Untouched(r, 0, 4));
  EXPECT_TRUE(Untouched(r, 4 + sizeof("System Information Plug-In"), 265));
  EXPECT_TRUE(Untouched(r, 265 + sizeof("System information plug-in for Tavrel Corvane"), 528));
  EXPECT_TRUE(Untouched(r, 532 + sizeof("System information"), 1576));
  EXPECT_TRUE(Untouched(r, 1584, 1592));
  EXPECT_TRUE(Untouched(r, 1596, r.size()));
}

TEST_F(LibraryRecordsTest, PlugInInfoIsTheSameOnEveryRequest) {
  const auto first = RequestOver(1, std::vector<uint8_t>(sizeof(TPlugInInfo), kPattern));
  const auto second = RequestOver(1, first);
  EXPECT_EQ(first, second);
  const auto overZeros = RequestOver(1, std::vector<uint8_t>(sizeof(TPlugInInfo), 0));
  EXPECT_TRUE(host::CheckRecord(std::vector<uint8_t>(sizeof(TPlugInInfo), 0), overZeros,
                                plugin::kPlugInInfoWrites,
                                [&](plugin::EntryAddress, uint32_t a) { return lib_.Contains(a); })
                  .empty());
}

TEST_F(LibraryRecordsTest, UnservedRequestsWriteNothingAndReturnTwo) {
  for (uint32_t request : {2u, 3u, 17u, 0x80000000u, 0xFFFFFFFFu}) {
    const auto r = RequestOver(request, std::vector<uint8_t>(sizeof(TPlugInInfo), kPattern));
    EXPECT_EQ(last_.value, 2u) << "request " << request;
    EXPECT_TRUE(Untouched(r, 0, r.size())) << "request " << request;
    const host::CallResult withNull = host::PlugInLibrary::LibProc(LibInfo(), request, nullptr);
    EXPECT_EQ(withNull.value, 2u) << "request " << request << " with a null address";
  }
  const auto r = RequestOver(0, std::vector<uint8_t>(sizeof(TPlugInInfo), kPattern));
  EXPECT_TRUE(Untouched(r, 0, r.size())) << "request 0 does nothing";
  EXPECT_NE(host::PlugInLibrary::LibProc(LibInfo(), 0, nullptr).value, 3u);
}
