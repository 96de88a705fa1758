// Malformed versioned files, written before this test by
// make_bad_versions.py into "badversions" beside it, through the version
// reader, the dialog's library list and verinfo.exe. Each runs in a child
// process under a debugger loop with a deadline, so a crash or hang is
// reported with its file instead of taking the test down:
//   --probe DIR FIRST  the reader on each file from FIRST on, announcing
//                      each file before it is read, so a crash names it,
//                      with every allocation guarded (see below)
//   --scan DIR         a real dialog's folder pass over DIR into lvVerList,
//                      then its rows
//   --platform DIR FIRST  the platform's version library on each file from
//                      FIRST on, to hold the reader against where it does
//                      not fault
// Whatever crashes is reported and left out of a second run over the rest,
// so the checks on rows still cover every other file.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DebuggedChild.h"
#include "dialog/SysDlg.h"
#include "tests/ApplicationScope.h"
#include "tests/TestPaths.h"
#include "tests/gather/FakeQueries.h"
#include "tests/scan/ScanFixtures.h"
#include "tests/verinfo/PlatformVersion.h"
#include "toolkit/Text.h"
#include "verinfo/VerInfo.h"

namespace {

using badinput::ChildRun;

constexpr DWORD kChildTimeoutMs = 180000;

// The first 64 MB at most: the sparse file runs to several gigabytes, and
// every text of it lies at its start.
std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  // Sized by the file: zeroing 64 MB for each small file is most of the
  // time these checks take.
  const std::streamoff size = in.tellg();
  in.seekg(0);
  std::string bytes(static_cast<size_t>(std::clamp<std::streamoff>(size, 0, 64 << 20)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

// A file of the folder by its "\\?\" name: "aux.dll" and "nul.txt" are
// files there, never the devices.
std::string InFolder(const std::string& folder, const std::string& name) {
  return "\\\\?\\" + folder + "\\" + name;
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1)
    fields.push_back(line.substr(start, end - start));
  fields.push_back(line.substr(start));
  return fields;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines = Split(text, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// Texts cross the process boundary as hex, whatever bytes they hold.
std::string Hex(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) hex += {kDigits[c >> 4], kDigits[c & 15]};
  return hex.empty() ? "-" : hex;
}

std::string Unhex(const std::string& hex) {
  std::string text;
  if (hex == "-") return text;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    text += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
  return text;
}

// Unbuffered, so the parent has every line up to a crash.
void Emit(const std::string& line) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
              nullptr);
}

struct FileCase {
  std::string name;
  std::string kind;         // the damage, from the name; a special file's whole name
  std::string expectation;  // exact, norow, within, or absent (no such file)
  std::array<std::string, 4> texts;
};

struct Manifest {
  std::string seed;
  std::vector<FileCase> files;
};

Manifest ReadManifest(const std::string& folder) {
  Manifest manifest;
  std::istringstream in(ReadBytes(folder + "\\manifest.tsv"));
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> fields = Split(line, '\t');
    if (fields[0] == "#seed" && fields.size() > 1) {
      manifest.seed = fields[1];
      continue;
    }
    if (fields.size() < 2) continue;
    const std::string& name = fields[0];
    const bool numbered = name.size() > 4 && name[3] == '_' && name.rfind('.') > 4;
    FileCase file{name, numbered ? name.substr(4, name.rfind('.') - 4) : name, fields[1], {}};
    for (size_t i = 0; i < 4 && i + 2 < fields.size(); ++i) file.texts[i] = fields[i + 2];
    manifest.files.push_back(file);
  }
  return manifest;
}

//--- Child modes

// In the probe every allocation ends exactly where an inaccessible page
// begins, so a read or write past the reader's buffer faults at once and
// names its file instead of damaging the heap for a later file to trip
// over. (x86 reads unaligned data, so the data need not be aligned.) Fresh
// blocks hold the fixed block's signature over and over: bytes the file
// did not fill then read as a version the file does not hold, instead of
// whatever an earlier file left there, and a length read from them is
// large enough to run into the guard page.
bool g_guardAllocations = false;
constexpr uint32_t kGuardMagic = 0x5A475244;
struct GuardHeader {
  uint32_t magic;
  void* base;
};
// At the start of each guarded region, for the report of a hit.
struct GuardRegion {
  uint32_t magic;
  uint32_t size;
};
constexpr uint32_t kRegionMagic = 0x5A524547;
size_t g_probeIndex = 0;

