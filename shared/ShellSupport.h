// The host's shared shell support, set up when the library loads: a string
// list, a drive list, OLE, the shell clipboard formats and the shell's task
// allocator. The plug-in itself uses none of them afterwards.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

struct IMalloc;

namespace shared {

struct TDriveItem {
  char Root[4] = {};
  UINT DriveType = 0;
};

class ShellSupport {
 public:
  static constexpr size_t kFormatCount = 7;
  static const std::array<const char*, kFormatCount> kFormatNames;

  // Runs on the loading thread. Failures of OLE and the allocator are kept,
  // not reported: loading goes on without them.
  void Load();
  // Undoes Load in reverse. `processExit` is set when the process is ending,
  // when no call into other libraries is safe any more.
  void Unload(bool processExit);

  bool OleInitialized() const { return oleInitialized_; }
  const std::array<UINT, kFormatCount>& Formats() const { return formats_; }

 private:
  std::unique_ptr<std::vector<std::string>> strings_;
  std::unique_ptr<std::vector<std::unique_ptr<TDriveItem>>> drives_;
  bool oleInitialized_ = false;
  DWORD oleThread_ = 0;
  std::array<UINT, kFormatCount> formats_{};
  IMalloc* malloc_ = nullptr;
};

}  // namespace shared
