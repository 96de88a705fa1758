// What a showing could leave behind, counted by means that work under Wine
// (GetGuiResources, GetProcessHandleCount and PrivateUsage are stubs there).
#pragma once

#include <windows.h>

#include <string>

namespace bench {

struct ProcessCounters {
  long topLevelWindows = 0;  // EnumThreadWindows
  long allWindows = 0;       // the same plus every descendant (EnumChildWindows)
  long kernelHandles = -1;   // NtQuerySystemInformation(SystemHandleInformation), this process only
  long gdiObjects = -1;      // the process's GDI handle table; -1 where it cannot be read
  SIZE_T workingSet = 0;
  SIZE_T pagefileUsage = 0;
};

ProcessCounters SampleCounters();

// How GDI objects are counted, or why they cannot be; checked once by
// creating and deleting brushes and watching the count follow.
const std::string& GdiCountingMethod();
bool GdiCountingWorks();

}  // namespace bench
