#include "host/ProcessCounters.h"

#include <malloc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/WindowRead.h"
#include "shared/Scoped.h"

namespace host {

namespace {

// SystemHandleInformation (16) as the system hands it out. The first field is
// a 16-bit process id plus a 16-bit back-trace index on Windows and a 32-bit
// id on Wine. One rule for every counter: an entry is ours when the low 16
// bits match our id. Comparing all 32 bits would miss, on Windows, every
// handle whose back-trace index is not zero; the low word is all that
// Windows records of the id in this list anyway.
struct HandleEntry {
  ULONG owner;
  UCHAR objectType;
  UCHAR attributes;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleSnapshot {
  ULONG count;
  HandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// The snapshot lives outside every heap, so counting handles never changes
// the heap figures taken beside it; kept from call to call.
class SnapshotBuffer {
 public:
  void* Data() const { return data_; }
  ULONG Bytes() const { return bytes_; }
  bool Grow(size_t atLeast) {
    if (data_) ::VirtualFree(data_, 0, MEM_RELEASE);
    bytes_ = static_cast<ULONG>(std::max<size_t>(atLeast, bytes_ * 2));
    data_ = ::VirtualAlloc(nullptr, bytes_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!data_) bytes_ = 0;
    return data_ != nullptr;
  }

 private:
  void* data_ = nullptr;
  ULONG bytes_ = 0;
};

long CountKernelHandles() {
  static const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  static SnapshotBuffer buffer;
  if (!buffer.Data() && !buffer.Grow(256 * 1024)) return -1;
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(kSystemHandleInformation, buffer.Data(), buffer.Bytes(), &needed);
    if (status == kStatusInfoLengthMismatch) {
      // Grown beyond what was asked for: handles may be opened meanwhile.
      if (!buffer.Grow(static_cast<size_t>(needed) + 64 * 1024)) return -1;
      continue;
    }
    if (status < 0) return -1;
    const auto* snapshot = static_cast<const HandleSnapshot*>(buffer.Data());
    const ULONG self = ::GetCurrentProcessId() & 0xFFFF;
    long count = 0;
    for (ULONG i = 0; i < snapshot->count; ++i) count += (snapshot->entries[i].owner & 0xFFFF) == self;
    return count;
  }
  return -1;
}

// Wine keeps the process's GDI handle table in memory that the PEB points
// at (GdiSharedHandleTable): 64 K entries of 24 bytes, in use while the type
// byte is non-zero. A 32-bit process on a 64-bit prefix finds the pointer in
// the 64-bit PEB (TEB32.GdiBatchCount holds the TEB64's address there).
// Nothing documents this, so it is only trusted after the brush check below.
struct GdiEntry {
  uint64_t object;
  uint32_t owner;
  uint16_t unique;
  uint8_t type;
  uint8_t flags;
  uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24);
constexpr size_t kGdiEntries = 0x10000;
constexpr size_t kPebGdiTable = 0x94;        // 32-bit PEB
constexpr size_t kTebGdiBatchCount = 0xF70;  // 32-bit TEB
constexpr size_t kTeb64Peb = 0x60;
constexpr size_t kPeb64GdiTable = 0xF8;

struct BasicInformation {
  LONG exitStatus;
  PVOID base;  // the PEB for a process, the TEB for a thread
  ULONG_PTR more[4];
};
using QueryInformation = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

PVOID BaseAddress(const char* function, HANDLE object) {
  const auto query = reinterpret_cast<QueryInformation>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), function)));
  BasicInformation info{};
  if (!query || query(object, 0, &info, sizeof info, nullptr) < 0) return nullptr;
  return info.base;
}

// A pointer-sized or 64-bit value read only from committed, readable memory.
bool ReadValue(uint64_t address, size_t size, uint64_t& value) {
  if (!address || address + size > 0xFFFFFFFFull) return false;
  MEMORY_BASIC_INFORMATION region{};
  const auto* at = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
  if (!::VirtualQuery(at, &region, sizeof region) || region.State != MEM_COMMIT ||
      !(region.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE)) ||
      at + size > static_cast<const uint8_t*>(region.BaseAddress) + region.RegionSize) {
    return false;
  }
  value = 0;
  std::memcpy(&value, at, size);
  return true;
}

