// Part 3: the library loaded and unloaded over and over in one process, with
// the host's x87 control word and the thread's COM state checked throughout.
#include <objbase.h>

#include <cstdio>
#include <string>

#include "host/PlugInLibrary.h"
#include "host/ProcessCounters.h"
#include "shared/FpuControlWord.h"
#include "tests/soak/SoakParts.h"

namespace soak {

namespace {

// The host's own setting; reserved bit 6 may read back set, so every check
// compares with what the processor gave back after it was written.
constexpr uint16_t kHostControlWord = 0x1332;

// What a host's CoInitializeEx would meet now; the call is balanced at once.
HRESULT ProbeCom() {
  const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(result)) ::CoUninitialize();
  return result;
}

std::string ComText(HRESULT result) {
  const char* meaning = result == S_OK                 ? "S_OK: COM not initialised on the thread"
                        : result == S_FALSE            ? "S_FALSE: already initialised"
                        : result == RPC_E_CHANGED_MODE ? "RPC_E_CHANGED_MODE: multithreaded apartment"
                                                       : "failed";
  return Hex(static_cast<unsigned long>(result)) + " (" + meaning + ")";
}

// The thread's apartment without changing it.
struct Apartment {
  HRESULT result = E_FAIL;
  APTTYPE type = APTTYPE_CURRENT;
  bool operator==(const Apartment& other) const { return result == other.result && type == other.type; }
};

Apartment CurrentApartment() {
  Apartment apartment;
  APTTYPEQUALIFIER qualifier;
  apartment.result = ::CoGetApartmentType(&apartment.type, &qualifier);
  return apartment;
}

struct LoadTally {
  int served = 0;
  int fpuChanges = 0;
  std::string firstFpuChange;
  int apartmentChanges = 0;
  std::string firstApartmentChange;
};

void CheckFpu(uint16_t expected, int cycle, const char* after, LoadTally& tally) {
  const uint16_t now = shared::ReadFpuControlWord();
  if (now == expected) return;
  if (tally.fpuChanges++ == 0) {
    tally.firstFpuChange = "load " + std::to_string(cycle) + " after " + after + ": " + Hex(expected, 4) +
                           " became " + Hex(now, 4);
  }
}

void RunLoad(const std::string& path, const Apartment& apartmentBefore, int cycle, LoadTally& tally,
             SoakTable& table) {
  // The soak's own code runs with its usual control word between cycles.
  shared::KeepFpuControlWord keepOwn;
  shared::WriteFpuControlWord(kHostControlWord);
  const uint16_t expected = shared::ReadFpuControlWord();
  {
    host::PlugInLibrary library;
    std::string error;
    if (!library.Load(path, &error)) {
      table.Fail(cycle, error);
      return;
    }
    CheckFpu(expected, cycle, "LoadLibrary", tally);
    plugin::TPlugInLibInfo libInfo{};
    library.Init(&libInfo);
    CheckFpu(expected, cycle, "InitPlugInLib", tally);
    plugin::TPlugInInfo plugIn{};
    const host::CallResult request =
        host::PlugInLibrary::LibProc(libInfo, plugin::kRequestPlugInInfo, &plugIn);
    CheckFpu(expected, cycle, "request 1", tally);
    if (request.value == plugin::kResultServed && library.Contains(plugIn.FuncProc)) {
      ++tally.served;
    } else {
      table.Fail(cycle, "request 1 gave " + std::to_string(request.value));
    }
  }
  CheckFpu(expected, cycle, "FreeLibrary", tally);
  const Apartment after = CurrentApartment();
  if (!(after == apartmentBefore) && tally.apartmentChanges++ == 0) {
    tally.firstApartmentChange = "load " + std::to_string(cycle) + ": apartment query " +
                                 Hex(static_cast<unsigned long>(after.result)) + " type " +
                                 std::to_string(after.type);
  }
}

}  // namespace

void RunLoadPart(const Options& options, Verdicts& verdicts) {
  std::printf("\nPart 3: load/unload cycles: LoadLibrary, InitPlugInLib, request 1, FreeLibrary (%d loads)\n",
              options.loads);
  const HRESULT comBefore = ProbeCom();
  const Apartment apartmentBefore = CurrentApartment();
  const int tlsBefore = host::FreeTlsIndexes();
  std::printf("COM before the loads: CoInitializeEx gives %s\n", ComText(comBefore).c_str());
  std::printf("x87 control word %s set before each load, compared after every step\n",
              Hex(kHostControlWord, 4).c_str());

  LoadTally tally;
  SoakTable table("load", options.loads, kFullLoads, false);
  table.Run([&](int cycle) {
    RunLoad(options.library, apartmentBefore, cycle, tally, table);
    return -1;
  });
  const HRESULT comAfter = ProbeCom();
  const int tlsAfter = host::FreeTlsIndexes();

  const int total = options.loads + 1;
  verdicts.Judge(table.Failures() == 0 && tally.served == total,
                 "part 3 loads: " + std::to_string(total) +
                     " loads (warm-up included) found InitPlugInLib and served request 1 " +
                     std::to_string(tally.served) + " times" + table.FirstFailure());
  verdicts.Judge(tally.fpuChanges == 0,
                 "part 3 x87 control word: " + std::to_string(tally.fpuChanges) + " of " +
                     std::to_string(total * 4) + " checks found it changed" +
                     (tally.firstFpuChange.empty() ? "" : " (first: " + tally.firstFpuChange + ")"));
  verdicts.Judge(
      comAfter == comBefore && tally.apartmentChanges == 0,
      "part 3 COM: CoInitializeEx gives " + ComText(comAfter) + " after the loads, " + ComText(comBefore) +
          " before; the apartment after FreeLibrary differed " + std::to_string(tally.apartmentChanges) +
          " times" +
          (tally.firstApartmentChange.empty() ? "" : " (first: " + tally.firstApartmentChange + ")"));
  table.JudgeCounters(verdicts, "part 3");
  // A load that finds none left cannot start.
  verdicts.Judge(tlsAfter >= tlsBefore, "part 3 TLS indexes free: " + std::to_string(tlsBefore) +
                                            " before the loads, " + std::to_string(tlsAfter) + " after (" +
                                            std::to_string(tlsAfter - tlsBefore) + "; no loss allowed)");
}

}  // namespace soak