void* GuardedAllocate(size_t size) {
  constexpr size_t kPage = 4096;
  const size_t data = size;
  const size_t pages = (sizeof(GuardRegion) + sizeof(GuardHeader) + data + kPage - 1) / kPage;
  auto* base = static_cast<BYTE*>(
      ::VirtualAlloc(nullptr, (pages + 1) * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!base) throw std::bad_alloc();
  DWORD previous = 0;
  ::VirtualProtect(base + pages * kPage, kPage, PAGE_NOACCESS, &previous);
  *reinterpret_cast<GuardRegion*>(base) = {kRegionMagic, static_cast<uint32_t>(size)};
  BYTE* user = base + pages * kPage - data;
  const uint32_t signature = VS_FFI_SIGNATURE;
  for (size_t i = 0; i < data; ++i) user[i] = reinterpret_cast<const BYTE*>(&signature)[i % 4];
  auto* header = reinterpret_cast<GuardHeader*>(user - sizeof(GuardHeader));
  header->magic = kGuardMagic;
  header->base = base;
  return user;
}

// Names a guard page hit before the crash goes on to the debugging parent:
// how far past the end of how large a block.
LONG CALLBACK ReportGuardHit(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  const uintptr_t address = record.ExceptionInformation[1];
  MEMORY_BASIC_INFORMATION region{}, start{};
  // Only a no-access page whose region starts with a readable page can be
  // one of ours; anything else must not be read here.
  if (::VirtualQuery(reinterpret_cast<void*>(address), &region, sizeof region) && region.AllocationBase &&
      region.Protect == PAGE_NOACCESS && ::VirtualQuery(region.AllocationBase, &start, sizeof start) &&
      start.State == MEM_COMMIT && start.Protect == PAGE_READWRITE) {
    const auto* guarded = static_cast<const GuardRegion*>(region.AllocationBase);
    if (guarded->magic == kRegionMagic) {
      Emit("G " + std::to_string(g_probeIndex) +
           (record.ExceptionInformation[0] == 1 ? " write " : " read ") +
           std::to_string(address - reinterpret_cast<uintptr_t>(region.BaseAddress)) + " " +
           std::to_string(guarded->size) + "\n");
    }
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

int ProbeChild(const std::string& folder, size_t first) {
  const Manifest manifest = ReadManifest(folder);
  g_guardAllocations = true;
  ::AddVectoredExceptionHandler(1, ReportGuardHit);
  verinfo::TVersionInfo reader("");
  verinfo::TVersionDetails details;
  for (size_t i = first; i < manifest.files.size(); ++i) {
    const std::string index = std::to_string(i);
    g_probeIndex = i;
    Emit("B " + index + "\n");
    std::string line = "E " + index;
    try {
      reader.SetFilePath((folder + "\\" + manifest.files[i].name).c_str());
      line.append(reader.HasInfo() ? " 1" : " 0");
      for (const std::string& text : {reader.ProductNameText(), reader.LegalCopyrightText(),
                                      reader.FileVersionText(), reader.ProductVersionText()})
        line.append(" ").append(Hex(text));
      // Every field, under the same guard.
      reader.ReadDetails(details);
    } catch (const std::exception&) {
      // Dropped, as the scan drops it.
      line.append(" X");
    }
    Emit(line + "\n");
    // A write past a buffer may crash only files later; the heap's own
    // check pins it on the file that did it.
    if (!::HeapValidate(::GetProcessHeap(), 0, nullptr)) {
      Emit("H " + index + "\n");
      return 3;
    }
  }
  return 0;
}

// Devices under their DOS names, and a FIFO: the library would wait on
// them for ever.
bool PlatformWouldHang(const FileCase& file) {
  return file.kind == "fifo" || file.kind == "aux.dll" || file.kind == "nul.txt";
}

int PlatformChild(const std::string& folder, size_t first) {
  const Manifest manifest = ReadManifest(folder);
  for (size_t i = first; i < manifest.files.size(); ++i) {
    if (PlatformWouldHang(manifest.files[i])) continue;
    Emit("B " + std::to_string(i) + "\n");
    const testing_platform::Texts t = testing_platform::PlatformTexts(folder + "\\" + manifest.files[i].name);
    std::string line = "P " + std::to_string(i) + (t.hasInfo ? " 1" : " 0");
    for (const std::string* text : {&t.productName, &t.legalCopyright, &t.fileVersion, &t.productVersion})
      line.append(" ").append(Hex(*text));
    Emit(line + "\n");
  }
  return 0;
}

// The list's own text, whole: through the wide message with a buffer that
// grows, narrowed as the list was given it.
std::string FullItemText(HWND list, int row, int column) {
  for (size_t size = 256;; size *= 2) {
    std::wstring buffer(size, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(size);
    const auto length =
        static_cast<size_t>(::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (length + 1 >= size && size < (1u << 24)) continue;
    return toolkit::NarrowToAnsi(buffer.substr(0, length));
  }
}

int ScanChild(const std::string& folder) {
  const ApplicationScope application;
  // The folder stands in for the host's; there is no system folder.
  gather_test::FakeQueries queries;
  gather_test::fake.hostProgram = folder + "\\host.exe";
  dialog::TSysInfoDlg dlg;
  dlg.SysPageControl->SetActivePage(*dlg.LibVerSheet);
  dlg.SysPageControlChange();
  const toolkit::TListView& list = *dlg.lvVerList;
  for (int row = 0; row < list.RowCount(); ++row) {
    // R: what the row holds; T: what the toolkit's reader gives back.
    std::string held = "R", given = "T";
    for (int column = 0; column < 5; ++column) {
      held.append(" ").append(Hex(FullItemText(list.Handle(), row, column)));
      given.append(" ").append(Hex(list.ItemText(row, column)));
    }
    Emit(held + "\n" + given + "\n");
  }
  Emit(dlg.VerListBuilt() ? "built\n" : "not built\n");
  return 0;
}

//--- What the file holds

// Every text a reader could honestly take from the file: its bytes as
// they are, as UTF-16 at either alignment narrowed to the ANSI code page
// the way the version library narrows, and fixed-block versions whose
// eight bytes occur in it.
class FileContent {
 public:
  explicit FileContent(std::string bytes) : raw_(std::move(bytes)) {
    for (size_t offset = 0; offset < 2; ++offset) {
      const size_t units = raw_.size() > offset ? (raw_.size() - offset) / 2 : 0;
      std::wstring wide(units, L'\0');
      if (units) std::memcpy(wide.data(), raw_.data() + offset, units * 2);
      const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(units), nullptr, 0,
                                             nullptr, nullptr);
      narrowed_[offset].resize(size > 0 ? size : 0);
      if (size > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(units), narrowed_[offset].data(), size,
                              nullptr, nullptr);
      }
    }
  }

  bool Holds(const std::string& text) const {
    if (text.empty()) return true;
    if (raw_.find(text) != std::string::npos) return true;
    for (const std::string& narrowed : narrowed_)
      if (narrowed.find(text) != std::string::npos) return true;
    unsigned a, b, c, d;
    int used = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%n", &a, &b, &c, &d, &used) == 4 &&
        static_cast<size_t>(used) == text.size() && a < 65536 && b < 65536 && c < 65536 && d < 65536) {
      const uint32_t pair[2] = {a << 16 | b, c << 16 | d};
      return raw_.find(std::string(reinterpret_cast<const char*>(pair), sizeof pair)) != std::string::npos;
    }
    return false;
  }

 private:
  std::string raw_;
  std::string narrowed_[2];
};

// A text as verinfo.exe's exact formats give it (UTF-8) is in the file's
// bytes: stored as UTF-16, or in a 16-bit module's bytes in the ANSI code
// page.
bool HoldsExactly(const std::string& bytes, const std::string& utf8) {
  const std::wstring wide = toolkit::Widen(utf8.c_str(), toolkit::TextEncoding::Utf8);
  return wide.find(L'\xFFFD') != std::wstring::npos ||  // a lone surrogate, written as U+FFFD
         bytes.find(std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2)) !=
             std::string::npos ||
         bytes.find(toolkit::NarrowToAnsi(wide)) != std::string::npos;
}

struct Row {
  std::array<std::string, 4> texts;
};

std::map<std::string, Row> ParseRows(const std::string& output, const char* tag) {
  std::map<std::string, Row> rows;
  for (const std::string& line : Lines(output)) {
    const std::vector<std::string> fields = Split(line, ' ');
    if (fields.size() != 6 || fields[0] != tag) continue;
    Row row;
    for (int i = 0; i < 4; ++i) row.texts[i] = Unhex(fields[i + 2]);
    rows[Unhex(fields[1])] = row;
  }
  return rows;
}

struct ToolLine {
  bool hasInfo = false;
  std::array<std::string, 4> texts;
};

std::map<std::string, ToolLine> ParseToolLines(const std::string& output) {
  std::map<std::string, ToolLine> lines;
  for (const std::string& line : Lines(output)) {
    const std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() != 6) continue;
    ToolLine parsed{fields[1] == "1", {fields[2], fields[3], fields[4], fields[5]}};
    lines[fields[0]] = parsed;
  }
  return lines;
}

