// The four texts of a file through the platform's version library, as the
// reader gave them when it called the library: for the tests that hold the
// reader against it. The product never calls the library.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "verinfo/VerInfo.h"

namespace testing_platform {

struct Texts {
  bool hasInfo = false;
  std::string productName, legalCopyright, fileVersion, productVersion;
  bool operator==(const Texts&) const = default;
};

inline void PrintTo(const Texts& t, std::ostream* out) {
  *out << "{" << t.hasInfo << ", \"" << t.productName << "\", \"" << t.legalCopyright << "\", \""
       << t.fileVersion << "\", \"" << t.productVersion << "\"}";
}

inline Texts ReaderTexts(verinfo::TVersionInfo& reader, const char* path) {
  reader.SetFilePath(path);
  return {reader.HasInfo(), reader.ProductNameText(), reader.LegalCopyrightText(), reader.FileVersionText(),
          reader.ProductVersionText()};
}

// The four texts through GetFileVersionInfoSizeA, GetFileVersionInfoA and
// VerQueryValueA, into a zero-filled buffer with room for every narrowed
// text: what the reader gave when it called the library.
inline Texts PlatformTexts(const std::string& path) {
  Texts t;
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size < 6) return t;
  // A resource claiming a gigabyte asks for a buffer of two: no data, as
  // the reader had none when its allocation failed.
  std::vector<BYTE> data;
  try {
    data.assign(std::max<DWORD>(size, 2 * 0xFFFF + 64), 0);
  } catch (const std::bad_alloc&) {
    return t;
  }
  if (!::GetFileVersionInfoA(path.c_str(), handle, size, data.data())) return t;
  const WORD root = static_cast<WORD>(data[0] | data[1] << 8);
  t.hasInfo = root >= 6 && root <= size;
  if (!t.hasInfo) return t;

  // The value at `query`, cut at the buffer's end; empty where there is none.
  const auto value = [&data](const std::string& query) -> std::string_view {
    void* found = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), query.c_str(), &found, &length) || !found) return {};
    const auto* begin = reinterpret_cast<const char*>(data.data());
    const auto* at = static_cast<const char*>(found);
    if (at < begin || at >= begin + data.size()) return {};
    return {at, std::min<size_t>(length, begin + data.size() - at)};
  };
  std::string key;
  if (const std::string_view entry = value("\\VarFileInfo\\Translation"); entry.size() >= 4) {
    WORD translation[2];
    std::memcpy(translation, entry.data(), sizeof translation);
    key = verinfo::FormatTranslationKey(translation[0], translation[1]);
  }
  const auto text = [&](const char* name) {
    const std::string_view found = value("\\StringFileInfo\\" + key + "\\" + name);
    return std::string(found.substr(0, found.find('\0')));
  };
  t.productName = text("ProductName");
  t.legalCopyright = text("LegalCopyright");
  t.fileVersion = text("FileVersion");
  t.productVersion = text("ProductVersion");
  // Asked only for a text the table lacks, as the reader asked.
  const auto fixed = [&](bool file) -> std::string {
    const std::string_view found = value("\\");
    VS_FIXEDFILEINFO info;
    if (found.size() < sizeof info) return {};
    std::memcpy(&info, found.data(), sizeof info);
    if (info.dwSignature != VS_FFI_SIGNATURE) return {};
    return file ? verinfo::FormatVersionPair({info.dwFileVersionMS, info.dwFileVersionLS})
                : verinfo::FormatVersionPair({info.dwProductVersionMS, info.dwProductVersionLS});
  };
  if (t.fileVersion.empty()) t.fileVersion = fixed(true);
  if (t.productVersion.empty()) t.productVersion = fixed(false);
  return t;
}

}  // namespace testing_platform
