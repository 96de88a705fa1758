#include "host/PeImage.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "verinfo/ExactFile.h"
#include "verinfo/PeImage.h"

namespace host {

namespace {

// A text of at most 4096 characters and its terminator, read as the loader
// maps the image; false without a terminator.
bool ImageString(const verinfo::TPeImage& pe, uint32_t rva, std::string* out) {
  out->clear();
  for (char c; out->size() < 4096; out->push_back(c)) {
    const uint64_t at = uint64_t{rva} + out->size();
    if (at > 0xFFFFFFFFu || !pe.ReadImage(static_cast<uint32_t>(at), &c, 1)) return false;
    if (c == '\0') return true;
  }
  return false;
}

template <typename T>
bool ImageAt(const verinfo::TPeImage& pe, uint32_t rva, T* out) {
  return pe.ReadImage(rva, out, sizeof(T));
}

bool ReadExports(const verinfo::TPeImage& pe, const IMAGE_DATA_DIRECTORY& dir, PeImage* image) {
  if (dir.VirtualAddress == 0) return true;
  IMAGE_EXPORT_DIRECTORY exp;
  if (!ImageAt(pe, dir.VirtualAddress, &exp) || !ImageString(pe, exp.Name, &image->exportModuleName))
    return false;
  if (exp.NumberOfFunctions > 0x10000 || exp.NumberOfNames > exp.NumberOfFunctions) return false;
  for (uint32_t i = 0; i < exp.NumberOfFunctions; ++i) {
    uint32_t rva;
    if (!ImageAt(pe, exp.AddressOfFunctions + 4 * i, &rva)) return false;
    if (rva != 0) image->exports.push_back({exp.Base + i, {}, rva});
  }
  for (uint32_t i = 0; i < exp.NumberOfNames; ++i) {
    uint32_t nameRva;
    uint16_t index;
    std::string name;
    if (!ImageAt(pe, exp.AddressOfNames + 4 * i, &nameRva) ||
        !ImageAt(pe, exp.AddressOfNameOrdinals + 2 * i, &index) || !ImageString(pe, nameRva, &name)) {
      return false;
    }
    for (PeExport& e : image->exports) {
      if (e.ordinal == exp.Base + index) e.name = name;
    }
  }
  return true;
}

bool ReadImports(const verinfo::TPeImage& pe, const IMAGE_DATA_DIRECTORY& dir, PeImage* image) {
  if (dir.VirtualAddress == 0) return true;
  for (uint32_t i = 0;; ++i) {
    IMAGE_IMPORT_DESCRIPTOR desc;
    if (!ImageAt(pe, dir.VirtualAddress + i * sizeof(desc), &desc)) return false;
    if (desc.Name == 0) return true;
    std::string name;
    if (!ImageString(pe, desc.Name, &name)) return false;
    image->importedModules.push_back(name);
    const uint32_t thunks = desc.OriginalFirstThunk ? desc.OriginalFirstThunk : desc.FirstThunk;
    for (uint32_t j = 0;; ++j) {
      IMAGE_THUNK_DATA32 thunk;
      if (j > 0x10000 || !ImageAt(pe, thunks + j * sizeof(thunk), &thunk)) return false;
      if (thunk.u1.AddressOfData == 0) break;
      if (IMAGE_SNAP_BY_ORDINAL32(thunk.u1.Ordinal)) {
        image->importedFunctions.push_back("#" + std::to_string(IMAGE_ORDINAL32(thunk.u1.Ordinal)));
      } else if (!ImageString(pe, thunk.u1.AddressOfData + offsetof(IMAGE_IMPORT_BY_NAME, Name), &name)) {
        return false;
      } else {
        image->importedFunctions.push_back(name);
      }
    }
  }
}

// The COFF symbol table lies in the file, outside the mapped image, its
// string table right behind it. Both are read whole: their pieces lie apart,
// and reading them piece by piece would ask the system for every symbol.
bool ReadSymbols(const verinfo::TExactFile& file, const IMAGE_FILE_HEADER& header, PeImage* image) {
  if (header.PointerToSymbolTable == 0 || header.NumberOfSymbols == 0) return true;
  const uint64_t records = header.PointerToSymbolTable;
  const uint64_t strings = records + uint64_t{header.NumberOfSymbols} * IMAGE_SIZEOF_SYMBOL;
  uint32_t stringBytes = 0;
  if (!file.Read(strings, &stringBytes, sizeof stringBytes) || stringBytes < sizeof stringBytes ||
      !file.Holds(strings + stringBytes)) {
    return false;
  }
  std::vector<char> table(strings + stringBytes - records);
  if (!file.Read(records, table.data(), table.size())) return false;
  const std::string_view names(table.data() + (strings - records), stringBytes);
  for (uint32_t i = 0; i < header.NumberOfSymbols; ++i) {
    IMAGE_SYMBOL symbol;
    std::memcpy(&symbol, table.data() + uint64_t{i} * IMAGE_SIZEOF_SYMBOL, IMAGE_SIZEOF_SYMBOL);
    std::string name;
    if (symbol.N.Name.Short != 0) {
      name.assign(reinterpret_cast<const char*>(symbol.N.ShortName),
                  strnlen(reinterpret_cast<const char*>(symbol.N.ShortName), 8));
    } else {
      const size_t end = names.find('\0', symbol.N.Name.Long);
      if (symbol.N.Name.Long >= names.size() || end == std::string_view::npos) return false;
      name = names.substr(symbol.N.Name.Long, end - symbol.N.Name.Long);
    }
    if (symbol.SectionNumber > 0 && static_cast<size_t>(symbol.SectionNumber) <= image->sections.size()) {
      image->definedSymbols.push_back({name, image->sections[symbol.SectionNumber - 1].rva + symbol.Value});
    }
    i += symbol.NumberOfAuxSymbols;
  }
  return true;
}

}  // namespace

bool ReadPeImage(const std::string& path, PeImage* image, std::string* error) {
  const verinfo::TExactFile file(path.c_str());
  if (!file.IsOpen()) {
    *error = "cannot open " + path;
    return false;
  }
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS32 nt{};
  const uint32_t ntOffset = file.Read(0, &dos, sizeof dos) ? static_cast<uint32_t>(dos.e_lfanew) : 0;
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || !file.Read(ntOffset, &nt, sizeof nt) ||
      nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    *error = path + " is not a PE32 image";
    return false;
  }
  PeImage result;
  const uint64_t sectionOffset =
      ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
  for (unsigned i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!file.Read(sectionOffset + i * sizeof section, &section, sizeof section)) {
      *error = path + " is not a PE32 image";
      return false;
    }
    const auto* name = reinterpret_cast<const char*>(section.Name);
    result.sections.push_back({std::string(name, strnlen(name, IMAGE_SIZEOF_SHORT_NAME)),
                               section.Characteristics, section.VirtualAddress});
  }
  const IMAGE_OPTIONAL_HEADER32& optional = nt.OptionalHeader;
  const verinfo::TPeImage pe(file, ntOffset);
  if (!ReadExports(pe, optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT], &result) ||
      !ReadImports(pe, optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT], &result)) {
    *error = path + " has a damaged export or import directory";
    return false;
  }
  if (!ReadSymbols(file, nt.FileHeader, &result)) {
    *error = path + " has a damaged symbol table";
    return false;
  }
  result.dllCharacteristics = optional.DllCharacteristics;
  result.sectionAlignment = optional.SectionAlignment;
  result.relocationBytes = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size;
  *image = std::move(result);
  return true;
}

}  // namespace host