// What verinfo.exe writes for a text: tabs and line breaks as spaces.
std::string AsToolWrites(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return text;
}

std::string Shown(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size() && i < 48; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char escape[8];
    std::snprintf(escape, sizeof escape, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    out += escape;
  }
  return out + (text.size() > 48 ? "...\"" : "\"");
}

//--- The runs, made once for all the checks

struct Results {
  std::string folder;
  Manifest manifest;
  std::map<size_t, std::string> readerFaults;   // by file index: what happened
  std::map<std::string, ToolLine> readerAlone;  // the probe's reader, file by file
  std::map<std::string, ToolLine> platform;     // the version library, where it did not fault
  std::map<size_t, std::string> platformFaults;
  ChildRun verinfoAll, verinfoRest;
  ChildRun verinfoJson, verinfoText;  // --json and --all, over the same files
  std::map<std::string, ToolLine> toolLines;
  ChildRun scanAll, scanRest;
  std::map<std::string, Row> rows;                  // as the list holds them
  std::map<std::string, Row> givenRows;             // as TListView::ItemText gives them back
  std::set<std::string> scanned;                    // the files the rows stand for
  std::optional<scan_test::TempFolder> restFolder;  // removed with the results
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// verinfo.exe ran to its end: status 1 says only that a file named (one
// the folder does not hold) could not be opened.
bool ToolRan(const ChildRun& run) {
  return run.started && !run.timedOut && !run.crashed && run.exitCode <= 1;
}

// Copies the files that did not crash the reader into a folder of their own.
void CopyRest(Results& results) {
  const scan_test::TempFolder& rest = results.restFolder.emplace();
  for (size_t i = 0; i < results.manifest.files.size(); ++i) {
    if (results.readerFaults.count(i)) continue;
    // A FIFO cannot be copied, nor gigabytes of a sparse file.
    if (results.manifest.files[i].kind == "fifo" || results.manifest.files[i].kind == "sparse") continue;
    const std::string& name = results.manifest.files[i].name;
    ::CopyFileA(InFolder(results.folder, name).c_str(), rest.Child(name).c_str(), FALSE);
  }
}

Results* g_results = nullptr;

void RunEverything(Results& r) {
  r.folder = testing_paths::BesideExecutable("badversions");
  r.manifest = ReadManifest(r.folder);
  const auto& files = r.manifest.files;
  const std::string self = testing_paths::BesideExecutable("badinput_files.exe");

  // The reader on every file; after a crash, on from the next file.
  for (size_t first = 0; first < files.size();) {
    const ChildRun run = badinput::RunChild(
        Quoted(self) + " --probe " + Quoted(r.folder) + " " + std::to_string(first), "", kChildTimeoutMs);
    size_t announced = first, finished = first;
    bool any = false;
    std::optional<size_t> heapDamage;
    std::string guardHit;
    for (const std::string& line : Lines(run.output)) {
      const std::vector<std::string> fields = Split(line, ' ');
      if (fields.size() < 2) continue;
      const size_t index = std::strtoul(fields[1].c_str(), nullptr, 10);
      if (fields[0] == "B") announced = index, any = true;
      if (fields[0] == "E") {
        finished = index + 1;
        ToolLine read;
        read.hasInfo = fields.size() == 7 && fields[2] == "1";
        for (size_t i = 0; read.hasInfo && i < 4; ++i) read.texts[i] = Unhex(fields[i + 3]);
        if (index < files.size()) r.readerAlone[files[index].name] = read;
      }
      if (fields[0] == "H") heapDamage = index;
      if (fields[0] == "G" && fields.size() == 5) {
        guardHit = fields[2] + "s byte " + fields[3] + " past the end of a " + fields[4] +
                   "-byte block the reader allocated; ";
      }
    }
    if (run.Clean()) break;
    const size_t culprit = heapDamage ? *heapDamage : any && announced >= finished ? announced : first;
    r.readerFaults[culprit] =
        guardHit + (heapDamage ? "left the process heap damaged (a write past a buffer)" : run.Describe());
    first = culprit + 1;
  }

  // The version library on every file it does not hang on; after a fault,
  // on from the next file.
  for (size_t first = 0; first < files.size();) {
    const ChildRun run = badinput::RunChild(
        Quoted(self) + " --platform " + Quoted(r.folder) + " " + std::to_string(first), "", kChildTimeoutMs);
    size_t announced = first;
    for (const std::string& line : Lines(run.output)) {
      const std::vector<std::string> fields = Split(line, ' ');
      if (fields.size() < 2) continue;
      const size_t index = std::strtoul(fields[1].c_str(), nullptr, 10);
      if (fields[0] == "B") announced = index;
      if (fields[0] == "P" && fields.size() == 7 && index < files.size()) {
        ToolLine read{fields[2] == "1", {}};
        for (size_t i = 0; i < 4; ++i) read.texts[i] = Unhex(fields[i + 3]);
        r.platform[files[index].name] = read;
      }
    }
    if (run.Clean()) break;
    r.platformFaults[announced] = run.Describe();
    first = announced + 1;
  }

  // verinfo.exe over every file at once, then over the rest if it failed.
  std::string all, rest;
  for (size_t i = 0; i < files.size(); ++i) {
    all.append(" ").append(Quoted(files[i].name));
    if (!r.readerFaults.count(i)) rest.append(" ").append(Quoted(files[i].name));
  }
  const std::string tool = Quoted(testing_paths::BesideExecutable("verinfo.exe"));
  r.verinfoAll = badinput::RunChild(tool + all, r.folder, kChildTimeoutMs);
  const std::string& named = ToolRan(r.verinfoAll) ? all : rest;
  if (ToolRan(r.verinfoAll)) {
    r.toolLines = ParseToolLines(r.verinfoAll.output);
  } else {
    r.verinfoRest = badinput::RunChild(tool + rest, r.folder, kChildTimeoutMs);
    r.toolLines = ParseToolLines(r.verinfoRest.output);
  }
  r.verinfoJson = badinput::RunChild(tool + " --json" + named, r.folder, kChildTimeoutMs);
  r.verinfoText = badinput::RunChild(tool + " --all" + named, r.folder, kChildTimeoutMs);

  // The dialog's list over the whole folder, then over the rest if it failed.
  r.scanAll = badinput::RunChild(Quoted(self) + " --scan " + Quoted(r.folder), "", kChildTimeoutMs);
  const ChildRun* scan = &r.scanAll;
  if (!r.scanAll.Clean()) {
    CopyRest(r);
    r.scanRest =
        badinput::RunChild(Quoted(self) + " --scan " + Quoted(r.restFolder->Path()), "", kChildTimeoutMs);
    scan = &r.scanRest;
  }
  if (scan->Clean()) {
    r.rows = ParseRows(scan->output, "R");
    r.givenRows = ParseRows(scan->output, "T");
    for (size_t i = 0; i < files.size(); ++i)
      if (scan == &r.scanAll || !r.readerFaults.count(i)) r.scanned.insert(files[i].name);
  }
}

void PrintSummary(const Results& r) {
  const auto& files = r.manifest.files;
  std::map<std::string, std::array<int, 4>> kinds;  // files, rows, rejected, faulted
  for (size_t i = 0; i < files.size(); ++i) {
    auto& counts = kinds[files[i].kind];
    ++counts[0];
    if (r.readerFaults.count(i))
      ++counts[3];
    else if (r.rows.count(files[i].name))
      ++counts[1];
    else if (r.scanned.count(files[i].name))
      ++counts[2];
  }
  std::printf("%-24s %5s %5s %8s %7s\n", "damage", "files", "rows", "rejected", "faulted");
  std::array<int, 4> total{};
  for (const auto& [kind, counts] : kinds) {
    std::printf("%-24s %5d %5d %8d %7d\n", kind.c_str(), counts[0], counts[1], counts[2], counts[3]);
    for (int i = 0; i < 4; ++i) total[i] += counts[i];
  }
  std::printf("%-24s %5d %5d %8d %7d\n", "all", total[0], total[1], total[2], total[3]);
  std::printf("seed %s: %d files, %d rows, %d rejected, %d crashed or damaged the reader\n",
              r.manifest.seed.c_str(), total[0], total[1], total[2], total[3]);
  std::printf("reader: %zu fault(s)\n", r.readerFaults.size());
  for (const auto& [index, fault] : r.readerFaults)
    std::printf("  FAULT %s: %s\n", files[index].name.c_str(), fault.c_str());
  std::printf("version library: %zu fault(s) or hang(s)\n", r.platformFaults.size());
  for (const auto& [index, fault] : r.platformFaults)
    std::printf("  library %s: %s\n", files[index].name.c_str(), fault.c_str());
  std::printf("verinfo.exe over all files: %s, %lu ms\n", r.verinfoAll.Describe().c_str(),
              static_cast<unsigned long>(r.verinfoAll.milliseconds));
  if (r.verinfoRest.started)
    std::printf("verinfo.exe over the rest:  %s, %lu ms\n", r.verinfoRest.Describe().c_str(),
                static_cast<unsigned long>(r.verinfoRest.milliseconds));
  std::printf("list scan over all files:   %s, %lu ms\n", r.scanAll.Describe().c_str(),
              static_cast<unsigned long>(r.scanAll.milliseconds));
  if (r.scanRest.started)
    std::printf("list scan over the rest:    %s, %lu ms\n", r.scanRest.Describe().c_str(),
                static_cast<unsigned long>(r.scanRest.milliseconds));
}

class BadVersionFilesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_results = new Results;
    RunEverything(*g_results);
    PrintSummary(*g_results);
  }
  static void TearDownTestSuite() {
    delete g_results;
    g_results = nullptr;
  }
  const Results& R() const { return *g_results; }
  FileContent Content(const FileCase& file) const {
    return FileContent(ReadBytes(InFolder(R().folder, file.name)));
  }
};

}  // namespace

