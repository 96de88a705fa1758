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
class TPlatformVersion {
 public:
  explicit TPlatformVersion(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size < 6) return;
    // A resource claiming a gigabyte asks for a buffer of two: no data, as
    // the reader had none when its allocation failed.
    try {
      data_.assign(std::max<DWORD>(size, 2 * 0xFFFF + 64), 0);
    } catch (const std::bad_alloc&) {
      return;
    }
    if (!::GetFileVersionInfoA(path.c_str(), handle, size, data_.data())) return;
    const WORD root = static_cast<WORD>(data_[0] | data_[1] << 8);
    hasInfo_ = root >= 6 && root <= size;
  }

  Texts Read() const {
    Texts t;
    t.hasInfo = hasInfo_;
    if (!hasInfo_) return t;
    t.productName = String("ProductName");
    t.legalCopyright = String("LegalCopyright");
    t.fileVersion = String("FileVersion");
    t.productVersion = String("ProductVersion");
    if (t.fileVersion.empty()) t.fileVersion = Fixed(true);
    if (t.productVersion.empty()) t.productVersion = Fixed(false);
    return t;
  }

 private:
  bool Query(const std::string& path, const BYTE*& value, UINT& length) const {
    void* found = nullptr;
    if (!::VerQueryValueA(data_.data(), path.c_str(), &found, &length) || !found) return false;
    value = static_cast<const BYTE*>(found);
    const BYTE* end = data_.data() + data_.size();
    if (value < data_.data() || value >= end) return false;
    length = std::min<UINT>(length, static_cast<UINT>(end - value));
    return true;
  }

  std::string String(const char* name) const {
    const BYTE* value = nullptr;
    UINT length = 0;
    std::string key;
    if (Query("\\VarFileInfo\\Translation", value, length) && length >= 4) {
      DWORD entry;
      std::memcpy(&entry, value, 4);
      key = verinfo::FormatTranslationKey(LOWORD(entry), HIWORD(entry));
    }
    if (!Query("\\StringFileInfo\\" + key + "\\" + name, value, length)) return {};
    return std::string(reinterpret_cast<const char*>(value),
                       strnlen(reinterpret_cast<const char*>(value), length));
  }

  std::string Fixed(bool file) const {
    const BYTE* value = nullptr;
    UINT length = 0;
    VS_FIXEDFILEINFO fixed;
    if (!Query("\\", value, length) || length < sizeof fixed) return {};
    std::memcpy(&fixed, value, sizeof fixed);
    if (fixed.dwSignature != VS_FFI_SIGNATURE) return {};
    return file ? verinfo::FormatVersionPair({fixed.dwFileVersionMS, fixed.dwFileVersionLS})
                : verinfo::FormatVersionPair({fixed.dwProductVersionMS, fixed.dwProductVersionLS});
  }

  std::vector<BYTE> data_;
  bool hasInfo_ = false;
};

}  // namespace testing_platform
