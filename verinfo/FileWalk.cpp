#include "verinfo/FileWalk.h"

#include <optional>
#include <vector>

#include "shared/Scoped.h"

namespace verinfo {

namespace {

// A folder as the file system knows it, whatever path led to it.
struct TFolderId {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const TFolderId&) const = default;
};

std::optional<TFolderId> FolderId(const std::wstring& exact, DWORD& error) {
  // No access asked: a folder is opened for its identity alone.
  const HANDLE opened =
      ::CreateFileW(exact.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    error = ::GetLastError();
    return std::nullopt;
  }
  const shared::ScopedHandle folder(opened);
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(folder.Get(), &info)) {
    error = ::GetLastError();
    return std::nullopt;
  }
  return TFolderId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool EndsInSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/' || path.back() == L':');
}

struct TLevel {
  shared::ScopedFindHandle find;
  size_t shownLength, exactLength;
  TFolderId id;
};

class TWalk {
 public:
  TWalk(std::wstring shown, std::wstring exact, bool recurse, TWalkSink& sink)
      : shown_(std::move(shown)), exact_(std::move(exact)), recurse_(recurse), sink_(sink) {}

  void Run() {
    bool have = Enter();
    while (!levels_.empty()) {
      TLevel& level = levels_.back();
      shown_.resize(level.shownLength);
      exact_.resize(level.exactLength);
      if (!have && !::FindNextFileW(level.find.Get(), &data_)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_NO_MORE_FILES) sink_.FolderFailed(shown_, error);
        levels_.pop_back();
        continue;
      }
      have = false;
      const wchar_t* name = data_.cFileName;
      if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
      if (!EndsInSeparator(shown_)) shown_.push_back(L'\\');
      if (!EndsInSeparator(exact_)) exact_.push_back(L'\\');
      shown_.append(name);
      exact_.append(name);
      if (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (recurse_) have = Enter();
        continue;
      }
      sink_.File(shown_, exact_);
    }
  }

 private:
  // Opens the folder at the current paths and reads its first entry.
  bool Enter() {
    DWORD error = 0;
    const std::optional<TFolderId> id = FolderId(exact_, error);
    if (!id) {
      sink_.FolderFailed(shown_, error);
      return false;
    }
    for (const TLevel& level : levels_)
      if (level.id == *id) return false;  // a link back up: the walk is in there already
    const size_t length = exact_.size();
    exact_.append(EndsInSeparator(exact_) ? L"*" : L"\\*");
    // The basic record leaves out the short name the file system would
    // otherwise make up; large fetches take a folder in fewer calls.
    const HANDLE find = ::FindFirstFileExW(exact_.c_str(), FindExInfoBasic, &data_, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    error = ::GetLastError();
    exact_.resize(length);
    if (find == INVALID_HANDLE_VALUE) {
      if (error != ERROR_FILE_NOT_FOUND) sink_.FolderFailed(shown_, error);
      return false;
    }
    levels_.push_back({shared::ScopedFindHandle(find), shown_.size(), length, *id});
    return true;
  }

  std::wstring shown_, exact_;
  const bool recurse_;
  TWalkSink& sink_;
  std::vector<TLevel> levels_;
  WIN32_FIND_DATAW data_;
};

}  // namespace

void WalkFolder(std::wstring shown, std::wstring exact, bool recurse, TWalkSink& sink) {
  TWalk(std::move(shown), std::move(exact), recurse, sink).Run();
}

}  // namespace verinfo