TEST_F(BadVersionFilesTest, TheGeneratorWroteOverAHundredMalformedFiles) {
  ASSERT_FALSE(R().manifest.files.empty())
      << "no manifest in " << R().folder << ": run make_bad_versions.py first";
  EXPECT_GE(R().manifest.files.size(), 100u);
  std::set<std::string> kinds;
  int controls = 0;
  for (const FileCase& file : R().manifest.files) {
    kinds.insert(file.kind);
    if (file.expectation == "exact") ++controls;
  }
  EXPECT_GE(controls, 1) << "an undamaged file shows the scan works at all";
  EXPECT_GE(kinds.size(), 20u);
}

// FAULT while it fails: a crash in the reader takes the whole file manager
// down when the System libraries page lists such a file.
TEST_F(BadVersionFilesTest, NoFileCrashesOrHangsTheVersionReader) {
  for (const auto& [index, fault] : R().readerFaults)
    ADD_FAILURE() << "FAULT: " << R().manifest.files[index].name << ": " << fault;
}

TEST_F(BadVersionFilesTest, VerinfoRunsOverEveryFileWithoutCrashOrHang) {
  EXPECT_TRUE(ToolRan(R().verinfoAll)) << "FAULT: verinfo.exe over all files " << R().verinfoAll.Describe();
  if (R().verinfoRest.started) {
    EXPECT_TRUE(ToolRan(R().verinfoRest))
        << "verinfo.exe over the files the reader survives " << R().verinfoRest.Describe();
  }
  size_t expected = 0;
  for (size_t i = 0; i < R().manifest.files.size(); ++i)
    if (ToolRan(R().verinfoAll) || !R().readerFaults.count(i)) ++expected;
  EXPECT_EQ(R().toolLines.size(), expected) << "one line per file";
}

