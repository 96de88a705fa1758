// The files of a folder, or of a whole tree, for verinfo.exe: listed with
// the wide functions on "\\?\" paths, so no length or character limits
// them, and handed on one at a time as they are found, so nothing grows
// with the tree but the depth.
#pragma once

#include <windows.h>

#include <string>

namespace verinfo {

class TWalkSink {
 public:
  // A file found: `shown` is the path as the caller named the folder plus
  // the names below it; `exact` is its "\\?\" form, to open it by.
  virtual void File(const std::wstring& shown, const std::wstring& exact) = 0;
  // A folder that could not be opened or listed, with the Windows error.
  virtual void FolderFailed(const std::wstring& shown, DWORD error) = 0;

 protected:
  ~TWalkSink() = default;
};

// Lists the folder `exact` (a "\\?\" path) shown as `shown`, and with
// `recurse` every folder below it. A folder that is one of those it is in
// already, reached again through a junction or symbolic link, is passed
// over: the walk never loops.
void WalkFolder(std::wstring shown, std::wstring exact, bool recurse, TWalkSink& sink);

}  // namespace verinfo
