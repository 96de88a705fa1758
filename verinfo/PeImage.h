// A PE32 or PE32+ image as the loader maps it, read from the file piece by
// piece: the resource directory's place, and the bytes at any address of
// the image.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "verinfo/ExactFile.h"

namespace verinfo {

struct TPeSection {
  uint32_t rva = 0;
  uint32_t extent = 0;     // bytes of the image it spans, section-aligned
  uint32_t fileStart = 0;  // where the loader reads it from
  uint32_t fileBytes = 0;  // how many; the rest of the extent is zeros
};

class TPeImage {
 public:
  // The image whose "PE\0\0" signature is at `ntOffset` of `file`.
  TPeImage(const TExactFile& file, uint32_t ntOffset);
  TPeImage(const TPeImage&) = delete;
  TPeImage& operator=(const TPeImage&) = delete;

  // The headers were read and name a resource directory (the loader looks
  // at its address only, not at the size stated beside it).
  bool HasResources() const { return resourceRva_ != 0; }
  // The loader would map the image (section table inside the image and the
  // file, sections in order, inside the image).
  bool Mappable() const { return mappable_; }
  uint32_t ResourceRva() const { return resourceRva_; }
  // The file header's machine, none when the headers could not be read;
  // the optional header's magic (0x10B PE32, 0x20B PE32+), 0 for any other.
  std::optional<uint16_t> Machine() const { return machine_; }
  uint16_t Magic() const { return magic_; }

  // The image's bytes at [rva, rva + length): from the file where the
  // headers or a section hold them, zeros where a section's extent goes on
  // past its data. False for any byte outside the image or a section.
  bool ReadImage(uint32_t rva, void* out, uint32_t length) const;

  // The loader maps as many sections as the header's 16-bit count names
  // (Windows XP stopped at 96). Images with up to this many are held in
  // place, so the common case allocates nothing; more go on the heap.
  static constexpr uint32_t kHeldSections = 96;

 private:
  std::span<const TPeSection> Sections() const {
    return {sectionCount_ > kHeldSections ? more_.data() : held_, sectionCount_};
  }

  const TExactFile& file_;
  bool mappable_ = false;
  std::optional<uint16_t> machine_;
  uint16_t magic_ = 0;
  uint32_t resourceRva_ = 0;
  uint32_t imageSize_ = 0;
  uint32_t headerExtent_ = 0;
  uint32_t headerBytes_ = 0;
  uint32_t sectionCount_ = 0;
  TPeSection held_[kHeldSections];
  std::vector<TPeSection> more_;
};

}  // namespace verinfo
