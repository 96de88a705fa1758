// What a leak would change: the process's kernel handles (registry keys
// among them under Wine) and the calling thread's windows. Wine's own
// counters for these are stubs; the system handle list is not.
#pragma once

#include <windows.h>

#include <vector>

namespace badinput {

// -1 when the platform gives no handle list.
inline int ProcessHandleCount() {
  struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
  };
  using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<BYTE> buffer(1 << 16);
  LONG status;
  ULONG needed = 0;
  while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                         &needed)) == kLengthMismatch) {
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) return -1;
  ULONG count;
  memcpy(&count, buffer.data(), sizeof count);
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG));
  const DWORD pid = ::GetCurrentProcessId();
  int mine = 0;
  for (ULONG i = 0; i < count; ++i)
    if (entries[i].ownerPid == pid) ++mine;
  return mine;
}

inline BOOL CALLBACK CountOneWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

inline int ThreadWindowCount() {
  int count = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), CountOneWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace badinput
