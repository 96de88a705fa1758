// The reader against the platform's version library, file by file over the
// Windows system folder: the same version data found, the same four texts.
// The library is called here, in the test, and nowhere in the product.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "verinfo/VerInfo.h"

namespace {

struct Texts {
  bool hasInfo = false;
  std::string productName, legalCopyright, fileVersion, productVersion;
  bool operator==(const Texts&) const = default;
};

void PrintTo(const Texts& t, std::ostream* out) {
  *out << "{" << t.hasInfo << ", \"" << t.productName << "\", \"" << t.legalCopyright << "\", \""
       << t.fileVersion << "\", \"" << t.productVersion << "\"}";
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
    data_.assign(std::max<DWORD>(size, 2 * 0xFFFF + 64), 0);
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

Texts ReaderTexts(verinfo::TVersionInfo& reader, const std::string& path) {
  reader.SetFilePath(path.c_str());
  return {reader.HasInfo(), reader.ProductNameText(), reader.LegalCopyrightText(), reader.FileVersionText(),
          reader.ProductVersionText()};
}

}  // namespace

TEST(VersionAgreement, EveryFileOfTheSystemFolderGivesTheLibrarysTexts) {
  char folder[MAX_PATH];
  ASSERT_GT(::GetSystemDirectoryA(folder, MAX_PATH), 0u);
  WIN32_FIND_DATAA entry;
  HANDLE listing = ::FindFirstFileA((std::string(folder) + "\\*").c_str(), &entry);
  ASSERT_NE(listing, INVALID_HANDLE_VALUE);
  verinfo::TVersionInfo reader("");
  int files = 0, versioned = 0;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string path = std::string(folder) + "\\" + entry.cFileName;
    const Texts platform = TPlatformVersion(path).Read();
    EXPECT_EQ(ReaderTexts(reader, path), platform) << path;
    ++files;
    versioned += platform.hasInfo;
  } while (::FindNextFileA(listing, &entry));
  ::FindClose(listing);
  std::printf("system folder: %d files, %d with version data\n", files, versioned);
  // Wine's system folder holds about 780 files, about 230 of them versioned.
  EXPECT_GE(files, 500);
  EXPECT_GE(versioned, 150);
}
