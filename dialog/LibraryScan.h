// The system libraries scan: folder passes that hand every file of one
// folder to a version reader and report the files that carry version data
// to a row sink. The folders come from the query table (SystemQueries.h),
// so passes run on any folder a test names.
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

// The folder of a program path: up to and including the last backslash or
// colon, "" when it has neither.
std::string ProgramFolder(const std::string& programPath);

struct TLibraryFolders {
  // The host's executable: the file the reader is opened on first.
  std::string hostProgram;
  // The two folders scanned, host folder first.
  std::string host;
  std::string system;
};

// The folders of one scan, from the query table; the host's module name is
// asked once.
TLibraryFolders LibraryFolders();

// One scan: the host folder's pass, then the system folder's, into `sink`
// with one reader. Errors outside a file's own handling escape.
void ScanLibraries(TLibraryRowSink& sink);

}  // namespace dialog
