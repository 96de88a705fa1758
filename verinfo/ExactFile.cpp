#include "verinfo/ExactFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace verinfo {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

std::wstring FullPathOf(const std::wstring& name) {
  DWORD size = MAX_PATH;
  while (size != 0) {
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    if (length < size) {
      full.resize(length);
      return full;
    }
    size = length;  // the current folder changed in between; once more
  }
  return {};
}

// A folder or device is no file to read.
DWORD KindError(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_DIRECTORY;
  return attributes & FILE_ATTRIBUTE_DEVICE ? ERROR_BAD_FILE_TYPE : 0;
}

}  // namespace

std::wstring ExactPath(const char* name) {
  if (!name || !*name) return {};
  // The A functions read names in the file system's code page.
  const UINT codePage = ::AreFileApisANSI() ? CP_ACP : CP_OEMCP;
  const int units = ::MultiByteToWideChar(codePage, 0, name, -1, nullptr, 0);
  if (units <= 1) return {};
  std::wstring wide(units, L'\0');
  ::MultiByteToWideChar(codePage, 0, name, -1, wide.data(), units);
  return ExactPath(wide.c_str());
}

std::wstring ExactPath(const wchar_t* name) {
  if (!name || !*name) return {};
  const std::wstring wide(name);
  if (StartsWith(wide, L"\\\\?\\")) return wide;  // already exact

  // The last component is taken as it is: the full-path function would turn
  // "aux.dll" or "com1.txt" into a device. Only the trailing dots and
  // spaces that every Win32 name loses are dropped, as the A functions do.
  size_t cut = wide.size();
  while (cut > 0 && !IsSeparator(wide[cut - 1])) --cut;
  if (cut == 0 && wide.size() >= 2 && wide[1] == L':') cut = 2;  // "C:name" is relative to C's folder
  std::wstring last = wide.substr(cut);
  while (!last.empty() && (last.back() == L'.' || last.back() == L' ')) last.pop_back();
  if (last.empty()) return {};  // "dir\", "..", "." name folders
  // "_" stands in for the last component while the folder part is resolved.
  std::wstring full = FullPathOf(wide.substr(0, cut) + L"_");
  if (full.empty() || full.back() != L'_') return {};
  full.pop_back();
  full += last;

  if (StartsWith(full, L"\\\\.\\")) return L"\\\\?\\" + full.substr(4);
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') return L"\\\\?\\" + full;
  return {};
}

std::wstring ExactFolderPath(const wchar_t* name) {
  if (!name || !*name) return {};
  if (StartsWith(name, L"\\\\?\\")) return name;
  std::wstring full = FullPathOf(name);
  // "C:\dir\" and "C:\dir" are one folder; a root keeps its separator.
  while (full.size() > 3 && IsSeparator(full.back())) full.pop_back();
  if (StartsWith(full, L"\\\\.\\")) return {};  // a device
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':') return L"\\\\?\\" + full;
  return {};
}

TExactFile::TExactFile(const char* name) : TExactFile(ExactPath(name)) {}

TExactFile::TExactFile(const std::wstring& path) {
  // Only drive, UNC and volume paths lead to disk files; "\\?\pipe\..." and
  // other device paths are never opened.
  const bool disk =
      path.size() > 6 && ((path[5] == L':' && path[6] == L'\\') || StartsWith(path, L"\\\\?\\UNC\\") ||
                          StartsWith(path, L"\\\\?\\Volume{"));
  if (!disk) {
    error_ = path.empty() ? ERROR_INVALID_NAME : ERROR_BAD_FILE_TYPE;
    return;
  }
  // Nothing is asked before the open (Wine opens a FIFO without waiting for
  // a writer, and a folder does not open): an ordinary file costs the open
  // and one query, made before anything reads.
  const HANDLE opened =
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    error_ = ::GetLastError();
    // A folder fails as access denied; it is named as what it is.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && KindError(attributes) != 0) error_ = KindError(attributes);
    return;
  }
  shared::ScopedHandle file(opened);
  // The pointer set to the start is the one question asked: what cannot
  // seek (a FIFO, a pipe, a terminal) could keep a read waiting for a
  // writer, so it holds no bytes to read, and nothing failed. The size is
  // learnt from the reads: a disk file gives less than asked only at its
  // end.
  if (!::SetFilePointerEx(file.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return;
  file_ = std::move(file);
}

size_t TExactFile::ReadDirect(uint64_t offset, void* out, size_t length) const {
  // Positioned by the file pointer, not by an OVERLAPPED: Wine answers a
  // read given an OVERLAPPED with one more server request, to post its
  // completion, and a file holds one pointer anyway.
  if (offset != position_) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    position_ = ~uint64_t{0};  // unknown until the move succeeds
    if (!::SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN)) return 0;
    position_ = offset;
  }
  auto* at = static_cast<uint8_t*>(out);
  size_t done = 0;
  while (done < length) {
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(length - done, 1u << 20));
    if (!::ReadFile(file_.Get(), at + done, wanted, &read, nullptr)) {
      position_ = ~uint64_t{0};
      return done;
    }
    done += read;
    position_ += read;
    // Less than asked is the end of the file: never asked again, so a
    // device that trickles bytes cannot hold the reader.
    if (read < wanted) {
      end_ = std::min(end_, offset + done);
      break;
    }
  }
  seen_ = std::max(seen_, offset + done);
  return done;
}

bool TExactFile::Holds(uint64_t end) const {
  if (!IsOpen() || end > end_) return false;
  if (end <= seen_) return true;
  uint8_t last;
  return Read(end - 1, &last, 1);
}

bool TExactFile::Read(uint64_t offset, void* out, size_t length) const {
  if (!IsOpen() || offset > end_ || end_ - offset < length) return false;
  if (length == 0) return Holds(offset);
  if (length > kBlock / 2) return ReadDirect(offset, out, length) == length;
  if (offset < blockAt_ || offset - blockAt_ + length > blockLength_) {
    // From the 512-byte boundary below: headers and directories are read
    // forwards and backwards around one place.
    uint64_t start = offset & ~uint64_t{511};
    if (offset - start + length > kBlock) start = offset;
    if (start >= end_) return false;
    const size_t fill = static_cast<size_t>(std::min<uint64_t>(kBlock, end_ - start));
    blockAt_ = start;
    blockLength_ = ReadDirect(start, block_, fill);
    if (offset - start + length > blockLength_) return false;
  }
  std::memcpy(out, block_ + (offset - blockAt_), length);
  return true;
}

}  // namespace verinfo
