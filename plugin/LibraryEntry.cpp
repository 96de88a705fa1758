// The library's entry point (linked with -e): the stack guard first, then the
// runtime's own entry, which runs the constructors and DllMain. Unguarded
// itself: its frame is live when the guard is set.
#include <windows.h>

#include "shared/StackGuard.h"

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE module, DWORD reason, LPVOID reserved);
extern "C" int FrameTablesRefused(void);  // shared/FrameRegistration.c

extern "C" __attribute__((no_stack_protector)) BOOL WINAPI LibraryEntry(HINSTANCE module, DWORD reason,
                                                                        LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) shared::InitStackGuard(true);
  const BOOL started = DllMainCRTStartup(module, reason, reserved);
  // Without its unwind tables the library's first throw would end the host:
  // the load fails instead (the system then undoes the start).
  if (reason == DLL_PROCESS_ATTACH && started && FrameTablesRefused()) return FALSE;
  return started;
}
