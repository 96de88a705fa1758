// A PE32 or PE32+ image as the loader maps it, read from the file piece by
// piece: the resource directory's place, and the bytes at any address of
// the image.
#pragma once

#include <cstdint>

#include "verinfo/ExactFile.h"

namespace verinfo {

struct TPeSection {
  uint32_t rva = 0;
  uint32_t extent = 0;     // bytes of the image it spans, section-aligned
  uint64_t fileStart = 0;  // where the loader reads it from
  uint32_t fileBytes = 0;  // how many; the rest of the extent is zeros
};

class TPeImage {
 public:
  // The image whose "PE\0\0" signature is at `ntOffset` of `file`.
  TPeImage(const TExactFile& file, uint32_t ntOffset);

  // The headers were read and name a resource directory (the loader looks
  // at its address only, not at the size stated beside it).
  bool HasResources() const { return resourceRva_ != 0; }
  // The loader would map the image (sections in order, inside the image).
  bool Mappable() const { return mappable_; }
  uint32_t ResourceRva() const { return resourceRva_; }

  // The image's bytes at [rva, rva + length): from the file where the
  // headers or a section hold them, zeros where a section's extent goes on
  // past its data. False for any byte outside the image or a section.
  bool ReadImage(uint32_t rva, void* out, uint32_t length) const;

  // The loader maps at most this many sections.
  static constexpr int kMaxSections = 96;

 private:
  const TExactFile& file_;
  bool mappable_ = false;
  uint32_t resourceRva_ = 0;
  uint32_t imageSize_ = 0;
  uint32_t headerExtent_ = 0;
  uint32_t headerBytes_ = 0;
  int sectionCount_ = 0;
  TPeSection sections_[kMaxSections];
};

}  // namespace verinfo
