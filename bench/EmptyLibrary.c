// The baseline for load_bench: a DLL built by the same toolchain with the
// same static runtime, that does nothing at load and exports one entry.
#include <windows.h>

extern "C" __declspec(dllexport) void Nothing() {}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