const GdiEntry* GdiTable() {
  static_assert(sizeof(void*) == 4, "the offsets are the 32-bit ones");
  const auto peb =
      reinterpret_cast<uintptr_t>(BaseAddress("NtQueryInformationProcess", ::GetCurrentProcess()));
  const auto teb = reinterpret_cast<uintptr_t>(BaseAddress("NtQueryInformationThread", ::GetCurrentThread()));
  uint64_t table = 0, teb64 = 0, peb64 = 0, probe = 0;
  const bool found = (ReadValue(peb + kPebGdiTable, 4, table) && table) ||
                     (ReadValue(teb + kTebGdiBatchCount, 4, teb64) &&
                      ReadValue(teb64 + kTeb64Peb, 8, peb64) && ReadValue(peb64 + kPeb64GdiTable, 8, table));
  // The whole table must be readable, first entry and last.
  if (!found || !ReadValue(table, 8, probe) ||
      !ReadValue(table + sizeof(GdiEntry) * kGdiEntries - 8, 8, probe)) {
    return nullptr;
  }
  return reinterpret_cast<const GdiEntry*>(static_cast<uintptr_t>(table));
}

long CountGdiEntries(const GdiEntry* table) {
  long count = 0;
  for (size_t i = 0; i < kGdiEntries; ++i) count += table[i].type != 0;
  return count;
}

struct GdiCheck {
  bool guiResources = false;
  const GdiEntry* table = nullptr;  // counted where GetGuiResources is a stub
  std::string method;
};

GdiCheck CheckGdiCounting() {
  // Where the documented call answers (Windows), it is the one to use.
  if (::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) > 0) {
    return {true, nullptr, "GetGuiResources(GR_GDIOBJECTS)"};
  }
  const GdiEntry* table = GdiTable();
  if (!table) {
    return {
        false, nullptr,
        "cannot be counted here: GetGuiResources is a stub and no GDI handle table is readable via the PEB"};
  }
  constexpr int kBrushes = 64;
  const long before = CountGdiEntries(table);
  std::vector<HBRUSH> brushes;
  bool entriesMatch = true;
  for (int i = 0; i < kBrushes; ++i) {
    brushes.push_back(::CreateSolidBrush(RGB(i, 0, 0)));
    const uintptr_t handle = reinterpret_cast<uintptr_t>(brushes.back());
    const GdiEntry& entry = table[handle & 0xFFFF];
    entriesMatch = entriesMatch && entry.type != 0 && entry.unique == (handle >> 16);
  }
  const long during = CountGdiEntries(table);
  for (HBRUSH brush : brushes) ::DeleteObject(brush);
  const long after = CountGdiEntries(table);
  if (!entriesMatch || during - before != kBrushes || after != before) {
    return {false, nullptr,
            "cannot be counted here: GetGuiResources is a stub and the PEB's GDI handle table did not follow "
            "64 test brushes"};
  }
  return {false, table,
          "used entries of the process's GDI handle table (GdiSharedHandleTable of the PEB, GetGuiResources "
          "being a stub); checked: 64 brushes moved the count by +64 and back"};
}

const GdiCheck& Gdi() {
  static const GdiCheck check = CheckGdiCounting();
  return check;
}

long CountGdiObjects() {
  const GdiCheck& gdi = Gdi();
  if (gdi.guiResources) return static_cast<long>(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
  return gdi.table ? CountGdiEntries(gdi.table) : -1;
}

}  // namespace

ProcessCounters SampleCounters() {
  ProcessCounters counters;
  for (HWND window : ThreadWindows(::GetCurrentThreadId())) {
    ++counters.topLevelWindows;
    counters.allWindows += 1 + static_cast<long>(Descendants(window).size());
  }
  counters.kernelHandles = CountKernelHandles();
  counters.gdiObjects = CountGdiObjects();
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory)) {
    counters.workingSet = memory.WorkingSetSize;
    counters.pagefileUsage = memory.PagefileUsage;
  }
  return counters;
}

int KernelHandleCount() { return static_cast<int>(CountKernelHandles()); }

int ThreadWindowCount() { return static_cast<int>(ThreadWindows(::GetCurrentThreadId()).size()); }

int ProcessThreadCount() {
  const HANDLE raw = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (raw == INVALID_HANDLE_VALUE) return -1;
  const shared::ScopedHandle snapshot(raw);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = ::Thread32First(raw, &entry); more; more = ::Thread32Next(raw, &entry))
    count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
  return count;
}

int FreeTlsIndexes() {
  std::vector<DWORD> taken;
  for (DWORD index; (index = ::TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(index);
  for (DWORD index : taken) ::TlsFree(index);
  return static_cast<int>(taken.size());
}

long long HeapBusyBytes(HANDLE heap) {
  if (!heap || !::HeapLock(heap)) return -1;
  long long busy = 0;
  PROCESS_HEAP_ENTRY entry{};
  while (::HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
  }
  // Only a walk that reached the end has counted every block.
  const bool complete = ::GetLastError() == ERROR_NO_MORE_ITEMS;
  ::HeapUnlock(heap);
  return complete ? busy : -1;
}

HANDLE CrtHeap() { return reinterpret_cast<HANDLE>(::_get_heap_handle()); }

const std::string& GdiCountingMethod() { return Gdi().method; }

}  // namespace host
