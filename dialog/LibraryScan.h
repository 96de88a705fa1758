// The system libraries scan: folder passes that hand every file of one
// folder to a version reader and report the files that carry version data.
// Where the folders come from is kept apart, so passes run on any folder.
#pragma once

#include <functional>
#include <string>

#include "verinfo/VerInfo.h"

namespace dialog {

// Receives one call per file with version data, in listing order, while the
// reader still points at that file.
class TLibraryRowSink {
 public:
  virtual void AppendRow(const char* fileName, const verinfo::TVersionInfo& reader) = 0;

 protected:
  ~TLibraryRowSink() = default;
};

// Calls `onFile` with the name of every entry of `folder` that is neither
// "." nor ".." nor a directory of any other attributes, in listing order.
// Subfolders are not entered. A folder that cannot be listed, or an empty
// folder text, gives no calls.
void ForEachFolderFile(const std::string& folder, const std::function<void(const char* name)>& onFile);

// One folder pass: re-points `reader` at each file; files with version data
// go to `sink`. An error while one file is handled is dropped and the pass
// goes on with the next.
void ScanLibraryFolder(const std::string& folder, verinfo::TVersionInfo& reader, TLibraryRowSink& sink);

// The running program's executable, as GetModuleFileNameA reports it.
std::string HostProgramPath();
// Its folder: up to and including the last backslash or colon.
std::string HostProgramFolder();
// The Windows system folder, "" when the platform does not say.
std::string SystemFolder();

struct TLibraryFolders {
  std::string host;
  std::string system;
};

// The two folders the dialog scans, host folder first.
TLibraryFolders LibraryFolders();

// Test hook: when set, the dialog scans these folders instead.
inline std::function<TLibraryFolders()> libraryFoldersForTesting;

}  // namespace dialog