// Every field of every file: one JSON object per file that a JSON parser
// reads, agreeing with the default line, its strings exactly what the file
// holds; and the text form over the same files.
TEST_F(BadVersionFilesTest, EveryFieldOfEveryFileIsValidJsonOfWhatTheFileHolds) {
  ASSERT_TRUE(ToolRan(R().verinfoJson)) << "FAULT: verinfo.exe --json " << R().verinfoJson.Describe();
  EXPECT_TRUE(ToolRan(R().verinfoText)) << "FAULT: verinfo.exe --all " << R().verinfoText.Describe();
  const std::vector<std::string> lines = Lines(R().verinfoJson.output);
  EXPECT_EQ(lines.size(), R().toolLines.size()) << "one object per file";
  size_t paths = 0;
  for (const std::string& line : Lines(R().verinfoText.output)) paths += line.rfind("path: ", 0) == 0;
  EXPECT_EQ(paths, R().toolLines.size()) << "--all: one block per file";
  std::map<std::string, nlohmann::json> rows;
  for (const std::string& line : lines) {
    nlohmann::json row = nlohmann::json::parse(line, nullptr, false);
    ASSERT_FALSE(row.is_discarded()) << "FAULT: not JSON: " << line;
    const std::string path = row.at("path").get<std::string>();
    rows[path] = std::move(row);
  }
  for (const FileCase& file : R().manifest.files) {
    const auto tool = R().toolLines.find(file.name);
    if (tool == R().toolLines.end()) continue;  // not run; reported above
    const nlohmann::json& row = rows[file.name];
    ASSERT_TRUE(row.is_object()) << "no JSON row for " << file.name;
    EXPECT_EQ(row.at("versionInfo").get<bool>(), tool->second.hasInfo) << file.name;
    const nlohmann::json& strings = row.at("strings");
    if (strings.empty()) continue;  // a FIFO, a missing file: nothing to compare
    const std::string bytes = ReadBytes(InFolder(R().folder, file.name));
    for (auto string = strings.begin(); string != strings.end(); ++string) {
      const std::string value = string.value().get<std::string>();
      EXPECT_TRUE(HoldsExactly(bytes, string.key()))
          << "FAULT: " << file.name << " has no string named " << Shown(string.key());
      EXPECT_TRUE(HoldsExactly(bytes, value)) << "FAULT: " << file.name << "'s " << Shown(string.key())
                                              << " is " << Shown(value) << ", which the file does not hold";
    }
  }
}

