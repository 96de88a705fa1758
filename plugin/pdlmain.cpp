// Library load and unload.
#include <windows.h>

#include <new>

#include "plugin/ThreadRuntime.h"
#include "shared/FpuControlWord.h"
#include "shared/LangTable.h"
#include "shared/ShellSupport.h"
#include "toolkit/Application.h"
#include "toolkit/FormSupport.h"

namespace {

shared::ShellSupport* g_shell = nullptr;

bool Load() {
  try {
    toolkit::CreateApplication();
    g_shell = new shared::ShellSupport;
    g_shell->Load();
    return true;
  } catch (const std::bad_alloc&) {
    delete g_shell;
    g_shell = nullptr;
    toolkit::DestroyApplication();
    return false;
  }
}

void Unload(bool processExit) {
  // Made by the first Execute, if any; at process exit no other library may
  // be called.
  if (!processExit) toolkit::ReleaseForms();
  if (g_shell) g_shell->Unload(processExit);
  delete g_shell;
  g_shell = nullptr;
  shared::FinalizeLangTable();
  toolkit::DestroyApplication();
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  shared::KeepFpuControlWord keepHostFpu;
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return Load() ? TRUE : FALSE;
    case DLL_THREAD_DETACH:
      // A thread of the host that ran the library's code may hold its
      // runtime's thread-locals.
      plugin::ReleaseThreadData();
      break;
    case DLL_PROCESS_DETACH:
      // A non-null `reserved` means the process is ending, not a FreeLibrary.
      Unload(reserved != nullptr);
      if (!reserved) plugin::ReleaseThreadRuntime();
      break;
  }
  return TRUE;
}
