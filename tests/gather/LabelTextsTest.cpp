// The pure rules that turn system records into label texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "dialog/LabelTexts.h"
#include "shared/FpuControlWord.h"

using namespace dialog;

TEST(LabelTextsTest, WindowsTypeByPlatform) {
  EXPECT_EQ(WindowsTypeText(0), "Windows 3.1x/32s");
  EXPECT_EQ(WindowsTypeText(1), "Windows 9x");
  EXPECT_EQ(WindowsTypeText(2), "Windows NT");
  EXPECT_FALSE(WindowsTypeText(3)) << "the label keeps its text";
}

TEST(LabelTextsTest, VersionAndBuild) {
  EXPECT_EQ(WinVersionText({4, 10, 0, 1}), "4.10");
  EXPECT_EQ(WinVersionText({5, 1, 0, 2}), "5.1");
  EXPECT_EQ(WinVersionText({10, 0, 0, 2}), "10.0");
  EXPECT_EQ(WinBuildText({4, 10, 0x040A08AE, 1}), "2222") << "only the low 16 bits";
  EXPECT_EQ(WinBuildText({10, 0, 19045, 2}), "19045");
  EXPECT_EQ(WinBuildText({0, 0, 0xFFFFFFFF, 2}), "65535");
}

TEST(LabelTextsTest, ArchitectureAndIntelExtras) {
  const ArchitectureTexts pentium = ArchitectureText({0, 586});
  EXPECT_EQ(pentium.architecture, "Intel Processor Architecture");
  EXPECT_TRUE(pentium.intelExtras);
  EXPECT_EQ(pentium.cpuType, "Pentium");
  EXPECT_EQ(ArchitectureText({0, 386}).cpuType, "80386");
  EXPECT_EQ(ArchitectureText({0, 486}).cpuType, "80486");
  const ArchitectureTexts amd64Type = ArchitectureText({0, 8664});
  EXPECT_TRUE(amd64Type.intelExtras);
  EXPECT_FALSE(amd64Type.cpuType) << "type 8664 leaves the label's text";
  EXPECT_EQ(ArchitectureText({1, 586}).architecture, "MIPS Processor Architecture");
  EXPECT_EQ(ArchitectureText({2, 0}).architecture, "DEC ALPHA Processor Architecture");
  EXPECT_EQ(ArchitectureText({3, 0}).architecture, "PPC Processor Architecture");
  EXPECT_EQ(ArchitectureText({0xFFFF, 0}).architecture, "Unknown Processor Architecture");
  for (uint16_t other : {6, 9, 12}) {
    const ArchitectureTexts texts = ArchitectureText({other, 586});
    EXPECT_FALSE(texts.architecture) << other;
    EXPECT_FALSE(texts.intelExtras) << other;
    EXPECT_FALSE(texts.cpuType) << other;
  }
}

TEST(LabelTextsTest, EmulatedProcessorsGiveWayToTheMachinesArchitecture) {
  using dialog::NativeProcessor;
  for (uint16_t asReported : {0x0000, 0x014C, 0x8664})  // not known, x86, x64
    EXPECT_EQ(NativeProcessor({0, 586}, asReported).processorType, 586u) << asReported;
  EXPECT_EQ(NativeProcessor({0, 586}, 0xAA64).architecture, 12) << "ARM64";
  EXPECT_EQ(NativeProcessor({0, 586}, 0x01C4).architecture, 5) << "ARM";
  EXPECT_EQ(NativeProcessor({0, 586}, 0x5064).architecture, 0xFFFF) << "a machine without a name here";
}

TEST(LabelTextsTest, MemoryRowsInKilobytesAndPercent) {
  const MemoryCounts m{100000000, 33333333, 1024, 256};
  EXPECT_EQ(MemoryRowText(1, m), "97656 KB");
  EXPECT_EQ(MemoryRowText(2, m), "32552 KB");
  EXPECT_EQ(MemoryRowText(3, m), "33 %");
  EXPECT_EQ(MemoryRowText(4, m), "1 KB");
  EXPECT_EQ(MemoryRowText(5, m), "0 KB");
  EXPECT_EQ(MemoryRowText(6, m), "75 %");
  EXPECT_EQ(MemoryRowText(1, {1023, 0, 1, 1}), "0 KB");
  EXPECT_EQ(MemoryRowText(1, {1536, 0, 1, 1}), "1 KB");
  EXPECT_EQ(MemoryRowText(3, {199, 150, 1, 1}), "150 %") << "not capped";
  const MemoryCounts same{1000, 10, 4096, 4096};
  EXPECT_EQ(MemoryRowText(5, same), "0 KB");
  EXPECT_EQ(MemoryRowText(6, same), "0 %");
}