TEST_F(BadVersionFilesTest, TheLibraryListScanSurvivesTheFolder) {
  EXPECT_TRUE(R().scanAll.Clean()) << "FAULT: the folder pass over all files " << R().scanAll.Describe();
  if (R().scanRest.started) {
    EXPECT_TRUE(R().scanRest.Clean())
        << "the folder pass over the files the reader survives " << R().scanRest.Describe();
  }
  ASSERT_FALSE(R().scanned.empty());
  const std::string& output = R().scanRest.started ? R().scanRest.output : R().scanAll.output;
  EXPECT_NE(output.find("built\n"), std::string::npos) << "the scan ran to its end";
  for (const auto& [name, row] : R().rows)
    EXPECT_TRUE(R().scanned.count(name)) << "a row for a file that is not in the folder: " << Shown(name);
}

TEST_F(BadVersionFilesTest, UndamagedFilesShowTheirFourTexts) {
  for (const FileCase& file : R().manifest.files) {
    if (file.expectation != "exact" || !R().scanned.count(file.name)) continue;
    const auto row = R().rows.find(file.name);
    ASSERT_NE(row, R().rows.end()) << file.name;
    EXPECT_EQ(row->second.texts, file.texts) << file.name;
  }
}

// A version resource of no bytes, a file that is not a module, one without
// a version resource or without a resource directory: nothing to show.
TEST_F(BadVersionFilesTest, NoRowForAFileWhoseVersionDataCannotBeRead) {
  for (const FileCase& file : R().manifest.files) {
    if (file.expectation != "norow") continue;
    const auto row = R().rows.find(file.name);
    if (row == R().rows.end()) continue;
    ADD_FAILURE() << "FAULT: a row for " << file.name
                  << ", whose version data cannot be read: " << Shown(row->second.texts[0]) << " "
                  << Shown(row->second.texts[1]) << " " << Shown(row->second.texts[2]) << " "
                  << Shown(row->second.texts[3]);
  }
}

