// Temporary folders for scan tests, filled with copies of the version
// fixtures (vfx_*.dll beside the test programs), plain files and subfolders.
#pragma once

#include <windows.h>

#include <string>

#include "shared/Scoped.h"

namespace scan_test {

inline std::string BesideTests(const std::string& name) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  folder.resize(folder.find_last_of('\\') + 1);
  return folder.append(name);
}

inline std::string FixturePath(const char* fixture) {
  return BesideTests(std::string("vfx_").append(fixture).append(".dll"));
}

// Deletes everything below and including `path`, read-only entries too.
inline void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  const std::string pattern = path + "\\*";
  HANDLE found = ::FindFirstFileA(pattern.c_str(), &entry);
  shared::ScopedFindHandle listing(found == INVALID_HANDLE_VALUE ? nullptr : found);
  while (listing) {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") {
      const std::string child = path + "\\" + name;
      ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        ::DeleteFileA(child.c_str());
    }
    if (!::FindNextFileA(listing.Get(), &entry)) break;
  }
  listing.Reset();
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::RemoveDirectoryA(path.c_str());
}

class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH], file[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    ::GetTempFileNameA(base, "zxs", 0, file);
    ::DeleteFileA(file);
    ::CreateDirectoryA(file, nullptr);
    path_ = file;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() { RemoveTree(path_); }

  // No trailing backslash.
  const std::string& Path() const { return path_; }
  std::string Child(const std::string& name) const { return path_ + "\\" + name; }

  bool CopyFixture(const char* fixture, const std::string& name) const {
    return ::CopyFileA(FixturePath(fixture).c_str(), Child(name).c_str(), FALSE) != FALSE;
  }
  bool AddTextFile(const std::string& name, const char* text = "not a module") const {
    HANDLE raw = ::CreateFileA(Child(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(raw, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    ::CloseHandle(raw);
    return ok != FALSE;
  }
  // A subfolder with a versioned module inside, so entering it would show.
  bool AddSubfolder(const std::string& name, DWORD attributes) const {
    const std::string sub = Child(name);
    if (!::CreateDirectoryA(sub.c_str(), nullptr)) return false;
    ::CopyFileA(FixturePath("full").c_str(), (sub + "\\inside.dll").c_str(), FALSE);
    return attributes == 0 || ::SetFileAttributesA(sub.c_str(), attributes) != FALSE;
  }

 private:
  std::string path_;
};

// A text of the ANSI code page holding a character outside ASCII, or "".
inline std::string NonAsciiAnsiText() {
  for (const wchar_t* candidate : {L"\u00e9t\u00e9", L"\u00fc", L"\u0436", L"\u65e5\u672c"}) {
    char buffer[16] = {};
    BOOL defaulted = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, candidate, -1, buffer,
                                             sizeof buffer, nullptr, &defaulted);
    if (length > 0 && !defaulted) return buffer;
  }
  return {};
}

}  // namespace scan_test
