// What a leak would change: the process's kernel handles (registry keys
// among them under Wine), the calling thread's windows, TLS indexes and
// heap bytes in use. Wine's own
// counters for these are stubs; the system handle list is not.
#pragma once

#include <windows.h>

#include <malloc.h>

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

// TLS indexes still free in this process; each is taken and given back.
inline int FreeTlsIndexes() {
  std::vector<DWORD> taken;
  for (DWORD index; (index = ::TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(index);
  for (DWORD index : taken) ::TlsFree(index);
  return static_cast<int>(taken.size());
}

// Bytes in use in a heap; -1 when it cannot be walked.
inline long long HeapBusyBytes(HANDLE heap) {
  if (!heap || !::HeapLock(heap)) return -1;
  long long busy = 0;
  PROCESS_HEAP_ENTRY entry{};
  while (::HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
  }
  ::HeapUnlock(heap);
  return busy;
}

// The C runtime's heap: the library's allocations and this program's.
inline HANDLE CrtHeap() { return reinterpret_cast<HANDLE>(::_get_heap_handle()); }

}  // namespace badinput
