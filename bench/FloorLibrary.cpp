// load_bench's second floor: the calls the plug-in's load and unload must
// make (bench/PlainFloor.c), in C++ and built as the plug-in is: its flags,
// static runtime, stack guard, entry point and link options. Against the
// plain floor it shows what the build costs; against the plug-in, what the
// plug-in's own code costs. Two empty lists, OleInitialize, the seven shell
// clipboard formats and the shell allocator, undone at unload.
#include <ole2.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>* g_strings = nullptr;
std::vector<void*>* g_drives = nullptr;
bool g_ole = false;
UINT g_formats[7] = {};
IMalloc* g_malloc = nullptr;

void Load() {
  g_strings = new std::vector<std::string>;
  g_drives = new std::vector<void*>;
  g_ole = SUCCEEDED(OleInitialize(nullptr));
  const char* const names[] = {"FileContents",         "FileGroupDescriptor",    "Shell IDList Array",
                               "Preferred DropEffect", "UniformResourceLocator", "FileNameMap",
                               "FileNameMapW"};
  for (int i = 0; i < 7; ++i) g_formats[i] = RegisterClipboardFormatA(names[i]);
  if (FAILED(SHGetMalloc(&g_malloc))) g_malloc = nullptr;
}

void Unload(bool processExit) {
  if (!processExit) {
    if (g_ole) OleUninitialize();
    if (g_malloc) g_malloc->Release();
  }
  delete g_drives;
  delete g_strings;
}

}  // namespace

extern "C" __declspec(dllexport) void Nothing() {}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) Load();
  if (reason == DLL_PROCESS_DETACH) Unload(reserved != nullptr);
  return TRUE;
}
