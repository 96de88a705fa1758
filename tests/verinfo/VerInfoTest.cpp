// TVersionInfo against version resources of our own, one fixture DLL per
// case (tests/verinfo/fixtures).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/TestPaths.h"
#include "tests/verinfo/PlatformVersion.h"
#include "verinfo/ExactFile.h"
#include "verinfo/VerInfo.h"

using testing_paths::FixturePath;
using testing_platform::Texts;
using verinfo::FormatTranslationKey;
using verinfo::FormatVersionPair;
using verinfo::TVersionInfo;
using verinfo::TVersionPair;

namespace {

// Every text read into a poisoned string, so a query that writes nothing
// cannot pass for one that answers "".
Texts Read(const TVersionInfo& reader) {
  Texts t{reader.HasInfo(), "poison", "poison", "poison", "poison"};
  reader.ProductNameText(t.productName);
  reader.LegalCopyrightText(t.legalCopyright);
  reader.FileVersionText(t.fileVersion);
  reader.ProductVersionText(t.productVersion);
  // The returning forms give the same texts.
  EXPECT_EQ(reader.ProductNameText(), t.productName);
  EXPECT_EQ(reader.LegalCopyrightText(), t.legalCopyright);
  EXPECT_EQ(reader.FileVersionText(), t.fileVersion);
  EXPECT_EQ(reader.ProductVersionText(), t.productVersion);
  return t;
}

Texts ReadFile(const std::string& path) {
  const TVersionInfo reader(path.c_str());
  return Read(reader);
}

const Texts kNothing{false, "", "", "", ""};

}  // namespace

TEST(VersionFormat, PrintsTheFourHalvesHighFirst) {
  EXPECT_EQ(FormatVersionPair({0x00050001, 0x0A280B0C}), "5.1.2600.2828");
  EXPECT_EQ(FormatVersionPair({0, 0}), "0.0.0.0");
}

TEST(VersionFormat, HalvesAreUnsigned) {
  EXPECT_EQ(FormatVersionPair({0xFFFFFFFF, 0x8000FFFF}), "65535.65535.32768.65535");
  std::string text = "poison";
  FormatVersionPair(TVersionPair{0x7FFF8000, 0x00010002}, text);
  EXPECT_EQ(text, "32767.32768.1.2");
}

TEST(VersionFormat, TranslationKeyIsUpperCaseHexLanguageFirst) {
  EXPECT_EQ(FormatTranslationKey(0x0409, 0x04E4), "040904E4");
  EXPECT_EQ(FormatTranslationKey(0x0409, 0x04B0), "040904B0");
  EXPECT_EQ(FormatTranslationKey(0xABCD, 0xEF01), "ABCDEF01");
  EXPECT_EQ(FormatTranslationKey(0, 0), "00000000");
}

TEST(VersionInfo, AFullResourceGivesItsFourTexts) {
  EXPECT_EQ(ReadFile(FixturePath("full")),
            (Texts{true, "Zentrix Fixture", "Copyright (C) Fixture Authors", "7.1.0.3", "7.1"}));
}

TEST(VersionInfo, MissingVersionStringsComeFromTheFixedBlock) {
  EXPECT_EQ(ReadFile(FixturePath("fixed_only")),
            (Texts{true, "Fixture Product", "(c) Fixture Makers", "5.1.2600.2828", "6.2.0.1"}));
}

TEST(VersionInfo, FixedBlockHalvesOf0xFFFFPrintAs65535) {
  EXPECT_EQ(ReadFile(FixturePath("max_halves")),
            (Texts{true, "Max Halves", "", "65535.65535.65535.65535", "65535.0.32768.1"}));
}

TEST(VersionInfo, TheFirstTranslationWins) {
  // First entry German 1252; the US-English table comes first in the data.
  EXPECT_EQ(ReadFile(FixturePath("translations")),
            (Texts{true, "Erstes Produkt", "Erster Eigner", "1.0 de", "1.0 Produkt"}));
}

