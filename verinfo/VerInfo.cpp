#include "verinfo/VerInfo.h"

#include <algorithm>
#include <cstring>

#include "shared/NumberText.h"
#include "verinfo/ResourceCheck.h"

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
  FHasInfo = false;
  FInfoSize = 0;
  FInfoHandle = 0;
  FFilePath = std::move(name);
  LoadInfo();
}

void TVersionInfo::LoadInfo() {
  FHasInfo = false;
  // Nothing of the previous file stays readable, whatever follows.
  if (FInfoData) std::memset(FInfoData.get(), 0, FInfoCapacity);
  // A resource table pointing past the file would fault inside the version
  // library itself (its size query as much as its copy); such a file has no
  // version data for us.
  if (!VersionResourceInsideFile(FFilePath.get())) return;
  const DWORD size = ::GetFileVersionInfoSizeA(FFilePath.get(), &FInfoHandle);
  // Smaller than the root block's header: nothing to walk.
  constexpr DWORD kHeader = 6;
  if (size < kHeader) return;
  // The query functions walk the tree by the lengths the file states and
  // convert texts to ANSI in the space after the root block; a damaged file
  // can state more than it holds. The buffer is zero-filled and large enough
  // for the largest root block any file can state, twice over, so neither a
  // walk nor a conversion ever leaves it and nothing of an earlier file
  // shows through.
  constexpr DWORD kLargestRoot = 0xFFFF;
  const DWORD capacity = std::max<DWORD>(size, 2 * kLargestRoot + 64);
  // One buffer serves file after file, cleared above for each.
  if (capacity > FInfoCapacity) {
    FInfoData.reset(new BYTE[capacity]());
    FInfoCapacity = capacity;
  }
  if (!::GetFileVersionInfoA(FFilePath.get(), FInfoHandle, size, FInfoData.get())) return;
  WORD rootLength;
  std::memcpy(&rootLength, FInfoData.get(), sizeof rootLength);
  if (rootLength < kHeader || rootLength > size) return;  // the root block must lie in what was read
  FInfoSize = FInfoCapacity;
  FHasInfo = true;
}

bool TVersionInfo::QueryValue(const char* path, const BYTE*& value, UINT& length) const {
  if (!FHasInfo) return false;
  void* found = nullptr;
  UINT foundLength = 0;
  if (!::VerQueryValueA(FInfoData.get(), path, &found, &foundLength) || !found) return false;
  // A damaged resource can claim more than the buffer holds; nothing past
  // the buffer's end is ever read.
  const BYTE* begin = FInfoData.get();
  const BYTE* at = static_cast<const BYTE*>(found);
  if (at < begin || at >= begin + FInfoSize) return false;
  value = at;
  length = std::min<UINT>(foundLength, static_cast<UINT>(begin + FInfoSize - at));
  return true;
}

std::optional<DWORD> TVersionInfo::QueryTranslation() const {
  const BYTE* value = nullptr;
  UINT length = 0;
  // An empty translation value points at whatever follows it; only a whole
  // entry is taken as one.
  if (!QueryValue("\\VarFileInfo\\Translation", value, length) || length < sizeof(DWORD)) return std::nullopt;
  DWORD entry;
  std::memcpy(&entry, value, sizeof entry);
  return entry;
}

std::string TVersionInfo::TranslationKey() const {
  const std::optional<DWORD> entry = QueryTranslation();
  if (!entry) return {};
  return FormatTranslationKey(LOWORD(*entry), HIWORD(*entry));
}

void TVersionInfo::ReadStringValue(const char* valueName, std::string& text) const {
  text.clear();
  if (!FHasInfo) return;
  FQueryPath.assign("\\StringFileInfo\\");
  FQueryPath.append(TranslationKey());
  FQueryPath.push_back('\\');
  FQueryPath.append(valueName ? valueName : "");
  const BYTE* value = nullptr;
  UINT length = 0;
  if (!QueryValue(FQueryPath.c_str(), value, length)) return;
  // The returned length bounds the text: a value stored without its zero
  // must not run on into the data behind it.
  const void* zero = std::memchr(value, 0, length);
  const size_t size = zero ? static_cast<size_t>(static_cast<const BYTE*>(zero) - value) : length;
  text.assign(reinterpret_cast<const char*>(value), size);
}

std::string TVersionInfo::ReadStringValue(const char* valueName) const {
  std::string text;
  ReadStringValue(valueName, text);
  return text;
}

const VS_FIXEDFILEINFO* TVersionInfo::QueryFixedInfo() const {
  const BYTE* value = nullptr;
  UINT length = 0;
  // Without a fixed block the root query still succeeds, pointing at the
  // children; the length and the signature tell a real block apart.
  if (!QueryValue("\\", value, length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
  const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(value);
  return fixed->dwSignature == VS_FFI_SIGNATURE ? fixed : nullptr;
}

std::optional<TVersionPair> TVersionInfo::FixedFileVersion() const {
  const VS_FIXEDFILEINFO* fixed = QueryFixedInfo();
  if (!fixed) return std::nullopt;
  return TVersionPair{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

std::optional<TVersionPair> TVersionInfo::FixedProductVersion() const {
  const VS_FIXEDFILEINFO* fixed = QueryFixedInfo();
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

}  // namespace verinfo
