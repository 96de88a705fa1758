// Where a module keeps its version resource (type 16, name 1): in a PE32
// or PE32+ image through its resource directory, in a 16-bit NE module
// through its resource table. Every count and offset is checked before it
// is used, and nothing is read beyond one directory entry at a time.
#pragma once

#include <cstdint>
#include <optional>

#include "verinfo/ExactFile.h"
#include "verinfo/PeImage.h"

namespace verinfo {

class TVersionResource {
 public:
  explicit TVersionResource(const TExactFile& file);

  bool Found() const { return found_; }
  bool InSixteenBitModule() const { return sixteenBit_; }
  // The size the resource entry states, however much of it there is.
  uint32_t StatedSize() const { return size_; }
  // Copies `length` bytes of the resource from `offset` on; false when any
  // of them lies outside the image or the file.
  bool Read(uint32_t offset, void* out, uint32_t length) const;
  // The PE image the file holds, when it is one ("PE\0\0" found).
  const TPeImage* Image() const { return image_ ? &*image_ : nullptr; }
  // The language of the resource taken, when it is a numbered entry of a
  // PE image's tree.
  std::optional<uint16_t> Language() const { return language_; }

 private:
  void LocateInPe(uint32_t ntOffset);
  void LocateInNe(uint32_t neOffset);

  const TExactFile& file_;
  std::optional<TPeImage> image_;
  bool found_ = false;
  bool sixteenBit_ = false;
  bool inImage_ = false;  // `at_` is an image address, else a file position
  uint64_t at_ = 0;
  uint32_t size_ = 0;
  std::optional<uint16_t> language_;
};

}  // namespace verinfo
