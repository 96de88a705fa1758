// The system queries of the activation pass and the library scan, each a few
// lines over one platform call and returning a plain record. The dialog
// reaches them through one table so that tests can put figures and folders
// of their own in place.
#pragma once

#include <cstdint>
#include <string>

namespace dialog {

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;  // as reported; only the low 16 bits are shown
  uint32_t platformId = 0;
};

struct ProcessorRecord {
  uint16_t architecture = 0;
  uint32_t processorType = 0;
};

// The machines of this process and of the system, as IMAGE_FILE_MACHINE_
// values.
struct ProcessMachines {
  uint16_t process = 0;  // this process's machine under WOW64; 0 (unknown) when it runs natively
  uint16_t native = 0;   // the machine Windows runs on; 0 when the system does not say
};
ProcessMachines QueryProcessMachines();

// What the system information query tells a native program of the machine:
// `reported` as it stands on x86 and x64 machines and where the machine is
// not known, otherwise that machine's PROCESSOR_ARCHITECTURE_ value, whose
// processor type an emulated x86 processor cannot tell (0).
ProcessorRecord NativeProcessor(const ProcessorRecord& reported, uint16_t nativeMachine);

struct MemoryCounts {
  uint64_t totalPhys = 0;
  uint64_t availPhys = 0;
  uint64_t totalPageFile = 0;
  uint64_t availPageFile = 0;
};

// A name, or nothing when the platform would not give one.
struct NameResult {
  bool ok = false;
  std::string name;
};

struct SystemQueries {
  OsVersion (*osVersion)();
  // GetSystemInfo's record: under emulation that of the emulated processor.
  ProcessorRecord (*processor)();
  MemoryCounts (*memory)();
  // True for the 9x family (bit 31 of GetVersion).
  bool (*is9xFamily)();
  NameResult (*computerName)();
  NameResult (*userName)();
  // The running program's executable as GetModuleFileNameA reports it, ""
  // when it reports nothing.
  std::string (*hostProgramPath)();
  // The Windows system folder, "" when the platform does not say.
  std::string (*systemFolder)();
  // The machine Windows runs on (ProcessMachines::native).
  uint16_t (*nativeMachine)();
};

// The real queries.
const SystemQueries& PlatformQueries();
// What the dialog calls: the real queries unless a test replaced them.
const SystemQueries& Queries();
void SetQueriesForTesting(const SystemQueries* queries);

}  // namespace dialog
