/* The empty DLL for load_bench: plain C, no runtime at all (built with
   -nostdlib, this is its entry point), one export. What loading any DLL
   costs. */
#include <windows.h>

__declspec(dllexport) void Nothing(void) {}

BOOL WINAPI EmptyEntry(HINSTANCE module, DWORD reason, LPVOID reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return TRUE;
}
