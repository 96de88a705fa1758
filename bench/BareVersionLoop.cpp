#include "bench/BareVersionLoop.h"

#include <cstdio>

#include "shared/Scoped.h"

namespace bench {

int BareVersionLoop(const std::string& folder, std::vector<BYTE>& buffer, size_t& textBytes) {
  int rows = 0;
  const std::string pattern = folder + "\\*.*";
  WIN32_FIND_DATAA entry;
  HANDLE found = ::FindFirstFileA(pattern.c_str(), &entry);
  shared::ScopedFindHandle listing(found == INVALID_HANDLE_VALUE ? nullptr : found);
  if (!listing) return 0;
  char path[MAX_PATH * 2];
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::snprintf(path, sizeof path, "%s\\%s", folder.c_str(), entry.cFileName);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) continue;
    buffer.resize(size);
    if (!::GetFileVersionInfoA(path, handle, size, buffer.data())) continue;
    ++rows;
    void* value = nullptr;
    UINT length = 0;
    char query[64];
    DWORD translation = 0;
    if (::VerQueryValueA(buffer.data(), "\\VarFileInfo\\Translation", &value, &length) && length >= 4)
      translation = *static_cast<DWORD*>(value);
    for (const char* name : {"ProductName", "LegalCopyright", "FileVersion", "ProductVersion"}) {
      std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\%s", LOWORD(translation),
                    HIWORD(translation), name);
      if (::VerQueryValueA(buffer.data(), query, &value, &length)) textBytes += length;
    }
  } while (::FindNextFileA(listing.Get(), &entry));
  return rows;
}

}  // namespace bench
