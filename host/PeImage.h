// Reads the export and import directories of a 32-bit PE file from disk,
// with every offset bounds-checked, so a damaged file gives an error rather
// than a crash.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

struct PeExport {
  uint32_t ordinal;
  std::string name;  // empty for an export by ordinal only
  uint32_t rva;
};

struct PeImage {
  std::string exportModuleName;
  std::vector<PeExport> exports;
  std::vector<std::string> importedModules;
};

// Returns false and sets `error` when the file cannot be read or is not a
// well-formed PE32 image.
bool ReadPeImage(const std::string& path, PeImage* image, std::string* error);

}  // namespace host
