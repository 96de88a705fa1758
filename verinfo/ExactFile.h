// Exactly the file a name gives, read in bounded pieces. The version
// library's own file access searches other folders for a name it cannot
// find, appends ".dll" to a name without an extension, opens "aux.dll" as
// the AUX device and blocks on a FIFO; none of that happens here.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "shared/Scoped.h"

namespace verinfo {

// The "\\?\" form of the full path of `name` (an 8-bit name in the file
// system's code page), in which DOS device names are ordinary file names.
// Empty when the name is empty, names a folder by its form ("dir\", ".."),
// or is not a drive, UNC or volume path.
std::wstring ExactPath(const char* name);
// The same for a UTF-16 name, for callers that hold names the code page
// cannot spell.
std::wstring ExactPath(const wchar_t* name);
// The "\\?\" form of the full path of the folder `name`, without a
// trailing separator except at a drive's root; empty when it is no drive
// or UNC path.
std::wstring ExactFolderPath(const wchar_t* name);

// One ordinary disk file, opened for reading or not at all: a folder, or a
// pipe or FIFO (which cannot seek), is refused before anything waits on it.
class TExactFile {
 public:
  explicit TExactFile(const char* name);
  // A path already in the "\\?\" form ExactPath gives.
  explicit TExactFile(const std::wstring& exactPath);
  TExactFile(const TExactFile&) = delete;
  TExactFile& operator=(const TExactFile&) = delete;

  bool IsOpen() const { return static_cast<bool>(file_); }
  // Why the file is not open: the Windows error, ERROR_BAD_FILE_TYPE for a
  // pipe, device or other non-disk name, ERROR_DIRECTORY for a folder; 0
  // when it is open or holds no bytes (an empty file is read, not failed).
  DWORD Error() const { return error_; }
  // Copies `length` bytes from `offset`; false unless all of them are in
  // the file. Small reads go through one cached block.
  bool Read(uint64_t offset, void* out, size_t length) const;
  // Whether the file holds at least `end` bytes.
  bool Holds(uint64_t end) const;

 private:
  static constexpr size_t kBlock = 4096;
  // Reads up to `length` bytes from `offset`; how many it got.
  size_t ReadDirect(uint64_t offset, void* out, size_t length) const;

  shared::ScopedHandle file_;
  DWORD error_ = 0;
  mutable uint64_t end_ = ~uint64_t{0};  // of the file, once a read reached it
  mutable uint64_t seen_ = 0;            // bytes known to be there
  mutable uint8_t block_[kBlock];
  mutable uint64_t blockAt_ = 0;
  mutable size_t blockLength_ = 0;
  mutable uint64_t position_ = 0;  // of the file pointer; all ones when unknown
};

}  // namespace verinfo
