// The folder passes of the library scan.
#include "dialog/LibraryScan.h"

#include <cstring>

#include "dialog/SystemQueries.h"
#include "shared/AnsiChars.h"
#include "shared/PathUtils.h"
#include "shared/Scoped.h"

namespace dialog {

namespace {

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

}  // namespace

void ForEachFolderFile(const std::string& folder, const std::function<void(const char* name)>& onFile) {
  // "" + "*.*" would list the current directory, which is not ours to scan.
  if (folder.empty()) return;
  const std::string pattern = shared::AddPathSlash(folder) + "*.*";
  WIN32_FIND_DATAA entry;
  HANDLE found = ::FindFirstFileA(pattern.c_str(), &entry);
  shared::ScopedFindHandle listing(found == INVALID_HANDLE_VALUE ? nullptr : found);
  if (!listing) return;
  do {
    // The name field is not trusted to hold its zero.
    entry.cFileName[MAX_PATH - 1] = '\0';
    if (IsDotEntry(entry.cFileName) || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    onFile(entry.cFileName);
  } while (::FindNextFileA(listing.Get(), &entry));
}

void ScanLibraryFolder(const std::string& folder, verinfo::TVersionInfo& reader, TLibraryRowSink& sink) {
  if (folder.empty()) return;
  // One path text for the whole pass: per file only its name is replaced.
  std::string path = shared::AddPathSlash(folder);
  const size_t prefix = path.size();
  ForEachFolderFile(folder, [&](const char* name) {
    try {
      path.resize(prefix);
      path += name;
      reader.SetFilePath(path.c_str());
      if (reader.HasInfo()) sink.AppendRow(name, reader);
    } catch (...) {
      // One file's failure never ends the pass; there is no one to tell.
    }
  });
}

std::string ProgramFolder(const std::string& programPath) {
  const size_t end = shared::FindLastChar(programPath, "\\:");
  return end == std::string::npos ? std::string() : programPath.substr(0, end + 1);
}

TLibraryFolders LibraryFolders() {
  TLibraryFolders folders;
  folders.hostProgram = Queries().hostProgramPath();
  folders.host = ProgramFolder(folders.hostProgram);
  folders.system = Queries().systemFolder();
  return folders;
}

void ScanLibraries(TLibraryRowSink& sink) {
  const TLibraryFolders folders = LibraryFolders();
  verinfo::TVersionInfo reader(folders.hostProgram.c_str());
  ScanLibraryFolder(folders.host, reader, sink);
  ScanLibraryFolder(folders.system, reader, sink);
}

}  // namespace dialog
