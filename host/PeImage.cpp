#include "host/PeImage.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "verinfo/ExactFile.h"
#include "verinfo/PeImage.h"

namespace host {

namespace {

// A text of at most `limit` characters and its terminator, read a byte at a
// time through `read(offset, out)`; false without a terminator.
template <typename Read>
bool ReadString(Read read, uint64_t at, std::string* out, size_t limit = 4096) {
  out->clear();
  for (char c; out->size() < limit; out->push_back(c)) {
    if (!read(at + out->size(), &c)) return false;
    if (c == '\0') return true;
  }
  return false;
}

// The directories are read as the loader maps the image.
bool ImageString(const verinfo::TPeImage& pe, uint32_t rva, std::string* out) {
  const auto read = [&pe](uint64_t at, char* c) {
    return at <= 0xFFFFFFFFu && pe.ReadImage(static_cast<uint32_t>(at), c, 1);
  };
  return ReadString(read, rva, out);
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
  }
}

// The COFF symbol table lies in the file, outside the mapped image.
bool ReadSymbols(const verinfo::TExactFile& file, const IMAGE_FILE_HEADER& header, PeImage* image) {
  if (header.PointerToSymbolTable == 0 || header.NumberOfSymbols == 0) return true;
  const uint64_t strings =
      header.PointerToSymbolTable + uint64_t{header.NumberOfSymbols} * 18;  // 18-byte records
  const auto read = [&file](uint64_t at, char* c) { return file.Read(at, c, 1); };
  for (uint32_t i = 0; i < header.NumberOfSymbols; ++i) {
    IMAGE_SYMBOL symbol;
    if (!file.Read(header.PointerToSymbolTable + uint64_t{i} * 18, &symbol, 18)) return false;
    std::string name;
    if (symbol.N.Name.Short != 0) {
      name.assign(reinterpret_cast<const char*>(symbol.N.ShortName),
                  strnlen(reinterpret_cast<const char*>(symbol.N.ShortName), 8));
    } else if (!ReadString(read, strings + symbol.N.Name.Long, &name)) {
      return false;
    }
    if (symbol.SectionNumber > 0) image->definedSymbols.push_back(name);
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
    result.sections.push_back(
        {std::string(name, strnlen(name, IMAGE_SIZEOF_SHORT_NAME)), section.Characteristics});
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
