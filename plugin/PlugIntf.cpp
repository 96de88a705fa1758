#include "plugin/PlugIntf.h"

#include "plugin/PlugInContract.h"
#include "plugin/PlugInEntries.h"
#include "plugin/RecordWriter.h"

namespace plugin {

namespace {

template <typename Fn>
uint32_t AddressOf(Fn* fn) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fn));
}

uint32_t ResolveEntry(EntryAddress which) {
  switch (which) {
    case EntryAddress::PlugInLibProc:
      return AddressOf(&PlugInLibProc);
    case EntryAddress::PlugInFuncProc:
      return AddressOf(&PlugInFuncProc);
    case EntryAddress::None:
      break;
  }
  return 0;
}

struct FunctionEntry {
  uint32_t code;
  uint32_t(__stdcall* entry)(uint32_t, HWND);
};

// Codes absent from this table have no entry.
constexpr FunctionEntry kFunctionEntries[] = {
    {kFuncNoOp, &NoOpProc},
    {kFuncAbout, &AboutProc},
    {kFuncExecute, &ExecuteProc},
};

}  // namespace

uint32_t __stdcall PlugInLibProc(uint32_t request, void* info) noexcept {
  if (request != kRequestPlugInInfo) return kResultNotServed;  // 0 and 2 upwards
  WriteRecord(info, kPlugInInfoWrites, &ResolveEntry);
  return kResultServed;
}

uint32_t __stdcall PlugInFuncProc(uint32_t code) noexcept {
  for (const FunctionEntry& e : kFunctionEntries) {
    if (e.code == code) return AddressOf(e.entry);
  }
  return kResultNoEntry;
}

}  // namespace plugin

extern "C" __attribute__((regparm(1))) void InitPlugInLib(plugin::TPlugInLibInfo* info) noexcept {
  plugin::WriteRecord(info, plugin::kLibInfoWrites, &plugin::ResolveEntry);
}
