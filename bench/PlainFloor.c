/* The floor for load_bench: the calls the plug-in's load and unload must
   make and nothing else. Plain C, no runtime (built with -nostdlib, this is
   its entry point), no stack protector, no relocation beyond the linker's
   own: every cost the plug-in's build adds shows against it.
   OleInitialize, the seven shell clipboard formats and the shell allocator,
   undone at unload as the plug-in undoes them (at process exit no other
   library may be called). */
#define COBJMACROS
#include <ole2.h>
#include <shlobj.h>
#include <windows.h>

static BOOL g_ole;
static UINT g_formats[7];
static IMalloc* g_malloc;

static void Load(void) {
  static const char* const names[] = {"FileContents",         "FileGroupDescriptor",    "Shell IDList Array",
                                      "Preferred DropEffect", "UniformResourceLocator", "FileNameMap",
                                      "FileNameMapW"};
  int i;
  g_ole = SUCCEEDED(OleInitialize(NULL));
  for (i = 0; i < 7; ++i) g_formats[i] = RegisterClipboardFormatA(names[i]);
  if (FAILED(SHGetMalloc(&g_malloc))) g_malloc = NULL;
}

static void Unload(BOOL processExit) {
  if (processExit) return;
  if (g_ole) OleUninitialize();
  if (g_malloc) IMalloc_Release(g_malloc);
}

__declspec(dllexport) void Nothing(void) {}

BOOL WINAPI FloorEntry(HINSTANCE module, DWORD reason, LPVOID reserved) {
  (void)module;
  if (reason == DLL_PROCESS_ATTACH) Load();
  if (reason == DLL_PROCESS_DETACH) Unload(reserved != NULL);
  return TRUE;
}
