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

const SystemQueries kPlatform = {QueryOsVersion,    QueryProcessor, QueryMemory,          Query9xFamily,
                                 QueryComputerName, QueryUserName,  QueryHostProgramPath, QuerySystemFolder};
const SystemQueries* g_override = nullptr;

}  // namespace

const SystemQueries& PlatformQueries() { return kPlatform; }
const SystemQueries& Queries() { return g_override ? *g_override : kPlatform; }
void SetQueriesForTesting(const SystemQueries* queries) { g_override = queries; }

}  // namespace dialog
