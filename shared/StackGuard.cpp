// Why this is as sound as the runtime's own set-up:
// - Unpredictable per load: the value comes from RtlGenRandom (advapi32's
//   SystemFunction036), the system's generator that needs no provider,
//   in the library, which imports advapi32; the sources the platform's
//   compilers mix for their cookie (time, performance counter, process and
//   thread ids, tick count, a stack address) are mixed in as well, so it
//   still differs per load without it. A program does without, as a
//   program of the platform's compilers does: importing advapi32 for it
//   alone would load it and sechost, under Wine a third of the program's
//   own start, and even asking whether it is loaded costs the loader's
//   search of the folders.
// - Set before any guarded function runs: the image's entry point calls
//   InitStackGuard before the runtime's start-up (plugin/LibraryEntry.cpp,
//   shared/ProgramEntry.cpp).
//   Only the runtime's TLS callbacks run earlier, and the runtime is built
//   without the protector.
// - Never changed while a guarded frame is live: it is set once, on
//   DLL_PROCESS_ATTACH, before any of our frames exist, and never after.
//   Nothing here is guarded itself (no_stack_protector): a guarded
//   InitStackGuard would find the guard changed under its own frame.
// - A failed check ends the process at once: __fastfail where the system has
//   it (Windows 8 on; no handler, unwinding or message runs), else
//   TerminateProcess. Never an exception that the host could catch.
#include "shared/StackGuard.h"

#include <windows.h>

#include <cstdint>

extern "C" {

// The names the compiler's guarded frames refer to. Defined here, the static
// libssp's object is never linked; were something to pull it in (its *_chk
// functions), the linker stops on the second definition of the guard.
uintptr_t __stack_chk_guard = 0;

[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail() {
  if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE)) {
    __asm__ __volatile__("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE) : "memory");
  }
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  __builtin_unreachable();
}

}  // extern "C"

namespace shared {

__attribute__((no_stack_protector)) void InitStackGuard(bool systemRandom) {
  uintptr_t value = 0;
  using TGenRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);
  if (const HMODULE advapi = systemRandom ? GetModuleHandleW(L"advapi32.dll") : nullptr) {
    const auto generate = reinterpret_cast<TGenRandom>(
        reinterpret_cast<void (*)()>(GetProcAddress(advapi, "SystemFunction036")));  // RtlGenRandom
    if (!generate || !generate(&value, sizeof value)) value = 0;
  }
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  value ^=
      counter.LowPart ^ static_cast<uintptr_t>(counter.HighPart) ^ now.dwLowDateTime ^ now.dwHighDateTime;
  value ^= GetCurrentProcessId() ^ (GetCurrentThreadId() << 16) ^ GetTickCount();
  value ^= reinterpret_cast<uintptr_t>(&value);
  // Zero is the value of a guard that was never set.
  __stack_chk_guard = value ? value : 0x2B992DDFu;
}

}  // namespace shared
