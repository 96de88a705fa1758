// verinfo.exe [--all | --json | --csv] [-r] FILE|FOLDER...: the version
// data of files, and of the files of folders, for scripts and for
// comparing the reader with other tools. Without an option, one
// tab-separated line per file with the texts the library list shows: name
// as given, 1 or 0 for version data, product name, legal copyright, file
// version, product version. The README lists every field and format.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "verinfo/ExactFile.h"
#include "verinfo/FileWalk.h"
#include "verinfo/Inventory.h"

extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expandWildcards,
                              int* startInfo);

namespace {

constexpr char kUsage[] =
    "usage: verinfo [--all | --json | --csv] [-r] FILE|FOLDER...\n"
    "  --all   every field, one \"name: value\" line each\n"
    "  --json  every field, one JSON object per file (JSON Lines)\n"
    "  --csv   every standard field, CSV with a header row\n"
    "  -r      the files of every folder below a folder named\n";

// "N files" on the console while a walk runs, once it has run a second;
// only when the rows go elsewhere, so the two never mix on one screen.
class TProgress {
 public:
  TProgress() {
    DWORD mode;
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    shown_ =
        ::GetConsoleMode(error, &mode) && ::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_CHAR;
    start_ = ::GetTickCount64();
  }
  ~TProgress() {
    if (written_) std::fputs("\r                                        \r", stderr);
  }
  void Count() {
    ++files_;
    if (!shown_ || files_ % 64 != 0) return;
    const ULONGLONG now = ::GetTickCount64();
    if (now - start_ < 1000 || now - last_ < 250) return;
    last_ = now;
    written_ = true;
    std::fprintf(stderr, "\rverinfo: %lu files read", static_cast<unsigned long>(files_));
    std::fflush(stderr);
  }

 private:
  bool shown_ = false, written_ = false;
  ULONGLONG start_ = 0, last_ = 0;
  unsigned long files_ = 0;
};

class TToolSink : public verinfo::TWalkSink {
 public:
  TToolSink(verinfo::TInventory& inventory, TProgress& progress)
      : inventory_(inventory), progress_(progress) {}
  void File(const std::wstring& shown, const std::wstring& exact) override {
    const verinfo::TAdded added = inventory_.AddFile(shown, exact);
    // Listed as a file, a folder when opened: it changed in between.
    if (added == verinfo::TAdded::NotAFile)
      inventory_.AddFailure(shown, verinfo::ErrorText("cannot open", ERROR_DIRECTORY));
    if (added != verinfo::TAdded::Read) failed_ = true;
    progress_.Count();
  }
  void FolderFailed(const std::wstring& shown, DWORD error) override {
    inventory_.AddFailure(shown, verinfo::ErrorText("cannot list folder", error));
    failed_ = true;
  }
  bool Failed() const { return failed_; }

 private:
  verinfo::TInventory& inventory_;
  TProgress& progress_;
  bool failed_ = false;
};

// The arguments as UTF-16, for names the ANSI code page cannot spell; the
// 8-bit ones widened when the two lists disagree.
std::vector<std::wstring> WideArguments(int argc, char** argv) {
  std::vector<std::wstring> wide;
  // The runtime's own wide split of the command line: the rules that split
  // `argv`, and no shell library loaded for it (under Wine a large part of
  // the program's start).
  int count = 0;
  wchar_t** list = nullptr;
  wchar_t** environment = nullptr;
  int startInfo = 0;  // _startupinfo: the new-handler mode, left as it is
  if (__wgetmainargs(&count, &list, &environment, 0, &startInfo) == 0 && list && count == argc)
    wide.assign(list, list + count);
  if (wide.empty()) {
    for (int i = 0; i < argc; ++i) {
      const int units = ::MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0);
      std::wstring arg(static_cast<size_t>(units > 0 ? units : 1), L'\0');
      if (units > 0) ::MultiByteToWideChar(CP_ACP, 0, argv[i], -1, arg.data(), units);
      arg.pop_back();
      wide.push_back(std::move(arg));
    }
  }
  return wide;
}

bool IsFolder(const std::wstring& exactFolder) {
  const DWORD attributes =
      exactFolder.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(exactFolder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

namespace {

int Run(int argc, char** argv) {
  bool all = false, json = false, csv = false, recurse = false, optionsEnd = false;
  std::vector<int> names;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (optionsEnd || arg[0] != '-' || arg[1] == 0) {
      names.push_back(i);
    } else if (std::strcmp(arg, "--") == 0) {
      optionsEnd = true;
    } else if (std::strcmp(arg, "-r") == 0) {
      recurse = true;
    } else if (std::strcmp(arg, "--all") == 0) {
      all = true;
    } else if (std::strcmp(arg, "--json") == 0) {
      json = true;
    } else if (std::strcmp(arg, "--csv") == 0) {
      csv = true;
    } else {
      std::fprintf(stderr, "verinfo: unknown option %s\n%s", arg, kUsage);
      return 2;
    }
  }
  if (json && csv) {
    std::fprintf(stderr, "verinfo: --json and --csv exclude each other\n%s", kUsage);
    return 2;
  }
  // --json and --csv hold every field already: --all beside them changes nothing.
  const verinfo::TRowFormat format = json  ? verinfo::TRowFormat::Json
                                     : csv ? verinfo::TRowFormat::Csv
                                     : all ? verinfo::TRowFormat::All
                                           : verinfo::TRowFormat::Lines;
  if (names.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // Lines end as each format says, whatever reads them.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::vector<std::wstring> wide = WideArguments(argc, argv);
  verinfo::TInventory inventory(format, stdout);
  TProgress progress;
  TToolSink sink(inventory, progress);
  bool failed = false;
  for (int i : names) {
    // A file first, as it always was read; a name the reader finds to be
    // no file is listed when it is a folder.
    verinfo::TAdded added = format == verinfo::TRowFormat::Lines
                                ? inventory.AddNamed(argv[i])
                                : inventory.AddFile(wide[i], verinfo::ExactPath(wide[i].c_str()));
    if (added == verinfo::TAdded::NotAFile) {
      const std::wstring folder = verinfo::ExactFolderPath(wide[i].c_str());
      if (IsFolder(folder)) {
        verinfo::WalkFolder(wide[i], folder, recurse, sink);
        continue;
      }
      added = verinfo::TAdded::Failed;
      if (format == verinfo::TRowFormat::Lines)
        inventory.AddNamedFailure(argv[i]);
      else
        inventory.AddFailure(wide[i], verinfo::ErrorText("cannot open", ERROR_INVALID_NAME));
    }
    if (added == verinfo::TAdded::Failed) failed = true;
  }
  inventory.Flush();
  return failed || sink.Failed() ? 1 : 0;
}

}  // namespace

extern "C" int FrameTablesRefused(void);  // shared/FrameRegistration.c

int main(int argc, char** argv) {
  // Without its unwind tables the first throw would end the program with no
  // word of why; refuse to start instead.
  if (FrameTablesRefused()) {
    std::fputs("verinfo: the program's unwind tables were not found\n", stderr);
    return 1;
  }
  int status;
  try {
    status = Run(argc, argv);
  } catch (const std::exception&) {
    // Memory ran out outside any one file (a walk's path, the output).
    std::fputs("verinfo: out of memory\n", stderr);
    status = 1;
  }
  // The runtime's exit, less its question whether the .NET runtime is
  // loaded: asking the loader for a module that is not there searches the
  // folders first (under Wine nearly a millisecond of every run).
  std::fflush(nullptr);
  _cexit();
  ::ExitProcess(static_cast<UINT>(status));
}
