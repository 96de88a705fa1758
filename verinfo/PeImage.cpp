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
  machine_ = header.Machine;
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
  magic_ = magic;
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
  if (sectionAlignment == 0 || (sectionAlignment & (sectionAlignment - 1)) != 0 || imageSize_ == 0) return;

  // The loader reads the section table wherever SizeOfHeaders ends, and the
  // headers it maps grow to hold it; a table that runs past the image, or
  // past the file, leaves the image unmapped. What is held here is so
  // bounded by the file: one 16-byte entry for each 40-byte header in it,
  // at most 65,535.
  const uint64_t table = optional + header.SizeOfOptionalHeader;
  const uint32_t count = header.NumberOfSections;
  const uint64_t tableEnd = table + uint64_t{count} * sizeof(IMAGE_SECTION_HEADER);
  if (tableEnd > AlignUp(imageSize_, sectionAlignment) || !file.Holds(tableEnd)) return;
  headerBytes_ =
      static_cast<uint32_t>(std::max<uint64_t>(headerBytes_, std::min<uint64_t>(tableEnd, imageSize_)));
  headerExtent_ =
      static_cast<uint32_t>(std::min<uint64_t>(AlignUp(headerBytes_, sectionAlignment), imageSize_));
  TPeSection* sections = held_;
  if (count > kHeldSections) {
    more_.resize(count);
    sections = more_.data();
  }
  // Read a few headers at a time; a handful of them is one read.
  constexpr uint32_t kChunk = 48;
  IMAGE_SECTION_HEADER raw[kChunk];
  static_assert(sizeof raw <= 2048, "a chunk goes through the file's cached block");
  uint64_t next = headerExtent_;
  for (uint32_t first = 0; first < count; first += kChunk) {
    const uint32_t chunk = std::min(count - first, kChunk);
    if (!file.Read(table + uint64_t{first} * sizeof raw[0], raw, chunk * sizeof raw[0])) return;
    for (uint32_t i = 0; i < chunk; ++i) {
      TPeSection& s = sections[first + i];
      const uint32_t virtualSize = raw[i].Misc.VirtualSize ? raw[i].Misc.VirtualSize : raw[i].SizeOfRawData;
      s.rva = raw[i].VirtualAddress;
      s.extent =
          static_cast<uint32_t>(std::min<uint64_t>(AlignUp(virtualSize, sectionAlignment), 0xFFFFFFFFu));
      s.fileStart = raw[i].PointerToRawData & ~(kSector - 1);
      s.fileBytes = raw[i].PointerToRawData ? std::min<uint32_t>(raw[i].SizeOfRawData, virtualSize) : 0;
      // Sections follow the headers and each other, each at an aligned
      // address, all inside the image; the loader refuses anything else,
      // however many there are.
      if (s.rva % sectionAlignment != 0 || s.rva < next ||
          uint64_t{s.rva} + s.extent > AlignUp(imageSize_, sectionAlignment))
        return;
      next = uint64_t{s.rva} + s.extent;
    }
  }
  sectionCount_ = count;
  mappable_ = true;
}

bool TPeImage::ReadImage(uint32_t rva, void* out, uint32_t length) const {
  if (!mappable_ || rva > imageSize_ || imageSize_ - rva < length) return false;
  auto* to = static_cast<uint8_t*>(out);
  while (length > 0) {
    // The region holding `rva`: the headers or one section.
    uint32_t start = 0, extent = headerExtent_, bytes = headerBytes_;
    uint64_t fileStart = 0;
    if (rva >= headerExtent_) {
      // The sections lie in ascending order and apart: only the last one
      // that starts at or below `rva` can hold it, found in at most 17 steps.
      const std::span<const TPeSection> sections = Sections();
      const auto after = std::upper_bound(sections.begin(), sections.end(), rva,
                                          [](uint32_t at, const TPeSection& s) { return at < s.rva; });
      if (after == sections.begin()) return false;
      const TPeSection& s = after[-1];
      if (rva - s.rva >= s.extent) return false;
      start = s.rva;
      extent = s.extent;
      bytes = s.fileBytes;
      fileStart = s.fileStart;
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
