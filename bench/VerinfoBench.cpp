// verinfo_bench: verinfo.exe in every output mode against the I/O floor of
// the same files (io_floor.exe: open, two 4 KB reads, close, in plain C),
// over the system folder named file by file and over a tree of 10,000 hard
// links to its files walked with -r. Every side is a whole process; an empty
// one (empty_program.exe) is timed in the same rounds and taken off each
// side's time of that round, so the ratios are of the work alone. Then
// verinfo.exe's peak working set over 1,000 and 10,000 files of the tree.
// Prints figures; judges nothing.
//
//   verinfo_bench.exe [ROUNDS] [--default-only] [--tool PATH]
//
// ROUNDS (121) of the files' sides, a quarter as many of the tree's; each
// ratio is the median of the rounds' own.
// --tool times another build's verinfo.exe instead of the one beside this
// program; --default-only times only the output mode every verinfo.exe has
// had, for measuring an older build.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "Measure.h"
#include "dialog/LibraryScan.h"
#include "tests/TestPaths.h"

namespace {

// The tree: kTop folders of kMiddle folders of kLeaf files each.
constexpr int kTop = 10, kMiddle = 10, kLeaf = 100;
constexpr int kTreeFiles = kTop * kMiddle * kLeaf;

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
  return wide;
}

