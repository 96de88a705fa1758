// TVersionInfo: reads one file's version resource at a time and answers its
// product name, legal copyright, file version and product version, the
// texts the platform's version library gives for them. It parses the file
// itself: the library trusts what a file states, and a damaged or unusual
// file makes it fault, hang or read another file (see ExactFile.h,
// ResourceLocator.h, VersionData.h). One reader can be re-pointed at file
// after file; each change releases everything of the previous file.
#pragma once

#include <windows.h>
#include <winver.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "verinfo/VersionData.h"

namespace verinfo {

// A version from the fixed block: most significant word first.
struct TVersionPair {
  uint32_t MostSignificant = 0;
  uint32_t LeastSignificant = 0;
};

// "a.b.c.d" from the four unsigned 16-bit halves, high half first.
std::string FormatVersionPair(const TVersionPair& pair);
void FormatVersionPair(const TVersionPair& pair, std::string& text);

// Eight upper-case hex digits, language first: 0x0409 with 1252 gives
// "040904E4", the name of that translation's string table.
std::string FormatTranslationKey(WORD language, WORD codePage);

struct TTranslation {
  WORD language = 0;
  WORD codePage = 0;
};

// Everything a file's version data and headers say, for an inventory. The
// vectors keep their storage from file to file.
struct TVersionDetails {
  // The PE file header's machine, none when the file is no PE image.
  std::optional<uint16_t> machine;
  // IMAGE_NT_OPTIONAL_HDR32_MAGIC or ..._HDR64_MAGIC, 0 for neither.
  uint16_t peMagic = 0;
  // The language of the version resource taken from the image's tree.
  std::optional<uint16_t> resourceLanguage;
  std::vector<TTranslation> translations;  // in file order
  // The string table the strings are read from: its key and its index
  // among the tables, none when the data has no table.
  std::optional<std::wstring> stringTable;
  // Why that is not the first translation's table; empty when it is.
  std::string stringTableNote;
  std::optional<VS_FIXEDFILEINFO> fixed;
  // The first `stringCount` hold the table's strings, in file order.
  std::vector<TVersionString> strings;
  size_t stringCount = 0;
  // Scratch for the table keys.
  std::vector<std::wstring> tableKeys;
};

class TExactFile;
class TVersionResource;

class TVersionInfo {
 public:
  // A null name counts as an empty one. Throws only when memory runs out.
  explicit TVersionInfo(const char* fileName);
  virtual ~TVersionInfo();
  TVersionInfo(const TVersionInfo&) = delete;
  TVersionInfo& operator=(const TVersionInfo&) = delete;

  // Re-points the reader; nothing of the previous file survives. When the
  // new name cannot be copied the reader keeps its previous file whole; when
  // memory runs out while the new file is read, the reader names the new
  // file without data, and the error propagates.
  void SetFilePath(const char* fileName);

  // Reads the file at `exactPath`, a path of the "\\?\" form ExactPath
  // gives, for callers that hold names the code page cannot spell; the
  // reader's FilePath is then empty.
  void SetExactPath(const std::wstring& exactPath);

  const char* FilePath() const { return FFilePath.get(); }
  bool HasInfo() const { return FHasInfo; }
  // Why the file could not be opened (TExactFile::Error), 0 when it was or
  // when it holds no bytes.
  DWORD OpenError() const { return FOpenError; }

  // Every field of the file, for an inventory rather than the list: the
  // strings exact, and from another table when the first translation's is
  // missing (the note says which and why). The texts above keep reading
  // the first translation's table only.
  void ReadDetails(TVersionDetails& details) const;

  std::string ProductNameText() const;
  std::string LegalCopyrightText() const;
  // Fall back to the fixed block when the string table has no such text.
  std::string FileVersionText() const;
  std::string ProductVersionText() const;
  // The named value of the first translation's string table, or "".
  std::string ReadStringValue(const char* valueName) const;

  // The same texts into a caller's string, reusing its storage, so a scan
  // of many files allocates nothing per text once the string has grown.
  void ProductNameText(std::string& text) const;
  void LegalCopyrightText(std::string& text) const;
  void FileVersionText(std::string& text) const;
  void ProductVersionText(std::string& text) const;
  void ReadStringValue(const char* valueName, std::string& text) const;

 private:
  void LoadInfo();
  void LoadInfo(const TExactFile& file);
  void ChooseTable(TVersionDetails& details) const;
  // `held` bytes of the resource into a new FInfoData, as the library's
  // buffer holds them.
  bool ReadData(const TVersionResource& resource, uint32_t held, uint32_t rootLength, bool marked);
  // The value at `path` of the data read into FQueryValue; callers check
  // FHasInfo (the translation key is read before it is set).
  bool QueryValue(const char* path) const;
  // The first translation's key of the loaded data, "" when it has none.
  std::string ReadTranslationKey() const;
  std::optional<VS_FIXEDFILEINFO> QueryFixedInfo() const;
  std::optional<TVersionPair> FixedFileVersion() const;
  std::optional<TVersionPair> FixedProductVersion() const;
  void VersionText(const char* valueName, std::optional<TVersionPair> (TVersionInfo::*fixed)() const,
                   std::string& text) const;

  std::unique_ptr<char[]> FFilePath;
  bool FHasInfo = false;
  DWORD FOpenError = 0;
  // What the file's headers say, kept for ReadDetails: a few numbers.
  std::optional<uint16_t> FMachine;
  uint16_t FPeMagic = 0;
  std::optional<uint16_t> FResourceLanguage;
  // The root block as far as the file holds it: at most 64 KB, allocated
  // for each file at its own size.
  DWORD FInfoSize = 0;
  std::unique_ptr<BYTE[]> FInfoData;
  // Names the string table every text is read from; set with FHasInfo.
  std::string FTranslationKey;
  // Reused by every query: their storage grows once, not per file.
  mutable std::string FQueryPath;
  mutable std::string FQueryValue;
};

}  // namespace verinfo
