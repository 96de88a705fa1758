#include "verinfo/ResourceCheck.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace verinfo {

namespace {

// A file read in small pieces at given offsets, through one cached block:
// mapping the whole file would cost the platform several more system
// requests per file than the few reads the headers and the resource
// directory need.
class FileView {
 public:
  explicit FileView(const char* path) {
    file_ = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size;
    if (::GetFileSizeEx(file_, &size) && size.QuadPart > 0 && size.QuadPart <= 0x7FFFFFFF) {
      size_ = static_cast<size_t>(size.QuadPart);
    }
  }
  ~FileView() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
  }
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;

  template <typename T>
  bool At(size_t offset, T* out) const {
    static_assert(sizeof(T) <= kBlock);
    if (offset > size_ || size_ - offset < sizeof(T)) return false;
    if (offset < blockAt_ || offset - blockAt_ + sizeof(T) > blockLength_) {
      if (!Fill(offset) || blockLength_ < sizeof(T)) return false;
    }
    std::memcpy(out, block_ + (offset - blockAt_), sizeof(T));
    return true;
  }
  size_t Size() const { return size_; }

 private:
  static constexpr size_t kBlock = 4096;

  // The block from `offset` on; a read that falls short (the file changed
  // under us) leaves what it got.
  bool Fill(size_t offset) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(kBlock, size_ - offset));
    blockAt_ = offset;
    blockLength_ = 0;
    if (!::ReadFile(file_, block_, wanted, &read, &at)) return false;
    blockLength_ = read;
    return true;
  }

  HANDLE file_ = INVALID_HANDLE_VALUE;
  size_t size_ = 0;
  mutable uint8_t block_[kBlock];
  mutable size_t blockAt_ = 0;
  mutable size_t blockLength_ = 0;
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

// The entries of the directory at `directory` (an offset within the
// resource section): their file offset and count.
bool Entries(const ResourceSection& s, const FileView& file, uint32_t directory, size_t* offset,
             uint32_t* count) {
  size_t at;
  IMAGE_RESOURCE_DIRECTORY dir;
  if (!Locate(s, file, s.rva + directory, sizeof dir, &at) || !file.At(at, &dir)) return false;
  *count = uint32_t{dir.NumberOfNamedEntries} + dir.NumberOfIdEntries;
  return Locate(s, file, s.rva + directory + sizeof dir, *count * sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY),
                offset);
}

// A version type with more entries than this under it is no linker's work:
// directories pointing back at each other could otherwise make the walk
// take for ever.
constexpr int kMaxVersionEntries = 4096;

// The data of the entry `target` (a data entry, or a directory `levels`
// deep at most) and of everything under it; `budget` counts entries down.
Verdict CheckData(const ResourceSection& s, const FileView& file, uint32_t target, int levels, int& budget) {
  if (--budget < 0) return Verdict::Outside;
  if (target & 0x80000000u) {
    if (levels == 0) return Verdict::Outside;  // deeper than a resource tree goes
    size_t offset;
    uint32_t count;
    if (!Entries(s, file, target & 0x7FFFFFFFu, &offset, &count)) return Verdict::Outside;
    for (uint32_t i = 0; i < count; ++i) {
      IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
      if (!file.At(offset + i * sizeof entry, &entry)) return Verdict::Outside;
      if (CheckData(s, file, entry.OffsetToData, levels - 1, budget) == Verdict::Outside)
        return Verdict::Outside;
    }
    return Verdict::Inside;
  }
  size_t offset;
  IMAGE_RESOURCE_DATA_ENTRY data;
  if (!Locate(s, file, s.rva + target, sizeof data, &offset) || !file.At(offset, &data))
    return Verdict::Outside;
  return Locate(s, file, data.OffsetToData, data.Size, &offset) ? Verdict::Inside : Verdict::Outside;
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

  // Every name and language of type RT_VERSION: the version library picks
  // one by the user's language, which may be any of them.
  size_t offset;
  uint32_t count;
  if (!Entries(s, file, 0, &offset, &count)) return Verdict::Outside;
  for (uint32_t i = 0; i < count; ++i) {
    IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
    if (!file.At(offset + i * sizeof entry, &entry)) return Verdict::Outside;
    if (!(entry.Name & 0x80000000u) && (entry.Name & 0xFFFF) == 16) {
      int budget = kMaxVersionEntries;
      return CheckData(s, file, entry.OffsetToData, 2, budget);
    }
  }
  return Verdict::Unknown;  // no version resource: nothing for the platform to trip on
}

}  // namespace

bool VersionResourceInsideFile(const char* path) {
  const FileView file(path);
  return CheckVersionResource(file) != Verdict::Outside;
}

}  // namespace verinfo