TEST(LabelTextsTest, MemoryAboveFourGigabytesIsNotClamped) {
  const uint64_t gb = 1024ull * 1024 * 1024;
  const MemoryCounts m{64 * gb, 48 * gb, 80 * gb, 20 * gb};
  EXPECT_EQ(MemoryRowText(1, m), "67108864 KB");
  EXPECT_EQ(MemoryRowText(2, m), "50331648 KB");
  EXPECT_EQ(MemoryRowText(3, m), "75 %");
  EXPECT_EQ(MemoryRowText(5, m), "62914560 KB");
  EXPECT_EQ(MemoryRowText(6, m), "75 %");
  EXPECT_EQ(MemoryRowText(1, {0xFFFFFFFFull, 0, 1, 1}), "4194303 KB") << "no sign at 4 GB - 1";
}

TEST(LabelTextsTest, MemoryEdgeCasesGiveTextsNotCrashes) {
  try {
    MemoryRowText(3, {99, 50, 1, 1});
    ADD_FAILURE() << "row 3 below 100 bytes must raise";
  } catch (const std::domain_error& e) {
    EXPECT_STREQ(e.what(), "Division by zero");
  }
  EXPECT_EQ(MemoryRowText(6, {1, 1, 0, 0}), "No information") << "no page file";
  EXPECT_EQ(MemoryRowText(5, {1, 1, 100, 200}), "0 KB") << "more free than total";
}

class PageFilePrecisionTest : public ::testing::TestWithParam<std::tuple<uint16_t, uint64_t, const char*>> {};

TEST_P(PageFilePrecisionTest, UsedShareFollowsTheCallersPrecision) {
  const auto [word, available, expected] = GetParam();
  const uint16_t saved = shared::ReadFpuControlWord();
  shared::WriteFpuControlWord(word);
  const std::string text = MemoryRowText(6, {1, 1, 100, available});
  shared::WriteFpuControlWord(saved);
  EXPECT_EQ(text, expected);
}

// 0x1332: 64-bit significand, exceptions enabled as the host runs;
// 0x1232: 53-bit significand.
INSTANTIATE_TEST_SUITE_P(HostWords, PageFilePrecisionTest,
                         ::testing::Values(std::make_tuple(uint16_t{0x1332}, uint64_t{53}, "48 %"),
                                           std::make_tuple(uint16_t{0x1332}, uint64_t{29}, "71 %"),
                                           std::make_tuple(uint16_t{0x1232}, uint64_t{53}, "47 %"),
                                           std::make_tuple(uint16_t{0x1232}, uint64_t{29}, "72 %")));

TEST(LabelTextsTest, BiosTextStopsAtZeroOrAtTheBytesRead) {
  const unsigned char multi[] = "first\0second";
  EXPECT_EQ(BiosBufferText(multi, sizeof multi), "first");
  const unsigned char noZero[4] = {'A', 'B', 'C', 'D'};
  EXPECT_EQ(BiosBufferText(noZero, 3), "ABC") << "never past the bytes read";
  EXPECT_EQ(BiosBufferText(noZero, 0), "");
}

