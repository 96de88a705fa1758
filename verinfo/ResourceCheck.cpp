#include "verinfo/ResourceCheck.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace verinfo {

namespace {

// A read-only view of a whole file, released on every path.
class FileView {
 public:
  explicit FileView(const char* path) {
    file_ = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file_, &size) || size.QuadPart == 0 || size.QuadPart > 0x7FFFFFFF) return;
    mapping_ = ::CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_) return;
    data_ = static_cast<const uint8_t*>(::MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    if (data_) size_ = static_cast<size_t>(size.QuadPart);
  }
  ~FileView() {
    if (data_) ::UnmapViewOfFile(data_);
    if (mapping_) ::CloseHandle(mapping_);
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
  }
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;

  template <typename T>
  bool At(size_t offset, T* out) const {
    if (!data_ || offset > size_ || size_ - offset < sizeof(T)) return false;
    std::memcpy(out, data_ + offset, sizeof(T));
    return true;
  }
  size_t Size() const { return size_; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

enum class Verdict { Inside, Outside, Unknown };

struct ResourceSection {
  uint32_t rva;         // of the resource directory
  uint32_t sectionRva;  // of the section holding it
  uint32_t rawOffset;   // file offset of that section's data
  uint32_t rawSize;     // bytes of it in the file
};

// File offset of `rva`..`rva + size` inside the resource section's raw data.
bool Locate(const ResourceSection& s, const FileView& file, uint32_t rva, uint32_t size, size_t* offset) {
  if (rva < s.sectionRva) return false;
  const uint64_t inSection = uint64_t{rva} - s.sectionRva;
  if (inSection + size > s.rawSize) return false;
  const uint64_t at = uint64_t{s.rawOffset} + inSection;
  if (at + size > file.Size()) return false;
  *offset = static_cast<size_t>(at);
  return true;
}

// The first entry of the directory at `directory` (an offset within the
// resource section) with the given numeric id, or its first entry when
// `id` is 0. Sets `entry` to the entry's target offset/flag word.
Verdict FindEntry(const ResourceSection& s, const FileView& file, uint32_t directory, uint16_t id,
                  uint32_t* target) {
  size_t offset;
  if (!Locate(s, file, s.rva + directory, sizeof(IMAGE_RESOURCE_DIRECTORY), &offset)) return Verdict::Outside;
  IMAGE_RESOURCE_DIRECTORY dir;
  file.At(offset, &dir);
  const uint32_t count = uint32_t{dir.NumberOfNamedEntries} + dir.NumberOfIdEntries;
  const uint32_t entries = directory + sizeof dir;
  if (!Locate(s, file, s.rva + entries, count * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY), &offset)) {
    return Verdict::Outside;
  }
  for (uint32_t i = 0; i < count; ++i) {
    IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
    file.At(offset + i * sizeof entry, &entry);
    if (id == 0 || (!(entry.Name & 0x80000000u) && (entry.Name & 0xFFFF) == id)) {
      *target = entry.OffsetToData;
      return Verdict::Inside;
    }
  }
  return Verdict::Unknown;  // no such entry: nothing for the platform to trip on
}

Verdict CheckVersionResource(const FileView& file) {
  IMAGE_DOS_HEADER dos;
  if (!file.At(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return Verdict::Unknown;
  const size_t nt = static_cast<uint32_t>(dos.e_lfanew);
  DWORD signature;
  IMAGE_FILE_HEADER header;
  WORD magic;
  if (!file.At(nt, &signature) || signature != IMAGE_NT_SIGNATURE) return Verdict::Unknown;
  if (!file.At(nt + 4, &header) || !file.At(nt + 4 + sizeof header, &magic)) return Verdict::Outside;
  IMAGE_DATA_DIRECTORY resources;
  const size_t optional = nt + 4 + sizeof header;
  const size_t directories = magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
                                 ? optional + offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                 : optional + offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
  if (!file.At(directories + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof resources, &resources)) {
    return Verdict::Outside;
  }
  if (resources.VirtualAddress == 0) return Verdict::Unknown;
  ResourceSection s{resources.VirtualAddress, 0, 0, 0};
  const size_t sections = optional + header.SizeOfOptionalHeader;
  bool found = false;
  for (unsigned i = 0; i < header.NumberOfSections && !found; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!file.At(sections + i * sizeof section, &section)) return Verdict::Outside;
    const uint32_t extent = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
    if (s.rva >= section.VirtualAddress && s.rva - section.VirtualAddress < extent) {
      s.sectionRva = section.VirtualAddress;
      s.rawOffset = section.PointerToRawData;
      s.rawSize = section.SizeOfRawData;
      found = true;
    }
  }
  if (!found) return Verdict::Outside;

  // Type RT_VERSION, then its first name, then its first language.
  uint32_t target = 0;
  Verdict v = FindEntry(s, file, 0, 16, &target);
  if (v != Verdict::Inside) return v;
  for (int level = 0; level < 2; ++level) {
    if (!(target & 0x80000000u)) break;  // a leaf earlier than usual
    v = FindEntry(s, file, target & 0x7FFFFFFFu, 0, &target);
    if (v != Verdict::Inside) return v;
  }
  if (target & 0x80000000u) return Verdict::Outside;  // deeper than a resource tree goes
  size_t offset;
  if (!Locate(s, file, s.rva + target, sizeof(IMAGE_RESOURCE_DATA_ENTRY), &offset)) return Verdict::Outside;
  IMAGE_RESOURCE_DATA_ENTRY data;
  file.At(offset, &data);
  size_t dataOffset;
  return Locate(s, file, data.OffsetToData, data.Size, &dataOffset) ? Verdict::Inside : Verdict::Outside;
}

}  // namespace

bool VersionResourceInsideFile(const char* path) {
  const FileView file(path);
  return CheckVersionResource(file) != Verdict::Outside;
}

}  // namespace verinfo