// The list's rows, and the reader's texts in the probe, where unwritten
// bytes of its buffer hold a version signature: a text from beyond the
// file's own data shows up there whatever an earlier file left behind.
TEST_F(BadVersionFilesTest, TextsNeverReachBeyondWhatTheFileHolds) {
  for (const FileCase& file : R().manifest.files) {
    const auto row = R().rows.find(file.name);
    const auto alone = R().readerAlone.find(file.name);
    const bool readAlone = alone != R().readerAlone.end() && alone->second.hasInfo;
    if (row == R().rows.end() && !readAlone) continue;
    const FileContent content = Content(file);
    if (row != R().rows.end()) {
      for (const std::string& text : row->second.texts)
        EXPECT_TRUE(content.Holds(text)) << "FAULT: the list shows " << Shown(text) << " for " << file.name
                                         << ", which the file does not hold";
    }
    if (readAlone) {
      for (const std::string& text : alone->second.texts)
        EXPECT_TRUE(content.Holds(text)) << "FAULT: the reader gives " << Shown(text) << " for " << file.name
                                         << ", which the file does not hold";
    }
  }
}

// Texts that come from the file alone are the same in every process;
// texts that differ came from memory the file did not fill.
TEST_F(BadVersionFilesTest, TheReaderGivesTheSameTextsInEveryRun) {
  for (const std::string& name : R().scanned) {
    const auto alone = R().readerAlone.find(name);
    if (alone == R().readerAlone.end()) continue;
    const auto row = R().rows.find(name);
    EXPECT_EQ(alone->second.hasInfo, row != R().rows.end()) << name;
    if (row == R().rows.end()) continue;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(alone->second.texts[i], row->second.texts[i]) << "FAULT: " << name << " text " << i + 1;
  }
}

TEST_F(BadVersionFilesTest, VerinfoShowsWhatTheListShows) {
  for (const std::string& name : R().scanned) {
    const auto line = R().toolLines.find(name);
    if (line == R().toolLines.end()) continue;  // its run failed; reported above
    const auto row = R().rows.find(name);
    EXPECT_EQ(line->second.hasInfo, row != R().rows.end()) << name;
    if (row == R().rows.end()) continue;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(line->second.texts[i], AsToolWrites(row->second.texts[i])) << name << " text " << i;
  }
}

// A name is that file: one that is not in the folder has no version data,
// though the system folder holds a file of that name, and so has a name
// without an extension beside its ".dll" twin.
TEST_F(BadVersionFilesTest, ANameGivesExactlyThatFile) {
  for (const FileCase& file : R().manifest.files) {
    if (file.expectation != "absent" && file.kind != "notes") continue;
    const auto alone = R().readerAlone.find(file.name);
    ASSERT_NE(alone, R().readerAlone.end()) << file.name;
    EXPECT_FALSE(alone->second.hasInfo) << "FAULT: the reader gives texts for " << file.name;
    const auto line = R().toolLines.find(file.name);
    ASSERT_NE(line, R().toolLines.end()) << file.name;
    EXPECT_FALSE(line->second.hasInfo) << "FAULT: verinfo.exe gives another file's texts for " << file.name;
  }
}

// Where the version library reads a file without faulting, the reader
// gives its texts. The files listed here differ for a reason of the
// library's own, each written beside it.
TEST_F(BadVersionFilesTest, WhereTheLibraryReadsAFileTheReaderAgrees) {
  const std::map<std::string, std::string> kReasons = {
      {"notes", "the library appends \".dll\" and reads notes.dll"},
      {"mapping_data_past_virtual_size",
       "Wine maps a section's raw data past its virtual size, where the loader maps zeros"},
      {"file_cut",
       "Wine maps a section whose raw data runs past the file's end, zero-filled; the loader maps no such "
       "section"},
      {"mapping_section_alignment",
       "Wine maps an image whose section alignment is zero or not a power of two; the loader refuses it"},
      {"lookup_huge_claim",
       "the library's buffer of twice the claimed size cannot be allocated; the reader reads the root block"},
  };
  ASSERT_FALSE(R().platform.empty());
  int compared = 0;
  for (const FileCase& file : R().manifest.files) {
    const auto platform = R().platform.find(file.name);
    const auto alone = R().readerAlone.find(file.name);
    if (platform == R().platform.end() || alone == R().readerAlone.end()) continue;
    ++compared;
    const bool same = platform->second.hasInfo == alone->second.hasInfo &&
                      (!platform->second.hasInfo || platform->second.texts == alone->second.texts);
    if (same) continue;
    const auto reason = kReasons.find(file.kind);
    if (reason != kReasons.end()) {
      std::printf("differs, as explained: %s: %s\n", file.name.c_str(), reason->second.c_str());
      continue;
    }
    ADD_FAILURE() << file.name << ": the library gives " << platform->second.hasInfo << " "
                  << Shown(platform->second.texts[0]) << " " << Shown(platform->second.texts[1]) << " "
                  << Shown(platform->second.texts[2]) << " " << Shown(platform->second.texts[3])
                  << ", the reader " << alone->second.hasInfo << " " << Shown(alone->second.texts[0]) << " "
                  << Shown(alone->second.texts[1]) << " " << Shown(alone->second.texts[2]) << " "
                  << Shown(alone->second.texts[3]);
  }
  std::printf("the reader against the library: %d files compared\n", compared);
}