namespace {

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

TEST(LabelTextsTest, DatesFromDateTimes) {
  SYSTEMTIME date;
  ASSERT_TRUE(DateFromDateTime(Bits(38212.0), &date));
  EXPECT_EQ(date.wYear, 2004);
  EXPECT_EQ(date.wMonth, 8);
  EXPECT_EQ(date.wDay, 13);
  EXPECT_EQ(date.wDayOfWeek, 5) << "a Friday";
  ASSERT_TRUE(DateFromDateTime(Bits(38212.75), &date)) << "the time of day is dropped";
  EXPECT_EQ(date.wDay, 13);
  ASSERT_TRUE(DateFromDateTime(Bits(0.0), &date));
  EXPECT_EQ(date.wYear, 1899);
  EXPECT_EQ(date.wMonth, 12);
  EXPECT_EQ(date.wDay, 30);
  ASSERT_TRUE(DateFromDateTime(Bits(-693593.0), &date));
  EXPECT_EQ(date.wYear, 1);
  EXPECT_EQ(date.wMonth, 1);
  EXPECT_EQ(date.wDay, 1);
  ASSERT_TRUE(DateFromDateTime(Bits(2958465.0), &date));
  EXPECT_EQ(date.wYear, 9999);
  EXPECT_EQ(date.wMonth, 12);
  EXPECT_EQ(date.wDay, 31);
  ASSERT_TRUE(DateFromDateTime(Bits(59.0), &date));  // 1900 is no leap year
  EXPECT_EQ(date.wMonth, 2);
  EXPECT_EQ(date.wDay, 27);
  ASSERT_TRUE(DateFromDateTime(Bits(36585.0), &date));  // 2000 is one
  EXPECT_EQ(date.wMonth, 2);
  EXPECT_EQ(date.wDay, 29);
}

TEST(LabelTextsTest, DatesOutOfRangeOrNotNumbersAreRefused) {
  SYSTEMTIME date;
  EXPECT_FALSE(DateFromDateTime(Bits(2958466.0), &date));
  EXPECT_FALSE(DateFromDateTime(Bits(-693594.0), &date));
  EXPECT_FALSE(DateFromDateTime(Bits(std::numeric_limits<double>::infinity()), &date));
  EXPECT_FALSE(DateFromDateTime(Bits(1e300), &date));
  // A signalling NaN from the registry must not reach the x87 unit while the
  // host runs with the invalid-operation exception enabled.
  const uint16_t saved = shared::ReadFpuControlWord();
  shared::WriteFpuControlWord(0x1332);
  const bool signalling = DateFromDateTime(0x7FF0000000000001ull, &date);
  const bool quiet = DateFromDateTime(0xFFF8000000000000ull, &date);
  // A denormal is finite: day 0, under exceptions that would trap on it.
  shared::WriteFpuControlWord(0x1330);
  const bool denormal = DateFromDateTime(1, &date);
  const uint16_t after = shared::ReadFpuControlWord();
  shared::WriteFpuControlWord(saved);
  EXPECT_FALSE(signalling);
  EXPECT_FALSE(quiet);
  EXPECT_TRUE(denormal);
  EXPECT_EQ(date.wYear, 1899);
  EXPECT_EQ(after & 0x3F, 0x30) << "the caller's exception masks are back";
}

TEST(LabelTextsTest, ShortDateFollowsTheRegionalSettings) {
  SYSTEMTIME date;
  ASSERT_TRUE(DateFromDateTime(Bits(38212.0), &date));
  char expected[64] = {};
  ASSERT_GT(::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, expected, sizeof expected),
            0);
  EXPECT_EQ(ShortDateText(date), expected);
  EXPECT_NE(ShortDateText(date).find("13"), std::string::npos);
}

TEST(LabelTextsTest, Windows11IsToldApartByItsBuild) {
  const OsVersion windows11{10, 0, 22631, 2};
  EXPECT_EQ(Windows11ProductName("Windows 10 Pro", windows11), "Windows 11 Pro");
  EXPECT_EQ(Windows11ProductName("Windows 10 Enterprise LTSC", {10, 0, 22000, 2}),
            "Windows 11 Enterprise LTSC");
  EXPECT_EQ(Windows11ProductName("Windows 10", windows11), "Windows 11");
  EXPECT_FALSE(Windows11ProductName("Windows 10 Pro", {10, 0, 19045, 2})) << "Windows 10 itself";
  EXPECT_FALSE(Windows11ProductName("Windows 10 Pro", {10, 0, 21999, 2}));
  EXPECT_FALSE(Windows11ProductName("Windows Server 2022 Standard", {10, 0, 20348, 2}));
  EXPECT_FALSE(Windows11ProductName("Windows 100", windows11)) << "a whole word only";
  EXPECT_FALSE(Windows11ProductName("Windows 11 Pro", windows11)) << "a true name stands";
  EXPECT_FALSE(Windows11ProductName("No information", windows11));
}

TEST(LabelTextsTest, YearsBeforeSixteenHundredOneKeepTheUsersPattern) {
  SYSTEMTIME date{};
  date.wYear = 5, date.wMonth = 8, date.wDay = 13;
  EXPECT_EQ(DatePatternText(date, "M/d/yyyy"), "8/13/0005");
  EXPECT_EQ(DatePatternText(date, "dd.MM.yy"), "13.08.05");
  EXPECT_EQ(DatePatternText(date, "y-M-d"), "5-8-13");
  EXPECT_EQ(DatePatternText(date, "'yy' yyyy"), "yy 0005") << "quoted letters stay text";
  date.wYear = 1600, date.wMonth = 12, date.wDay = 31;
  EXPECT_EQ(DatePatternText(date, "yyyy-MM-dd"), "1600-12-31");
  // Day and month names come from the platform, for a day of the same
  // weekday 2000 years on (the calendar repeats every 400 years).
  SYSTEMTIME later = date;
  later.wYear = 3600;
  char names[64] = {};
  ASSERT_GT(::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &later, "dddd, MMMM d", names, sizeof names), 0);
  EXPECT_EQ(DatePatternText(date, "dddd, MMMM d, yyyy"), std::string(names) + ", 1600");
  date.wYear = 1601, date.wMonth = 1, date.wDay = 1;
  EXPECT_EQ(DatePatternText(date, "yyyy-MM-dd"), "1601-01-01") << "the platform's own from here";
}