TEST(VersionInfo, AStoredVersionTextIsKeptWhole) {
  EXPECT_EQ(ReadFile(FixturePath("text_version")),
            (Texts{true, "Text Version", "", "5.1.2600.2180 (xpsp_sp2_rtm.040803-2158)", "2.5\tbeta"}));
}

TEST(VersionInfo, WithoutATranslationNoStringIsFound) {
  EXPECT_EQ(ReadFile(FixturePath("no_translation")), (Texts{true, "", "", "3.2.1.0", "3.2.0.0"}));
}

TEST(VersionInfo, WithoutAStringTableOnlyTheVersionsAreGiven) {
  EXPECT_EQ(ReadFile(FixturePath("no_strings")), (Texts{true, "", "", "4.0.0.1", "4.0.0.0"}));
}

TEST(VersionInfo, AnEmptyTranslationValueIsNoEntry) {
  // The bytes after the empty value name a table that holds "Wrong table".
  EXPECT_EQ(ReadFile(FixturePath("zero_translation")), (Texts{true, "", "", "8.1.2.3", "8.1.0.0"}));
}

TEST(VersionInfo, AStringWithoutItsZeroEndsAtItsLength) {
  const Texts texts = ReadFile(FixturePath("unterminated"));
  EXPECT_TRUE(texts.hasInfo);
  EXPECT_EQ(texts.productName, "Abc");
  EXPECT_EQ(texts.legalCopyright, "Owner");
}