// The tree of hard links beside this program, made once and kept (a marker
// file says it is whole): each leaf folder holds kLeaf of the system
// folder's files, a different run of them in each.
std::string MakeTree(const std::string& system, const std::vector<std::string>& names) {
  const std::string tree = testing_paths::BesideExecutable("bench-tree");
  const std::string marker = tree + ".complete";
  if (::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return tree;
  std::printf("making %d hard links in %s\n", kTreeFiles, tree.c_str());
  std::fflush(stdout);
  ::CreateDirectoryA(tree.c_str(), nullptr);
  size_t next = 0;
  for (int top = 0; top < kTop; ++top) {
    const std::string first = tree + "\\d" + std::to_string(top);
    ::CreateDirectoryA(first.c_str(), nullptr);
    for (int middle = 0; middle < kMiddle; ++middle) {
      const std::string leaf = first + "\\e" + std::to_string(middle);
      ::CreateDirectoryA(leaf.c_str(), nullptr);
      for (int i = 0; i < kLeaf; ++i, next = (next + 1) % names.size()) {
        const std::wstring link = Wide(leaf + "\\" + names[next]);
        const std::wstring target = Wide(system + "\\" + names[next]);
        if (!::CreateHardLinkW(link.c_str(), target.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
          std::fprintf(stderr, "verinfo_bench: cannot link %s (error %lu)\n", names[next].c_str(),
                       ::GetLastError());
          std::exit(1);
        }
      }
    }
  }
  ::CloseHandle(::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return tree;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A side of the rounds: a command run in a folder, and the exit code it
// must end with (the floor's is the number of files it read).
struct TSide {
  std::string title;
  std::string command;
  std::string folder;
  DWORD exitCode;
};

}  // namespace

int main(int argc, char** argv) {
  // One run of a side takes from two thirds to twice its median on two
  // cores (every side starts a Wine process): many short rounds steady the
  // figures better than a few long ones.
  int rounds = 121;
  bool defaultOnly = false;
  std::string toolPath = testing_paths::BesideExecutable("verinfo.exe");
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--default-only") == 0)
      defaultOnly = true;
    else if (std::strcmp(argv[i], "--tool") == 0 && i + 1 < argc)
      toolPath = argv[++i];
    else
      rounds = std::max(1, std::atoi(argv[i]));
  }
  const int warmup = 2;
  char systemBuffer[MAX_PATH];
  const std::string system(systemBuffer, ::GetSystemDirectoryA(systemBuffer, MAX_PATH));
  std::vector<std::string> files;
  std::string names;
  dialog::ForEachFolderFile(system, [&](const char* name) {
    files.emplace_back(name);
    names.append(" ").append(Quoted(name));
  });
  const std::string tree = MakeTree(system, files);
  const std::string tool = Quoted(toolPath);
  const std::string floor = Quoted(testing_paths::BesideExecutable("io_floor.exe"));
  const DWORD fileCount = static_cast<DWORD>(files.size());

  const TSide empty{"empty process", Quoted(testing_paths::BesideExecutable("empty_program.exe")), "", 0};
  std::vector<TSide> fileSides = {
      empty,
      {"floor, files", floor + names, system, fileCount},
      {"verinfo.exe FILE...", tool + names, system, 0},
      // Its own start and exit: a name that is not there, read as a
      // missing file (exit status 1).
      {"verinfo.exe start", tool + " " + Quoted("no such file"), system, 1},
  };
  if (!defaultOnly) {
    for (const char* mode : {"--all", "--json", "--csv"})
      fileSides.push_back(
          {std::string("verinfo.exe ") + mode + " FILE...", tool + " " + mode + names, system, 0});
  }
  std::vector<TSide> treeSides = {empty, {"floor, tree", floor + " -r " + Quoted(tree), "", kTreeFiles}};
  if (!defaultOnly) treeSides.push_back({"verinfo.exe -r TREE", tool + " -r " + Quoted(tree), "", 0});

  // Each side's times less the empty process's of the same round.
  const auto timeNet = [&](const std::vector<TSide>& sides, int count) {
    std::vector<std::function<double()>> runs;
    for (const TSide& side : sides) {
      runs.push_back([&side] {
        const bench::ChildRun run = bench::RunChild(side.command, side.folder);
        if (run.exitCode != side.exitCode) {
          std::fprintf(stderr, "verinfo_bench: %s ended with %lu, not %lu\n", side.title.c_str(),
                       run.exitCode, side.exitCode);
          std::exit(1);
        }
        return run.micros;
      });
    }
    std::vector<std::vector<double>> times = bench::TimeSides(warmup, count, runs);
    for (size_t side = times.size(); side-- > 0;)
      for (size_t i = 0; i < times[side].size(); ++i) times[side][i] -= times[0][i];
    return times;
  };
  // A tree round takes as long as ten of the files' rounds: a quarter of the
  // rounds suffices for it, its own length evening out the machine.
  const int treeRounds = std::max(1, rounds / 4);
  const std::vector<std::vector<double>> filesNet = timeNet(fileSides, rounds);
  const std::vector<std::vector<double>> treeNet = timeNet(treeSides, treeRounds);

  std::printf(
      "verinfo_bench: %s, %lu files, %d rounds; tree %s, %d files in %d folders, %d rounds; "
      "%d warm-up\n",
      system.c_str(), fileCount, rounds, tree.c_str(), kTreeFiles, kTop * (kMiddle + 1), treeRounds, warmup);
  std::printf("verinfo.exe: %s\n", toolPath.c_str());
  std::printf("every figure is net of an empty process's start and exit, timed in the same rounds\n");
  bench::PrintHeading();
  const char* filesFloor = "I/O floor over the same files: open, two 4 KB reads, close (plain C)";
  const char* treeFloorName =
      "I/O floor over the same tree: folders listed, open, two 4 KB reads, close (plain C)";
  bench::PrintRow("I/O floor, system folder file by file", filesNet[1]);
  bench::PrintRow("verinfo.exe's own start and exit (one missing name)", filesNet[3]);
  for (size_t side = 2; side < fileSides.size(); ++side) {
    if (side == 3) continue;
    bench::PrintRoundPair((fileSides[side].title + ", system folder").c_str(), filesNet[side], filesNet[1],
                          1.2, filesFloor);
  }
  bench::PrintRow("I/O floor, tree", treeNet[1]);
  if (!defaultOnly) {
    bench::PrintRoundPair("verinfo.exe -r, tree of 10,000 hard links", treeNet[2], treeNet[1], 1.2,
                          treeFloorName);
    // Memory is sampled in runs of its own: sampling would slow the timed ones.
    const std::string thousand = tree + "\\d0";
    const size_t smallKb = bench::RunChild(tool + " -r " + Quoted(thousand), "", 1).peakKb;
    const size_t largeKb = bench::RunChild(tool + " -r " + Quoted(tree), "", 1).peakKb;
    std::printf("verinfo.exe -r peak working set: %d files %zu KB, %d files %zu KB\n", kTreeFiles / kTop,
                smallKb, kTreeFiles, largeKb);
  }
  std::fflush(stdout);
  return 0;
}
