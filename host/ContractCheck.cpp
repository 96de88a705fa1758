#include "host/ContractCheck.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "host/EntryWatcher.h"
#include "host/OwnerWindow.h"
#include "host/PeImage.h"
#include "host/PlugInLibrary.h"
#include "host/RecordCheck.h"
#include "host/Verdicts.h"
#include "plugin/PlugInContract.h"
#include "shared/FpuControlWord.h"
#include "shared/NumberText.h"

namespace host {

namespace {

constexpr size_t kSlack = 64;  // bytes past each record that must stay the host's
constexpr uint8_t kPattern = 0xA5;

// Keeps one check on one line: control characters are shown escaped.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  return line;
}

class Report : public Verdicts {
 public:
  using Verdicts::Verdicts;

  void Check(const std::string& name, bool ok, const std::string& detail = {}) {
    Judge(ok, detail.empty() ? name : name + ": " + OneLine(detail));
  }
  void Problems(const std::string& name, const std::vector<std::string>& problems) {
    std::string joined;
    for (const std::string& p : problems) joined += (joined.empty() ? "" : "; ") + p;
    Check(name, problems.empty(), joined);
  }
};

std::string Removed(const CallResult& r, int expected) {
  return r.bytesRemoved == expected ? std::string()
                                    : "removed " + std::to_string(r.bytesRemoved) +
                                          " stack bytes, expected " + std::to_string(expected);
}

std::vector<uint8_t> Filled(size_t size, uint8_t value) { return std::vector<uint8_t>(size, value); }

std::vector<uint8_t> Garbage(size_t size, unsigned seed) {
  std::minstd_rand random(seed);
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

void CheckImage(const std::string& path, Report& report) {
  PeImage image;
  std::string error;
  if (!ReadPeImage(path, &image, &error)) {
    report.Check("PE image readable", false, error);
    return;
  }
  const bool oneExport =
      image.exports.size() == 1 && image.exports[0].ordinal == 1 && image.exports[0].name == "InitPlugInLib";
  std::string exports;
  for (const PeExport& e : image.exports)
    exports += (exports.empty() ? "" : ", ") + e.name + " @" + std::to_string(e.ordinal);
  report.Check("exports exactly InitPlugInLib @1", oneExport, "found " + exports);
  report.Check("export directory names the module " + std::string(plugin::kLibFileName),
               image.exportModuleName == plugin::kLibFileName, "found \"" + image.exportModuleName + "\"");

  char systemDir[MAX_PATH];
  GetSystemDirectoryA(systemDir, MAX_PATH);
  std::string strangers;
  for (const std::string& module : image.importedModules) {
    const auto startsWith = [&module](const char* prefix) {
      return _strnicmp(module.c_str(), prefix, std::strlen(prefix)) == 0;
    };
    const bool runtime = startsWith("libgcc") || startsWith("libstdc++") || startsWith("libwinpthread");
    const std::string inSystem = std::string(systemDir) + "\\" + module;
    if (runtime || GetFileAttributesA(inSystem.c_str()) == INVALID_FILE_ATTRIBUTES) strangers += " " + module;
  }
  report.Check("imports only system libraries (" + std::to_string(image.importedModules.size()) + ")",
               strangers.empty(), strangers.empty() ? "" : "not system libraries:" + strangers);
}

void CheckFpuAcrossLoad(const std::string& path, uint16_t word, Report& report) {
  const uint16_t saved = shared::ReadFpuControlWord();
  shared::WriteFpuControlWord(word);
  const uint16_t set = shared::ReadFpuControlWord();  // reserved bits read back as the CPU has them
  HMODULE module = LoadLibraryA(path.c_str());
  const uint16_t afterLoad = shared::ReadFpuControlWord();
  if (module) FreeLibrary(module);
  const uint16_t afterUnload = shared::ReadFpuControlWord();
  shared::WriteFpuControlWord(saved);

  const auto hex = [](uint16_t value) { return "0x" + shared::HexText(value, 4); };
  report.Check("x87 control word " + hex(word) + " kept across load and unload",
               module && afterLoad == set && afterUnload == set,
               "set " + hex(set) + ", after load " + hex(afterLoad) + ", after unload " + hex(afterUnload));
}

void CheckLibInfo(const PlugInLibrary& lib, const AddressCheck& address, Report& report,
                  plugin::TPlugInLibInfo* filled) {
  const size_t size = plugin::kLibInfoSize + kSlack;
  auto fill = [&](std::vector<uint8_t> before, const std::string& what) {
    std::vector<uint8_t> after = before;
    const CallResult r = lib.Init(reinterpret_cast<plugin::TPlugInLibInfo*>(after.data()));
    report.Check("InitPlugInLib removes no stack bytes (" + what + ")", r.bytesRemoved == 0, Removed(r, 0));
    report.Problems("InitPlugInLib fills the library record (" + what + ")",
                    CheckRecord(before, after, plugin::kLibInfoWrites, address));
    return after;
  };
  std::vector<uint8_t> patterned = fill(Filled(size, kPattern), "pattern");
  std::vector<uint8_t> again = patterned;
  lib.Init(reinterpret_cast<plugin::TPlugInLibInfo*>(again.data()));
  report.Check("InitPlugInLib twice writes the same bytes", again == patterned);

  // A record full of garbage or of zeros gets the same written fields.
  const std::vector<bool> written =
      WrittenMask(size, plugin::kLibInfoWrites, std::size(plugin::kLibInfoWrites));
  auto sameFields = [&](const std::vector<uint8_t>& other) {
    for (size_t b = 0; b < size; ++b) {
      if (written[b] && other[b] != patterned[b]) return false;
    }
    return true;
  };
  report.Check("InitPlugInLib over garbage writes what it writes over a pattern",
               sameFields(fill(Garbage(size, 1), "garbage")));
  report.Check("InitPlugInLib over zeros writes what it writes over a pattern",
               sameFields(fill(Filled(size, 0), "zeros")));
  std::memcpy(filled, patterned.data(), sizeof *filled);
}

void CheckPlugInInfo(const plugin::TPlugInLibInfo& libInfo, const AddressCheck& address, Report& report,
                     plugin::TPlugInInfo* filled) {
  const size_t size = plugin::kPlugInInfoSize + kSlack;
  std::vector<uint8_t> before = Filled(size, kPattern);
  std::vector<uint8_t> after = before;
  const CallResult r = PlugInLibrary::LibProc(libInfo, plugin::kRequestPlugInInfo, after.data());
  report.Check("PlugInLibProc(1) returns 3", r.value == plugin::kResultServed,
               "got " + std::to_string(r.value));
  report.Check("PlugInLibProc removes 8 stack bytes", r.bytesRemoved == 8, Removed(r, 8));
  report.Problems("PlugInLibProc(1) fills the plug-in record",
                  CheckRecord(before, after, plugin::kPlugInInfoWrites, address));
  std::vector<uint8_t> again = after;
  PlugInLibrary::LibProc(libInfo, plugin::kRequestPlugInInfo, again.data());
  report.Check("PlugInLibProc(1) twice writes the same bytes", again == after);
  std::vector<uint8_t> zeros = Filled(size, 0);
  PlugInLibrary::LibProc(libInfo, plugin::kRequestPlugInInfo, zeros.data());
  report.Problems("PlugInLibProc(1) over zeros",
                  CheckRecord(Filled(size, 0), zeros, plugin::kPlugInInfoWrites, address));
  std::memcpy(filled, after.data(), sizeof *filled);

  for (uint32_t request : {0u, 2u, 17u, 0xFFFFFFFFu}) {
    const std::string name = "PlugInLibProc(" + std::to_string(request) + ")";
    const CallResult nullCall = PlugInLibrary::LibProc(libInfo, request, nullptr);
    std::vector<uint8_t> untouched = Filled(size, kPattern);
    const CallResult recordCall = PlugInLibrary::LibProc(libInfo, request, untouched.data());
    const bool served = request == 0 || (nullCall.value == plugin::kResultNotServed &&
                                         recordCall.value == plugin::kResultNotServed);
    report.Check(name + (request == 0 ? " returns" : " returns 2"), served,
                 "got " + std::to_string(nullCall.value) + " with a null address");
    report.Check(
        name + " writes nothing and removes 8 bytes",
        untouched == Filled(size, kPattern) && nullCall.bytesRemoved == 8 && recordCall.bytesRemoved == 8,
        Removed(nullCall, 8));
  }
}

void CheckFunctionCodes(const PlugInLibrary& lib, const plugin::TPlugInInfo& info, Report& report) {
  std::vector<uint32_t> codes;
  for (uint32_t code = 0; code <= 18; ++code) codes.push_back(code);
  codes.push_back(0xFFFFFFFFu);
  std::set<uint32_t> addresses;
  for (uint32_t code : codes) {
    const CallResult r = PlugInLibrary::FuncProc(info, code);
    const bool hasEntry = std::find(std::begin(plugin::kCodesWithEntry), std::end(plugin::kCodesWithEntry),
                                    code) != std::end(plugin::kCodesWithEntry);
    const bool ok =
        r.bytesRemoved == 4 && (hasEntry ? lib.Contains(r.value) && addresses.insert(r.value).second
                                         : r.value == plugin::kResultNoEntry);
    const std::string detail = "got 0x" + shared::HexText(r.value, 8) + ", removed " +
                               std::to_string(r.bytesRemoved) + " stack bytes";
    report.Check(
        "PlugInFuncProc(" + std::to_string(code) + ") " + (hasEntry ? "gives its own entry" : "gives 0"), ok,
        detail);
  }
}

void CheckEntries(const plugin::TPlugInInfo& info, Report& report) {
  const CallResult noOp =
      PlugInLibrary::Entry(PlugInLibrary::FuncProc(info, plugin::kFuncNoOp).value, nullptr);
  report.Check("NoOpProc removes 8 stack bytes", noOp.bytesRemoved == 8, Removed(noOp, 8));

  const uint32_t about = PlugInLibrary::FuncProc(info, plugin::kFuncAbout).value;
  HWND owner = CreatePlainWindow("pdlhost check owner", false);
  const HICON information = LoadIconA(nullptr, IDI_INFORMATION);
  for (HWND wnd : {owner, HWND(nullptr)}) {
    const std::string with = wnd ? " (owner window)" : " (window 0)";
    EntryWatcher watcher;
    const CallResult r = PlugInLibrary::Entry(about, wnd);
    const SeenMessageBox box = watcher.Stop().FirstBox();
    report.Check("AboutProc shows a message box" + with, box.seen);
    if (!box.seen) continue;
    report.Check("AboutProc removes 8 stack bytes" + with, r.bytesRemoved == 8, Removed(r, 8));
    report.Check("About box caption" + with, box.caption == plugin::kAboutCaption,
                 "got \"" + box.caption + "\"");
    report.Check("About box text" + with, box.text == plugin::kAboutText, "got \"" + box.text + "\"");
    report.Check("About box has one OK button and the information icon" + with,
                 box.buttonIds == std::vector<int>{IDOK} && box.icon == information);
    report.Check("About box is owned by the window passed" + with, box.owner == wnd);
  }
  if (owner) DestroyWindow(owner);
}

}  // namespace

int RunContractCheck(const std::string& libPath, FILE* out) {
  Report report(out);
  CheckImage(libPath, report);
  CheckFpuAcrossLoad(libPath, 0x1332, report);
  CheckFpuAcrossLoad(libPath, 0x027F, report);

  PlugInLibrary lib;
  std::string error;
  const bool loaded = lib.Load(libPath, &error);
  report.Check("library loads and has InitPlugInLib", loaded, error);
  if (!loaded) return report.Finish();

  const AddressCheck address = [&lib](plugin::EntryAddress, uint32_t value) { return lib.Contains(value); };
  plugin::TPlugInLibInfo libInfo;
  CheckLibInfo(lib, address, report, &libInfo);
  plugin::TPlugInInfo info;
  CheckPlugInInfo(libInfo, address, report, &info);
  CheckFunctionCodes(lib, info, report);
  CheckEntries(info, report);
  return report.Finish();
}

}  // namespace host