TEST(VersionInfo, VersionsNeedARealFixedBlock) {
  const struct {
    const char* fixture;
    const char* productName;
  } cases[] = {{"no_fixed_block", "No fixed block"},
               {"short_fixed_block", "Short fixed block"},
               {"bad_signature", "Unsigned"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    EXPECT_EQ(ReadFile(FixturePath(c.fixture)), (Texts{true, c.productName, "", "", ""}));
  }
}

TEST(VersionInfo, AModuleWithoutAVersionResourceHasNoData) {
  EXPECT_EQ(ReadFile(FixturePath("no_version")), kNothing);
}

TEST(VersionInfo, MissingFileEmptyNameAndFolderHaveNoData) {
  EXPECT_EQ(ReadFile(FixturePath("does_not_exist")), kNothing);
  EXPECT_EQ(ReadFile(""), kNothing);
  const std::string folder = testing_paths::BesideExecutable("");
  EXPECT_EQ(ReadFile(folder), kNothing);
  EXPECT_EQ(ReadFile(folder.substr(0, folder.size() - 1)), kNothing) << "folder without trailing backslash";
  const TVersionInfo unnamed(nullptr);
  EXPECT_STREQ(unnamed.FilePath(), "");
  EXPECT_EQ(Read(unnamed), kNothing);
}

TEST(VersionInfo, RePointingLeavesNothingOfThePreviousFile) {
  TVersionInfo reader(FixturePath("full").c_str());
  ASSERT_TRUE(reader.HasInfo());
  reader.SetFilePath(FixturePath("no_version").c_str());
  EXPECT_EQ(reader.FilePath(), FixturePath("no_version"));
  EXPECT_EQ(Read(reader), kNothing);
  reader.SetFilePath(FixturePath("fixed_only").c_str());
  EXPECT_EQ(Read(reader), (Texts{true, "Fixture Product", "(c) Fixture Makers", "5.1.2600.2828", "6.2.0.1"}))
      << "no version text of the first file";
  reader.SetFilePath("");
  EXPECT_EQ(Read(reader), kNothing);
}

TEST(VersionInfo, LoadingTheSameNameAgainReadsItAgain) {
  TVersionInfo reader(FixturePath("full").c_str());
  reader.SetFilePath(reader.FilePath());
  EXPECT_EQ(Read(reader),
            (Texts{true, "Zentrix Fixture", "Copyright (C) Fixture Authors", "7.1.0.3", "7.1"}));
}

TEST(VersionInfo, KeepsItsOwnCopyOfTheName) {
  std::string name = FixturePath("full");
  const TVersionInfo reader(name.data());
  const std::string original = name;
  std::memset(name.data(), 'x', name.size());
  EXPECT_EQ(reader.FilePath(), original);
  EXPECT_NE(reader.FilePath(), name.data());
}

TEST(VersionInfo, ReadsValuesOfAnyNameLength) {
  const TVersionInfo reader(FixturePath("full").c_str());
  const std::string longName =
      "A value name well beyond the usual four, long enough to need more than a short fixed path buffer of "
      "the kind a quick reader might use for its queries, which it must not, since a value name of any "
      "length is still a name that the version library can look up and answer for";
  ASSERT_GT(longName.size(), 255u);
  EXPECT_EQ(reader.ReadStringValue(longName.c_str()), "long name found");
  std::string text = "poison";
  reader.ReadStringValue("NoSuchValue", text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(reader.ReadStringValue(nullptr), "");
}

// The name as given, made full: no device for "aux.dll" or "con", no ".dll"
// appended, only the trailing dots and spaces every Win32 name loses.
TEST(ExactPath, IsTheNamedFileItself) {
  using verinfo::ExactPath;
  EXPECT_EQ(ExactPath("C:\\dir\\aux.dll"), L"\\\\?\\C:\\dir\\aux.dll");
  EXPECT_EQ(ExactPath("C:\\a\\..\\b\\con"), L"\\\\?\\C:\\b\\con");
  EXPECT_EQ(ExactPath("C:\\dir\\notes"), L"\\\\?\\C:\\dir\\notes");
  EXPECT_EQ(ExactPath("C:/dir/name.dll. "), L"\\\\?\\C:\\dir\\name.dll");
  EXPECT_EQ(ExactPath("\\\\server\\share\\x.dll"), L"\\\\?\\UNC\\server\\share\\x.dll");
  EXPECT_EQ(ExactPath("\\\\?\\C:\\x\\nul"), L"\\\\?\\C:\\x\\nul");
  wchar_t current[MAX_PATH];
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
  ASSERT_GT(length, 0u);
  std::wstring here(current, length);
  if (here.back() != L'\\') here += L'\\';
  EXPECT_EQ(ExactPath("com1.dll"), L"\\\\?\\" + here + L"com1.dll");
  for (const char* folder : {"", "C:\\dir\\", "C:\\dir\\..", "."})
    EXPECT_EQ(ExactPath(folder), L"") << folder;
}

// The file's end is learnt from the reads that reach it: nothing past it
// reads, whether asked in one piece, through the cached block or first.
TEST(ExactFile, NothingPastTheEndReads) {
  char folder[MAX_PATH], path[MAX_PATH];
  ASSERT_TRUE(::GetTempPathA(MAX_PATH, folder) && ::GetTempFileNameA(folder, "xf", 0, path));
  std::string bytes(5000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  {
    FILE* out = std::fopen(path, "wb");
    ASSERT_TRUE(out);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
  char got[6000];
  {
    const verinfo::TExactFile file(path);  // asked past the end before anything is read
    ASSERT_TRUE(file.IsOpen());
    EXPECT_FALSE(file.Holds(5001));
    EXPECT_TRUE(file.Holds(5000));
    EXPECT_FALSE(file.Read(4995, got, 10));
    EXPECT_FALSE(file.Read(5001, got, 0));
    ASSERT_TRUE(file.Read(4990, got, 10));
    EXPECT_EQ(std::string(got, 10), bytes.substr(4990));
  }
  {
    const verinfo::TExactFile file(path);
    EXPECT_FALSE(file.Read(0, got, 5001));
    ASSERT_TRUE(file.Read(0, got, 5000));
    EXPECT_EQ(std::string(got, 5000), bytes);
    EXPECT_TRUE(file.Read(5000, got, 0));
  }
  ::DeleteFileA(path);
}
