#include "dialog/SystemQueries.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace dialog {

namespace {

OsVersion QueryOsVersion() {
  // GetVersionEx reports 6.2 build 9200 on Windows 8.1 and later to a
  // program without a compatibility manifest, and the host has none; ntdll's
  // RtlGetVersion tells the truth. It is looked up because it is missing on
  // the 9x family.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  if (HMODULE ntdll = ::GetModuleHandleA("ntdll.dll")) {
    const auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (rtlGetVersion && rtlGetVersion(&info) == 0) {
      return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
    }
  }
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ::GetVersionExA(&info);
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

ProcessorRecord QueryProcessor() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  return {info.wProcessorArchitecture, info.dwProcessorType};
}

MemoryCounts QueryMemory() {
  // The 64-bit counts: GlobalMemoryStatus clamps at 4 GB.
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!::GlobalMemoryStatusEx(&status)) return {};
  return {status.ullTotalPhys, status.ullAvailPhys, status.ullTotalPageFile, status.ullAvailPageFile};
}

// The machines besides x86 and x64 that Windows runs on, and the
// architecture their own programs are told.
struct EmulatingMachine {
  uint16_t machine;
  uint16_t architecture;
};
constexpr EmulatingMachine kEmulatingMachines[] = {
    {IMAGE_FILE_MACHINE_ARM64, PROCESSOR_ARCHITECTURE_ARM64},
    {IMAGE_FILE_MACHINE_ARMNT, PROCESSOR_ARCHITECTURE_ARM},
    {IMAGE_FILE_MACHINE_ARM, PROCESSOR_ARCHITECTURE_ARM},
    {IMAGE_FILE_MACHINE_THUMB, PROCESSOR_ARCHITECTURE_ARM},
    {IMAGE_FILE_MACHINE_IA64, PROCESSOR_ARCHITECTURE_IA64},
};

uint16_t QueryNativeMachine() { return QueryProcessMachines().native; }

bool Query9xFamily() { return (::GetVersion() & 0x80000000u) != 0; }

NameResult QueryComputerName() {
  char buffer[16];  // 15 characters and the terminator
  DWORD size = sizeof buffer;
  if (!::GetComputerNameA(buffer, &size)) return {};
  return {true, std::string(buffer, strnlen(buffer, sizeof buffer))};
}

NameResult QueryUserName() {
  DWORD size = 0;
  ::GetUserNameA(nullptr, &size);
  if (size == 0) return {};
  std::vector<char> buffer(size);
  if (!::GetUserNameA(buffer.data(), &size)) return {};
  return {true, std::string(buffer.data(), strnlen(buffer.data(), buffer.size()))};
}

// The host hands its paths over in buffers of this size.
constexpr DWORD kPathBuffer = 261;

std::string QueryHostProgramPath() {
  char buffer[kPathBuffer] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, buffer, kPathBuffer);
  // A truncated path may come back without its zero.
  return std::string(buffer, strnlen(buffer, std::min<DWORD>(length, kPathBuffer - 1)));
}

std::string QuerySystemFolder() {
  char buffer[kPathBuffer] = {};
  const UINT length = ::GetSystemDirectoryA(buffer, kPathBuffer);
  // A length beyond the buffer is the size it would need; nothing usable.
  if (length == 0 || length >= kPathBuffer) return {};
  return buffer;
}

const SystemQueries kPlatform = {QueryOsVersion,       QueryProcessor,    QueryMemory,
                                 Query9xFamily,        QueryComputerName, QueryUserName,
                                 QueryHostProgramPath, QuerySystemFolder, QueryNativeMachine};
const SystemQueries* g_override = nullptr;

}  // namespace

ProcessMachines QueryProcessMachines() {
  // An x86 program on ARM64 is told x86 by GetSystemInfo and
  // GetNativeSystemInfo alike. IsWow64Process says TRUE there, as on x64,
  // but not on which machine; only IsWow64Process2 (Windows 10 1709 and
  // later, so every ARM64 release) names both. Older systems lack it, and
  // the 9x family lacks IsWow64Process too.
  const HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
  using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  if (const auto isWow64Process2 = reinterpret_cast<IsWow64Process2Fn>(
          reinterpret_cast<void*>(::GetProcAddress(kernel32, "IsWow64Process2")))) {
    USHORT process = IMAGE_FILE_MACHINE_UNKNOWN;
    USHORT native = IMAGE_FILE_MACHINE_UNKNOWN;
    if (isWow64Process2(::GetCurrentProcess(), &process, &native)) return {process, native};
  }
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel32, "IsWow64Process")));
  BOOL wow64 = FALSE;
  if (isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64) {
    return {IMAGE_FILE_MACHINE_I386, IMAGE_FILE_MACHINE_UNKNOWN};
  }
  return {};
}

ProcessorRecord NativeProcessor(const ProcessorRecord& reported, uint16_t nativeMachine) {
  if (nativeMachine == IMAGE_FILE_MACHINE_UNKNOWN || nativeMachine == IMAGE_FILE_MACHINE_I386 ||
      nativeMachine == IMAGE_FILE_MACHINE_AMD64) {
    return reported;
  }
  for (const EmulatingMachine& entry : kEmulatingMachines) {
    if (entry.machine == nativeMachine) return {entry.architecture, 0};
  }
  // A machine named here by no architecture: anything but Intel.
  return {PROCESSOR_ARCHITECTURE_UNKNOWN, 0};
}

const SystemQueries& PlatformQueries() { return kPlatform; }
const SystemQueries& Queries() { return g_override ? *g_override : kPlatform; }
void SetQueriesForTesting(const SystemQueries* queries) { g_override = queries; }

}  // namespace dialog
