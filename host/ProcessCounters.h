// What a leak would change, counted by means that work under Wine as well
// as Windows (GetGuiResources, GetProcessHandleCount and PrivateUsage are
// stubs there): windows, kernel handles, GDI objects, memory, TLS indexes
// and heap bytes in use. The benchmarks, the soak and the bad-input tests
// all count with these, so their verdicts cannot disagree.
#pragma once

#include <windows.h>

#include <string>

namespace host {

struct ProcessCounters {
  long topLevelWindows = 0;  // EnumThreadWindows
  long allWindows = 0;       // the same plus every descendant (EnumChildWindows)
  long kernelHandles = -1;   // see KernelHandleCount
  long gdiObjects = -1;      // the process's GDI handle table; -1 where it cannot be read
  SIZE_T workingSet = 0;
  SIZE_T pagefileUsage = 0;
};

ProcessCounters SampleCounters();

// This process's entries in the system handle list
// (NtQuerySystemInformation); -1 where the platform gives no list.
int KernelHandleCount();
// The calling thread's top-level windows.
int ThreadWindowCount();
// Threads of this process; -1 when they cannot be listed.
int ProcessThreadCount();
// TLS indexes still free in this process; each is taken and given back.
int FreeTlsIndexes();
// Bytes in use in a heap; -1 when it cannot be walked.
long long HeapBusyBytes(HANDLE heap);
// The C runtime's heap: the library's allocations and this program's.
HANDLE CrtHeap();

// How GDI objects are counted, or why they cannot be; checked once by
// creating and deleting brushes and watching the count follow.
const std::string& GdiCountingMethod();

}  // namespace host
