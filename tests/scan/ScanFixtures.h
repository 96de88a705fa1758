// Temporary folders for scan tests, filled with copies of the version
// fixtures (vfx_*.dll beside the test programs), plain files and subfolders.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tests/TestPaths.h"
#include "toolkit/Text.h"

namespace scan_test {

class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH] = {}, file[MAX_PATH] = {};
    // The folder is deleted with all it holds at the end: a name that was
    // not made here must never reach that.
    if (!::GetTempPathA(MAX_PATH, base) || !::GetTempFileNameA(base, "zxs", 0, file) ||
        !::DeleteFileA(file) || !::CreateDirectoryA(file, nullptr)) {
      throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = file;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Everything below goes too, read-only, hidden and system entries alike.
  ~TempFolder() {
    const std::string from = path_ + '\0';  // a list of one name
    SHFILEOPSTRUCTA remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationA(&remove);
  }

  // No trailing backslash.
  const std::string& Path() const { return path_; }
  std::string Child(const std::string& name) const { return path_ + "\\" + name; }

  bool CopyFixture(const char* fixture, const std::string& name) const {
    return ::CopyFileA(testing_paths::FixturePath(fixture).c_str(), Child(name).c_str(), FALSE) != FALSE;
  }
  bool AddTextFile(const std::string& name, const char* text = "not a module") const {
    std::ofstream file(Child(name), std::ios::binary);
    return static_cast<bool>(file.write(text, static_cast<std::streamsize>(std::strlen(text))));
  }
  // A subfolder with a versioned module inside, so entering it would show.
  bool AddSubfolder(const std::string& name, DWORD attributes) const {
    const std::string sub = Child(name);
    if (!::CreateDirectoryA(sub.c_str(), nullptr)) return false;
    ::CopyFileA(testing_paths::FixturePath("full").c_str(), (sub + "\\inside.dll").c_str(), FALSE);
    return attributes == 0 || ::SetFileAttributesA(sub.c_str(), attributes) != FALSE;
  }

 private:
  std::string path_;
};

// A text of the ANSI code page holding a character outside ASCII, or "":
// the first candidate that comes back whole from the code page.
inline std::string NonAsciiAnsiText() {
  for (const wchar_t* candidate : {L"\u00e9t\u00e9", L"\u00fc", L"\u0436", L"\u65e5\u672c"}) {
    const std::string text = toolkit::NarrowToAnsi(candidate);
    if (toolkit::Widen(text.c_str(), toolkit::TextEncoding::Ansi) == candidate) return text;
  }
  return {};
}

}  // namespace scan_test