// The reader on one group of the generator's kinds, file by file: an
// "exact" file gives the seed's four texts, a "norow" file nothing.
void ExpectGroup(const Results& r, const std::function<bool(const std::string& kind)>& inGroup) {
  int files = 0;
  for (const FileCase& file : r.manifest.files) {
    if (!inGroup(file.kind) || (file.expectation != "exact" && file.expectation != "norow")) continue;
    ++files;
    const auto alone = r.readerAlone.find(file.name);
    ASSERT_NE(alone, r.readerAlone.end()) << file.name;
    EXPECT_EQ(alone->second.hasInfo, file.expectation == "exact") << file.name;
    if (file.expectation == "exact") {
      EXPECT_EQ(alone->second.texts, file.texts) << file.name;
    }
  }
  EXPECT_GT(files, 0) << "no file of the group";
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Type 16 among the numbered entries, name 1, the language in the loader's
// order; any entry count in bounded time.
TEST_F(BadVersionFilesTest, LookupRules) {
  ExpectGroup(R(), [](const std::string& kind) { return StartsWith(kind, "lookup_"); });
}

// Addresses as the loader maps the image: rounded raw pointers, extents
// limited by the virtual size, other sections, the headers, PE32+.
TEST_F(BadVersionFilesTest, MappingRules) {
  ExpectGroup(R(), [](const std::string& kind) { return StartsWith(kind, "mapping_"); });
}

// 97, 200 and 65,535 sections, more than Windows XP mapped, with the
// resource section first, last or missing.
TEST_F(BadVersionFilesTest, SectionCountsOfTodaysLoader) {
  ExpectGroup(R(), [](const std::string& kind) { return StartsWith(kind, "sections_"); });
}

TEST_F(BadVersionFilesTest, SixteenBitModules) {
  ExpectGroup(R(), [](const std::string& kind) { return StartsWith(kind, "ne_"); });
}

// DOS device names, a FIFO, a sparse file of more than 4 GiB, a name
// without an extension beside its ".dll" twin.
TEST_F(BadVersionFilesTest, SpecialFiles) {
  ExpectGroup(R(), [](const std::string& kind) {
    return kind == "aux.dll" || kind == "nul.txt" || kind == "notes" || kind == "notes.dll" ||
           kind == "fifo" || kind == "sparse";
  });
}

// The list hands back a text longer than the reader's buffer cut short and
// without a terminator; TListView::ItemText (toolkit/ListView.cpp) must give
// back the whole text, and nothing that follows it in memory.
TEST_F(BadVersionFilesTest, TheListsItemTextGivesBackTheItemsText) {
  for (const auto& [name, row] : R().rows) {
    const auto given = R().givenRows.find(name);
    ASSERT_NE(given, R().givenRows.end()) << name;
    for (int i = 0; i < 4; ++i) {
      const std::string& held = row.texts[i];
      const std::string& read = given->second.texts[i];
      EXPECT_TRUE(read == held) << "FAULT: ItemText of " << name << " column " << i + 1 << " gives "
                                << read.size() << " bytes, "
                                << Shown(read.substr(read.size() > 8 ? read.size() - 8 : 0))
                                << " at its end, for a text of " << held.size() << " bytes";
    }
  }
}

void* operator new(size_t size) {
  if (g_guardAllocations) return GuardedAllocate(size);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
  if (!block) return;
  auto* header = reinterpret_cast<GuardHeader*>(static_cast<BYTE*>(block) - sizeof(GuardHeader));
  if (header->magic == kGuardMagic && header->base < block) {
    header->magic = 0;
    ::VirtualFree(header->base, 0, MEM_RELEASE);
    return;
  }
  std::free(block);
}

void operator delete(void* block, size_t) noexcept { operator delete(block); }

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--probe") == 0)
    return ProbeChild(argv[2], std::strtoul(argv[3], nullptr, 10));
  if (argc >= 3 && std::strcmp(argv[1], "--scan") == 0) return ScanChild(argv[2]);
  if (argc >= 4 && std::strcmp(argv[1], "--platform") == 0)
    return PlatformChild(argv[2], std::strtoul(argv[3], nullptr, 10));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
