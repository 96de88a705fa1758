#include "host/PeImage.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace host {

namespace {

class PeReader {
 public:
  explicit PeReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  template <typename T>
  bool At(uint32_t offset, T* out) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return false;
    std::memcpy(out, bytes_.data() + offset, sizeof(T));
    return true;
  }

  bool String(uint32_t offset, std::string* out) const {
    if (offset >= bytes_.size()) return false;
    const auto* start = reinterpret_cast<const char*>(bytes_.data() + offset);
    const size_t length = strnlen(start, bytes_.size() - offset);
    if (offset + length == bytes_.size()) return false;  // no terminator
    out->assign(start, length);
    return true;
  }

  bool ReadHeaders() {
    IMAGE_DOS_HEADER dos;
    if (!At(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
    const uint32_t ntOffset = static_cast<uint32_t>(dos.e_lfanew);
    if (!At(ntOffset, &nt_) || nt_.Signature != IMAGE_NT_SIGNATURE) return false;
    if (nt_.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return false;
    const uint32_t sectionOffset =
        ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt_.FileHeader.SizeOfOptionalHeader;
    for (unsigned i = 0; i < nt_.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section;
      if (!At(sectionOffset + i * sizeof(section), &section)) return false;
      sections_.push_back(section);
    }
    return true;
  }

  // File offset of an RVA, or false when no section holds it.
  bool Offset(uint32_t rva, uint32_t* offset) const {
    for (const IMAGE_SECTION_HEADER& s : sections_) {
      const uint32_t size = s.SizeOfRawData;
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress < size) {
        *offset = s.PointerToRawData + (rva - s.VirtualAddress);
        return true;
      }
    }
    return false;
  }

  template <typename T>
  bool AtRva(uint32_t rva, T* out) const {
    uint32_t offset;
    return Offset(rva, &offset) && At(offset, out);
  }

  bool StringAtRva(uint32_t rva, std::string* out) const {
    uint32_t offset;
    return Offset(rva, &offset) && String(offset, out);
  }

  const IMAGE_DATA_DIRECTORY& Directory(int index) const { return nt_.OptionalHeader.DataDirectory[index]; }
  const IMAGE_NT_HEADERS32& Headers() const { return nt_; }
  const std::vector<IMAGE_SECTION_HEADER>& Sections() const { return sections_; }

 private:
  std::vector<uint8_t> bytes_;
  IMAGE_NT_HEADERS32 nt_{};
  std::vector<IMAGE_SECTION_HEADER> sections_;
};

bool ReadExports(const PeReader& pe, PeImage* image) {
  const IMAGE_DATA_DIRECTORY& dir = pe.Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
  if (dir.VirtualAddress == 0) return true;
  IMAGE_EXPORT_DIRECTORY exp;
  if (!pe.AtRva(dir.VirtualAddress, &exp) || !pe.StringAtRva(exp.Name, &image->exportModuleName))
    return false;
  if (exp.NumberOfFunctions > 0x10000 || exp.NumberOfNames > exp.NumberOfFunctions) return false;
  for (uint32_t i = 0; i < exp.NumberOfFunctions; ++i) {
    uint32_t rva;
    if (!pe.AtRva(exp.AddressOfFunctions + 4 * i, &rva)) return false;
    if (rva != 0) image->exports.push_back({exp.Base + i, {}, rva});
  }
  for (uint32_t i = 0; i < exp.NumberOfNames; ++i) {
    uint32_t nameRva;
    uint16_t index;
    std::string name;
    if (!pe.AtRva(exp.AddressOfNames + 4 * i, &nameRva) ||
        !pe.AtRva(exp.AddressOfNameOrdinals + 2 * i, &index) || !pe.StringAtRva(nameRva, &name)) {
      return false;
    }
    for (PeExport& e : image->exports) {
      if (e.ordinal == exp.Base + index) e.name = name;
    }
  }
  return true;
}

bool ReadImports(const PeReader& pe, PeImage* image) {
  const IMAGE_DATA_DIRECTORY& dir = pe.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  if (dir.VirtualAddress == 0) return true;
  for (uint32_t i = 0;; ++i) {
    IMAGE_IMPORT_DESCRIPTOR desc;
    if (!pe.AtRva(dir.VirtualAddress + i * sizeof(desc), &desc)) return false;
    if (desc.Name == 0) return true;
    std::string name;
    if (!pe.StringAtRva(desc.Name, &name)) return false;
    image->importedModules.push_back(name);
  }
}

bool ReadSymbols(const PeReader& pe, PeImage* image) {
  const IMAGE_FILE_HEADER& file = pe.Headers().FileHeader;
  if (file.PointerToSymbolTable == 0 || file.NumberOfSymbols == 0) return true;
  const uint32_t strings = file.PointerToSymbolTable + file.NumberOfSymbols * 18;  // 18-byte records
  for (uint32_t i = 0; i < file.NumberOfSymbols; ++i) {
    IMAGE_SYMBOL symbol;
    if (!pe.At(file.PointerToSymbolTable + i * 18, &symbol)) return false;
    std::string name;
    if (symbol.N.Name.Short != 0) {
      name.assign(reinterpret_cast<const char*>(symbol.N.ShortName),
                  strnlen(reinterpret_cast<const char*>(symbol.N.ShortName), 8));
    } else if (!pe.String(strings + symbol.N.Name.Long, &name)) {
      return false;
    }
    if (symbol.SectionNumber > 0) image->definedSymbols.push_back(name);
    i += symbol.NumberOfAuxSymbols;
  }
  return true;
}

}  // namespace

bool ReadPeImage(const std::string& path, PeImage* image, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot open " + path;
    return false;
  }
  PeReader pe(std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {}));
  PeImage result;
  if (!pe.ReadHeaders()) {
    *error = path + " is not a PE32 image";
    return false;
  }
  if (!ReadExports(pe, &result) || !ReadImports(pe, &result)) {
    *error = path + " has a damaged export or import directory";
    return false;
  }
  if (!ReadSymbols(pe, &result)) {
    *error = path + " has a damaged symbol table";
    return false;
  }
  const IMAGE_OPTIONAL_HEADER32& optional = pe.Headers().OptionalHeader;
  result.dllCharacteristics = optional.DllCharacteristics;
  result.sectionAlignment = optional.SectionAlignment;
  result.relocationBytes = pe.Directory(IMAGE_DIRECTORY_ENTRY_BASERELOC).Size;
  for (const IMAGE_SECTION_HEADER& section : pe.Sections()) {
    const auto* name = reinterpret_cast<const char*>(section.Name);
    result.sections.push_back(
        {std::string(name, strnlen(name, IMAGE_SIZEOF_SHORT_NAME)), section.Characteristics});
  }
  *image = std::move(result);
  return true;
}

}  // namespace host
