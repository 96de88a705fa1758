#include "host/VersionText.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace host {

// Tries the languages in the order the resource lists them: the first one
// is the file's own, later ones may lack a FileVersion.
std::string FileVersionText(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "unknown";
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return "unknown";
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT bytes = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                      &bytes)) {
    return "unknown";
  }
  for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileVersion", translations[i].language,
                  translations[i].codePage);
    char* text = nullptr;
    UINT length = 0;
    // The value need not be terminated within its stated length.
    if (VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&text), &length) && length > 0 && *text) {
      return std::string(text, strnlen(text, length));
    }
  }
  return "unknown";
}

}  // namespace host
