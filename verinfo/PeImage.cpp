#include "verinfo/PeImage.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace verinfo {

namespace {

// The file's raw pointers count in sectors of this size, whatever the
// image's file alignment says.
constexpr uint32_t kSector = 512;

uint64_t AlignUp(uint64_t value, uint32_t to) { return to ? (value + to - 1) / to * to : value; }

static_assert(sizeof(IMAGE_FILE_HEADER) == 20);
static_assert(sizeof(IMAGE_SECTION_HEADER) == 40);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, SectionAlignment) == 32);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfImage) == 56);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfHeaders) == 60);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes) == 92);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes) == 108);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory) == 96);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory) == 112);

}  // namespace

TPeImage::TPeImage(const TExactFile& file, uint32_t ntOffset) : file_(file) {
  IMAGE_FILE_HEADER header;
  WORD magic;
  const uint64_t optional = uint64_t{ntOffset} + 4 + sizeof header;
  if (!file.Read(uint64_t{ntOffset} + 4, &header, sizeof header) ||
      !file.Read(optional, &magic, sizeof magic))
    return;
  // The fields both layouts share sit at the same places up to the
  // directory count; PE32+ moves it and the directories by 16 bytes.
  size_t countAt, directoriesAt;
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    countAt = offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes);
    directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
  } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
    countAt = offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes);
    directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory);
  } else {
    return;
  }
  uint32_t layout[10];  // SectionAlignment .. SizeOfHeaders
  DWORD directoryCount;
  IMAGE_DATA_DIRECTORY resources{};
  if (!file.Read(optional + 32, layout, sizeof layout) || !file.Read(optional + countAt, &directoryCount, 4))
    return;
  if (directoryCount > IMAGE_DIRECTORY_ENTRY_RESOURCE &&
      !file.Read(optional + directoriesAt + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof resources, &resources,
                 sizeof resources)) {
    return;
  }
  const uint32_t sectionAlignment = layout[0];
  imageSize_ = layout[6];
  headerBytes_ = layout[7];
  resourceRva_ = resources.VirtualAddress;

  const uint64_t table = optional + header.SizeOfOptionalHeader;
  sectionCount_ = std::min<int>(header.NumberOfSections, kMaxSections);
  bool ordered = header.NumberOfSections <= kMaxSections && sectionAlignment != 0 &&
                 (sectionAlignment & (sectionAlignment - 1)) == 0;
  headerExtent_ =
      static_cast<uint32_t>(std::min<uint64_t>(AlignUp(headerBytes_, sectionAlignment), imageSize_));
  uint64_t next = headerExtent_;
  for (int i = 0; i < sectionCount_; ++i) {
    IMAGE_SECTION_HEADER raw;
    if (!file.Read(table + i * sizeof raw, &raw, sizeof raw)) {
      sectionCount_ = i;
      ordered = false;
      break;
    }
    TPeSection& s = sections_[i];
    const uint32_t virtualSize = raw.Misc.VirtualSize ? raw.Misc.VirtualSize : raw.SizeOfRawData;
    s.rva = raw.VirtualAddress;
    s.extent = static_cast<uint32_t>(std::min<uint64_t>(AlignUp(virtualSize, sectionAlignment), 0xFFFFFFFFu));
    s.fileStart = raw.PointerToRawData & ~(kSector - 1);
    s.fileBytes = raw.PointerToRawData ? std::min<uint32_t>(raw.SizeOfRawData, virtualSize) : 0;
    // Sections follow the headers and each other, each at an aligned
    // address, all inside the image; the loader refuses anything else.
    if (sectionAlignment == 0 || s.rva % sectionAlignment != 0 || s.rva < next ||
        uint64_t{s.rva} + s.extent > AlignUp(imageSize_, sectionAlignment))
      ordered = false;
    next = uint64_t{s.rva} + s.extent;
  }
  mappable_ = ordered && imageSize_ != 0;
}

bool TPeImage::ReadImage(uint32_t rva, void* out, uint32_t length) const {
  if (!mappable_ || rva > imageSize_ || imageSize_ - rva < length) return false;
  auto* to = static_cast<uint8_t*>(out);
  while (length > 0) {
    // The region holding `rva`: the headers or one section.
    uint32_t start = 0, extent = headerExtent_, bytes = headerBytes_;
    uint64_t fileStart = 0;
    if (rva >= headerExtent_) {
      int i = 0;
      while (i < sectionCount_ && !(rva >= sections_[i].rva && rva - sections_[i].rva < sections_[i].extent))
        ++i;
      if (i == sectionCount_) return false;
      start = sections_[i].rva;
      extent = sections_[i].extent;
      bytes = sections_[i].fileBytes;
      fileStart = sections_[i].fileStart;
    }
    const uint32_t inRegion = rva - start;
    const uint32_t piece = std::min(length, extent - inRegion);
    // File bytes first, then the zeros after them.
    const uint32_t fromFile = inRegion < bytes ? std::min(piece, bytes - inRegion) : 0;
    if (fromFile && !file_.Read(fileStart + inRegion, to, fromFile)) return false;
    std::memset(to + fromFile, 0, piece - fromFile);
    to += piece;
    rva += piece;
    length -= piece;
  }
  return true;
}

}  // namespace verinfo
