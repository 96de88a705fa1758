#include "verinfo/ResourceLocator.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "verinfo/LanguageOrder.h"

namespace verinfo {

namespace {

constexpr WORD kVersionType = 16;  // RT_VERSION
constexpr WORD kVersionName = 1;   // VS_VERSION_INFO
constexpr uint32_t kIsDirectory = 0x80000000u;

static_assert(sizeof(IMAGE_RESOURCE_DIRECTORY) == 16);
static_assert(sizeof(IMAGE_RESOURCE_DIRECTORY_ENTRY) == 8);
static_assert(sizeof(IMAGE_RESOURCE_DATA_ENTRY) == 16);
static_assert(sizeof(IMAGE_DOS_HEADER) == 64 && offsetof(IMAGE_DOS_HEADER, e_lfanew) == 60);
static_assert(offsetof(IMAGE_OS2_HEADER, ne_rsrctab) == 0x24 &&
              offsetof(IMAGE_OS2_HEADER, ne_restab) == 0x26);

// Bytes of the resource tree at an offset from its root, in the image as
// the loader maps it.
struct TTreeReader {
  const TPeImage& image;
  uint32_t root;
  bool operator()(uint32_t offset, void* out, uint32_t length) const {
    return uint64_t{root} + offset <= 0xFFFFFFFFu && image.ReadImage(root + offset, out, length);
  }
};

struct TDirectory {
  uint32_t offset;  // of its header, from the root
  int named, numbered;
};

std::optional<TDirectory> ReadDirectory(const TTreeReader& read, uint32_t offset) {
  IMAGE_RESOURCE_DIRECTORY header;
  if (!read(offset, &header, sizeof header)) return std::nullopt;
  return TDirectory{offset, header.NumberOfNamedEntries, header.NumberOfIdEntries};
}

bool ReadEntry(const TTreeReader& read, const TDirectory& directory, int index,
               IMAGE_RESOURCE_DIRECTORY_ENTRY& entry) {
  return read(directory.offset + sizeof(IMAGE_RESOURCE_DIRECTORY) + 8u * index, &entry, sizeof entry);
}

// What an entry leads to: above the last level it must say "directory",
// on it "data", or the loader takes it for no entry at all.
std::optional<uint32_t> Target(const IMAGE_RESOURCE_DIRECTORY_ENTRY& entry, bool wantDirectory) {
  if (((entry.OffsetToData & kIsDirectory) != 0) != wantDirectory) return std::nullopt;
  return entry.OffsetToData & ~kIsDirectory;
}

// The numbered entries are sorted by number, so a binary search finds one
// in at most 17 reads whatever the directory claims to hold. Like the
// loader, it compares the entry's low word and stops at the first match.
std::optional<uint32_t> FindNumbered(const TTreeReader& read, const TDirectory& directory, WORD id,
                                     bool wantDirectory) {
  int low = directory.named, high = directory.named + directory.numbered - 1;
  while (low <= high) {
    const int middle = (low + high) / 2;
    IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
    if (!ReadEntry(read, directory, middle, entry)) return std::nullopt;
    const WORD number = LOWORD(entry.Name);
    if (number == id) return Target(entry, wantDirectory);
    if (number > id)
      high = middle - 1;
    else
      low = middle + 1;
  }
  return std::nullopt;
}

// The first data entry, named or numbered, stands in for a missing
// language: at most 131070 entries of 8 bytes, read through one cached block.
std::optional<uint32_t> FirstEntry(const TTreeReader& read, const TDirectory& directory,
                                   std::optional<WORD>& language) {
  const int count = directory.named + directory.numbered;
  for (int i = 0; i < count; ++i) {
    IMAGE_RESOURCE_DIRECTORY_ENTRY entry;
    if (!ReadEntry(read, directory, i, entry)) return std::nullopt;
    if (!(entry.OffsetToData & kIsDirectory)) {
      if (i >= directory.named) language = LOWORD(entry.Name);
      return entry.OffsetToData;
    }
  }
  return std::nullopt;
}

// Type, name, then language: the offset of the version data's entry, and
// the language of the one taken (none for a named one).
std::optional<IMAGE_RESOURCE_DATA_ENTRY> FindVersionEntry(const TTreeReader& read,
                                                          std::optional<WORD>& language) {
  std::optional<TDirectory> directory = ReadDirectory(read, 0);
  std::optional<uint32_t> next;
  if (!directory || !(next = FindNumbered(read, *directory, kVersionType, true))) return std::nullopt;
  if (!(directory = ReadDirectory(read, *next)) ||
      !(next = FindNumbered(read, *directory, kVersionName, true)) ||
      !(directory = ReadDirectory(read, *next))) {
    return std::nullopt;
  }
  WORD languages[kMaxResourceLanguages];
  const int count = ResourceLanguageOrder(languages);
  std::optional<uint32_t> leaf;
  for (int i = 0; i < count && !leaf; ++i) {
    if ((leaf = FindNumbered(read, *directory, languages[i], false))) language = languages[i];
  }
  if (!leaf) leaf = FirstEntry(read, *directory, language);
  IMAGE_RESOURCE_DATA_ENTRY data;
  if (!leaf || !read(*leaf, &data, sizeof data)) return std::nullopt;
  return data;
}

}  // namespace

TVersionResource::TVersionResource(const TExactFile& file) : file_(file) {
  IMAGE_DOS_HEADER dos;
  WORD signature;
  if (!file.Read(0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return;
  const uint32_t next = static_cast<uint32_t>(dos.e_lfanew);
  if (!file.Read(next, &signature, sizeof signature)) return;
  if (signature == IMAGE_OS2_SIGNATURE) LocateInNe(next);
  DWORD peSignature;
  if (signature == LOWORD(IMAGE_NT_SIGNATURE) && file.Read(next, &peSignature, sizeof peSignature) &&
      peSignature == IMAGE_NT_SIGNATURE) {
    LocateInPe(next);
  }
}

void TVersionResource::LocateInPe(uint32_t ntOffset) {
  const TPeImage& image = image_.emplace(file_, ntOffset);
  if (!image.HasResources()) return;
  const uint32_t root = image.ResourceRva();
  // The tree as the loader sees it, in the image it maps.
  if (!image.Mappable()) return;
  std::optional<WORD> language;
  if (const auto entry = FindVersionEntry(TTreeReader{image, root}, language)) {
    language_ = language;
    found_ = inImage_ = true;
    at_ = entry->OffsetToData;
    size_ = entry->Size;
  }
}

void TVersionResource::LocateInNe(uint32_t neOffset) {
  IMAGE_OS2_HEADER header;
  if (!file_.Read(neOffset, &header, sizeof header)) return;
  // The table runs from its own offset to the resident-name table's.
  const int tableSize = int{header.ne_restab} - int{header.ne_rsrctab};
  if (tableSize <= 2) return;
  const uint64_t table = uint64_t{neOffset} + header.ne_rsrctab;
  const auto read = [&](uint32_t offset, void* out, uint32_t length) {
    return offset <= static_cast<uint32_t>(tableSize) &&
           static_cast<uint32_t>(tableSize) - offset >= length && file_.Read(table + offset, out, length);
  };
  WORD shift;
  if (!read(0, &shift, 2)) return;
  // Type records until a zero type; each is followed by its names. A
  // record or name beyond the table is damage, and ends the search.
  struct {
    WORD type, count;
    DWORD loader;
  } type;
  struct {
    WORD offset, length, flags, id, handle, usage;
  } name;
  static_assert(sizeof type == 8 && sizeof name == 12);
  uint32_t at = 2;
  for (;;) {
    if (!read(at, &type.type, 2) || type.type == 0 || !read(at, &type, sizeof type)) return;
    at += sizeof type;
    if (type.type == (0x8000 | kVersionType)) break;
    at += 12u * type.count;
  }
  for (WORD i = 0; i < type.count; ++i, at += sizeof name) {
    if (!read(at, &name, sizeof name)) return;
    if (name.id != (0x8000 | kVersionName)) continue;
    // Offsets and lengths count in units of 2^shift bytes, shifted as a
    // 32-bit x86 shift does.
    found_ = sixteenBit_ = true;
    at_ = uint32_t{name.offset} << (shift & 31);
    size_ = uint32_t{name.length} << (shift & 31);
    return;
  }
}

bool TVersionResource::Read(uint32_t offset, void* out, uint32_t length) const {
  if (!found_ || uint64_t{offset} + length > 0xFFFFFFFFu) return false;
  if (inImage_) {
    const uint64_t rva = at_ + offset;
    return rva + length <= 0xFFFFFFFFu && image_->ReadImage(static_cast<uint32_t>(rva), out, length);
  }
  return file_.Read(at_ + offset, out, length);
}

}  // namespace verinfo
