// Reads the export and import directories (and any symbol table) of a 32-bit PE file from disk,
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

struct PeSection {
  std::string name;
  uint32_t characteristics;  // IMAGE_SCN_*
  uint32_t rva = 0;
};

struct PeSymbol {
  std::string name;
  uint32_t rva;  // where the loaded image holds it
};

struct PeImage {
  std::string exportModuleName;
  std::vector<PeExport> exports;
  std::vector<std::string> importedModules;
  std::vector<std::string> importedFunctions;  // by name; "#N" for an ordinal
  uint16_t dllCharacteristics = 0;             // IMAGE_DLLCHARACTERISTICS_*
  uint32_t sectionAlignment = 0;
  uint32_t relocationBytes = 0;  // size of the base relocation directory
  std::vector<PeSection> sections;
  // Names of the symbols the COFF symbol table defines; empty once stripped.
  std::vector<PeSymbol> definedSymbols;
};

// Returns false and sets `error` when the file cannot be read or is not a
// well-formed PE32 image.
bool ReadPeImage(const std::string& path, PeImage* image, std::string* error);

}  // namespace host
