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

  const char* FilePath() const { return FFilePath.get(); }
  bool HasInfo() const { return FHasInfo; }

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
