#include "verinfo/VerInfo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "shared/NumberText.h"
#include "verinfo/ExactFile.h"
#include "verinfo/ResourceLocator.h"
#include "verinfo/VersionData.h"

namespace verinfo {

namespace {

std::unique_ptr<char[]> CopyName(const char* name) {
  const size_t length = std::strlen(name);
  std::unique_ptr<char[]> copy(new char[length + 1]);
  std::memcpy(copy.get(), name, length + 1);
  return copy;
}

}  // namespace

void FormatVersionPair(const TVersionPair& pair, std::string& text) {
  // Halves are unsigned: 0xFFFF must print as 65535, never as -1.
  const WORD halves[4] = {HIWORD(pair.MostSignificant), LOWORD(pair.MostSignificant),
                          HIWORD(pair.LeastSignificant), LOWORD(pair.LeastSignificant)};
  text.clear();
  for (int i = 0; i < 4; ++i) {
    if (i > 0) text += '.';
    shared::AppendDecimal(text, halves[i]);
  }
}

std::string FormatVersionPair(const TVersionPair& pair) {
  std::string text;
  FormatVersionPair(pair, text);
  return text;
}

std::string FormatTranslationKey(WORD language, WORD codePage) {
  return shared::HexText(MAKELONG(codePage, language), 8);
}

TVersionInfo::TVersionInfo(const char* fileName) : FFilePath(CopyName(fileName ? fileName : "")) {
  LoadInfo();
}

TVersionInfo::~TVersionInfo() = default;

void TVersionInfo::SetFilePath(const char* fileName) {
  // The new name is copied first: if that fails, the reader still describes
  // its previous file consistently instead of a name without data.
  std::unique_ptr<char[]> name = CopyName(fileName ? fileName : "");
  FFilePath = std::move(name);
  LoadInfo();
}

void TVersionInfo::SetExactPath(const std::wstring& exactPath) {
  FFilePath = CopyName("");
  LoadInfo(TExactFile(exactPath));
}

void TVersionInfo::LoadInfo() { LoadInfo(TExactFile(FFilePath.get())); }

void TVersionInfo::LoadInfo(const TExactFile& file) {
  // Nothing of the previous file stays, whatever follows.
  FHasInfo = false;
  FTranslationKey.clear();
  FInfoData.reset();
  FInfoSize = 0;
  FMachine.reset();
  FPeMagic = 0;
  FResourceLanguage.reset();
  FOpenError = file.Error();
  if (!file.IsOpen()) return;
  const TVersionResource resource(file);
  if (const TPeImage* image = resource.Image()) {
    FMachine = image->Machine();
    FPeMagic = image->Magic();
  }
  FResourceLanguage = resource.Language();
  if (!resource.Found()) return;
  // The library's buffer for the data: twice the resource and four bytes
  // for a module's, four times what follows the fixed block for a 16-bit
  // module's, both in 32-bit arithmetic; it copies the resource into it.
  const uint32_t stated = resource.StatedSize();
  const uint32_t buffer = resource.InSixteenBitModule() ? (stated - 52) * 4 : stated * 2 + 4;
  constexpr uint32_t kHeader = 6;  // smaller than a root block's header: nothing to walk
  if (buffer < kHeader) return;
  const uint32_t copied = std::min(stated, buffer);
  BYTE head[2] = {};
  if (!resource.Read(0, head, std::min<uint32_t>(copied, sizeof head))) return;
  const uint32_t rootLength = head[0] | head[1] << 8;
  if (rootLength < kHeader || rootLength > buffer) return;  // the root block must fit what is read
  // What the library copies, up to one 64 KB block whatever the entry
  // claims: a value may run past the root block's end, and the library
  // reads it there. Where the file or image does not hold that much, the
  // root block alone. A module's data gets the library's four-byte mark
  // right after the root block when its buffer has room for it.
  const bool marked = !resource.InSixteenBitModule() && buffer - 4 >= rootLength;
  if (!ReadData(resource, std::min<uint32_t>(copied, 0x10000), rootLength, marked) &&
      !ReadData(resource, std::min(copied, rootLength), rootLength, marked)) {
    return;
  }
  // Every text is read from the table it names: worked out once per file.
  FTranslationKey = ReadTranslationKey();
  FHasInfo = true;
}

bool TVersionInfo::ReadData(const TVersionResource& resource, uint32_t held, uint32_t rootLength,
                            bool marked) {
  // A value running past the root block reads the mark there.
  static constexpr BYTE kMark[4] = {'F', 'E', '2', 'X'};
  const uint32_t size = marked ? std::max<uint32_t>(held, rootLength + sizeof kMark) : held;
  FInfoData.reset(new BYTE[size]());
  FInfoSize = size;
  if (!resource.Read(0, FInfoData.get(), held)) return false;
  if (marked) std::memcpy(FInfoData.get() + rootLength, kMark, sizeof kMark);
  return true;
}

bool TVersionInfo::QueryValue(const char* path) const {
  FQueryValue.clear();
  return TVersionData(FInfoData.get(), FInfoSize).Query(path, FQueryValue);
}

std::string TVersionInfo::ReadTranslationKey() const {
  // Read before FHasInfo is set, so straight from the data. An empty
  // translation value points at whatever follows it; only a whole entry is
  // taken as one.
  if (!QueryValue("\\VarFileInfo\\Translation") || FQueryValue.size() < sizeof(DWORD)) {
    return {};
  }
  DWORD entry;
  std::memcpy(&entry, FQueryValue.data(), sizeof entry);
  return FormatTranslationKey(LOWORD(entry), HIWORD(entry));
}

void TVersionInfo::ReadStringValue(const char* valueName, std::string& text) const {
  text.clear();
  if (!FHasInfo) return;
  FQueryPath.assign("\\StringFileInfo\\");
  FQueryPath.append(FTranslationKey);
  FQueryPath.push_back('\\');
  FQueryPath.append(valueName ? valueName : "");
  if (!QueryValue(FQueryPath.c_str())) return;
  // The reported length bounds the text: a value stored without its zero
  // must not run on into the data behind it.
  text.assign(FQueryValue.c_str(), strnlen(FQueryValue.c_str(), FQueryValue.size()));
}

std::string TVersionInfo::ReadStringValue(const char* valueName) const {
  std::string text;
  ReadStringValue(valueName, text);
  return text;
}

std::optional<VS_FIXEDFILEINFO> TVersionInfo::QueryFixedInfo() const {
  // Without a fixed block the root query still succeeds, pointing at the
  // children; the length and the signature tell a real block apart.
  VS_FIXEDFILEINFO fixed;
  if (!FHasInfo || !QueryValue("\\") || FQueryValue.size() < sizeof fixed) return std::nullopt;
  std::memcpy(&fixed, FQueryValue.data(), sizeof fixed);
  if (fixed.dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
  return fixed;
}

std::optional<TVersionPair> TVersionInfo::FixedFileVersion() const {
  const std::optional<VS_FIXEDFILEINFO> fixed = QueryFixedInfo();
  if (!fixed) return std::nullopt;
  return TVersionPair{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

std::optional<TVersionPair> TVersionInfo::FixedProductVersion() const {
  const std::optional<VS_FIXEDFILEINFO> fixed = QueryFixedInfo();
  if (!fixed) return std::nullopt;
  return TVersionPair{fixed->dwProductVersionMS, fixed->dwProductVersionLS};
}

void TVersionInfo::VersionText(const char* valueName,
                               std::optional<TVersionPair> (TVersionInfo::*fixed)() const,
                               std::string& text) const {
  ReadStringValue(valueName, text);
  if (!text.empty() || !FHasInfo) return;
  if (const std::optional<TVersionPair> pair = (this->*fixed)()) FormatVersionPair(*pair, text);
}

void TVersionInfo::ProductNameText(std::string& text) const { ReadStringValue("ProductName", text); }
void TVersionInfo::LegalCopyrightText(std::string& text) const { ReadStringValue("LegalCopyright", text); }
void TVersionInfo::FileVersionText(std::string& text) const {
  VersionText("FileVersion", &TVersionInfo::FixedFileVersion, text);
}
void TVersionInfo::ProductVersionText(std::string& text) const {
  VersionText("ProductVersion", &TVersionInfo::FixedProductVersion, text);
}

std::string TVersionInfo::ProductNameText() const { return ReadStringValue("ProductName"); }
std::string TVersionInfo::LegalCopyrightText() const { return ReadStringValue("LegalCopyright"); }

std::string TVersionInfo::FileVersionText() const {
  std::string text;
  FileVersionText(text);
  return text;
}

std::string TVersionInfo::ProductVersionText() const {
  std::string text;
  ProductVersionText(text);
  return text;
}

void TVersionInfo::ReadDetails(TVersionDetails& details) const {
  details.machine = FMachine;
  details.peMagic = FPeMagic;
  details.resourceLanguage = FResourceLanguage;
  details.translations.clear();
  details.stringTable.reset();
  details.stringTableNote.clear();
  details.fixed.reset();
  details.stringCount = 0;
  if (!FHasInfo) return;
  // The list as the first entry's reader sees it: every whole entry of the
  // value's stated length.
  if (QueryValue("\\VarFileInfo\\Translation")) {
    for (size_t at = 0; at + sizeof(DWORD) <= FQueryValue.size(); at += sizeof(DWORD)) {
      DWORD entry;
      std::memcpy(&entry, FQueryValue.data() + at, sizeof entry);
      details.translations.push_back({LOWORD(entry), HIWORD(entry)});
    }
  }
  details.fixed = QueryFixedInfo();
  ChooseTable(details);
}

namespace {

// Table keys compare as the queries compare them: without regard to case.
bool SameKey(const std::wstring& key, const std::string& wanted) {
  if (key.size() != wanted.size()) return false;
  // Both are ASCII here, which lowers the same in every locale.
  const auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  for (size_t i = 0; i < key.size(); ++i)
    if (key[i] > 0x7F || lower(key[i]) != lower(static_cast<uint8_t>(wanted[i]))) return false;
  return true;
}

std::string Narrowed(const std::wstring& key) {
  std::string text;
  for (wchar_t c : key) text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return text;
}

}  // namespace

void TVersionInfo::ChooseTable(TVersionDetails& details) const {
  const TVersionData data(FInfoData.get(), FInfoSize);
  std::vector<std::wstring>& keys = details.tableKeys;
  data.TableKeys(keys);
  const auto find = [&](const std::string& wanted) -> std::optional<size_t> {
    for (size_t i = 0; i < keys.size(); ++i)
      if (SameKey(keys[i], wanted)) return i;
    return std::nullopt;
  };
  std::optional<size_t> chosen;
  if (!FTranslationKey.empty()) chosen = find(FTranslationKey);
  if (!chosen) {
    // Another translation's table, then one of the first translation's
    // language in another code page, then the file's first table.
    std::string why;
    for (size_t i = 1; i < details.translations.size() && !chosen; ++i) {
      const std::string key =
          FormatTranslationKey(details.translations[i].language, details.translations[i].codePage);
      if ((chosen = find(key))) why = "the table of translation " + std::to_string(i + 1) + " was used";
    }
    for (size_t i = 0; i < keys.size() && !chosen && !FTranslationKey.empty(); ++i) {
      if (keys[i].size() == 8 && SameKey(keys[i].substr(0, 4), FTranslationKey.substr(0, 4))) {
        chosen = i;
        why = "the table of the same language was used";
      }
    }
    if (!chosen && !keys.empty()) {
      chosen = 0;
      why = "the first table was used";
    }
    if (FTranslationKey.empty())
      details.stringTableNote = "no translation names a table; ";
    else
      details.stringTableNote =
          "the first translation names table " + FTranslationKey + ", which is missing; ";
    details.stringTableNote += chosen ? why : "the file has no string table";
    if (keys.empty() && FTranslationKey.empty()) details.stringTableNote.clear();
  }
  if (!chosen) return;
  details.stringTable = keys[*chosen];
  // The 16-bit layout's texts are read in the table's code page.
  const std::string key = Narrowed(keys[*chosen]);
  unsigned codePage = CP_ACP;
  if (key.size() == 8) {
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(key.c_str() + 4, &end, 16);
    if (end == key.c_str() + 8 && parsed != 0) codePage = static_cast<unsigned>(parsed);
  }
  data.TableStrings(*chosen, codePage, details.strings, details.stringCount);
}

}  // namespace verinfo
