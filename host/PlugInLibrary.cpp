#include "host/PlugInLibrary.h"

#include <cstring>

namespace host {

namespace {

const void* AsCode(uint32_t address) {
  return reinterpret_cast<const void*>(static_cast<uintptr_t>(address));
}

}  // namespace

bool PlugInLibrary::Load(const std::string& path, std::string* error) {
  Unload();
  shared::ScopedModule module(LoadLibraryA(path.c_str()));
  if (!module) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  FARPROC init = GetProcAddress(module.Get(), "InitPlugInLib");
  if (!init) {
    *error = path + " has no InitPlugInLib entry (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  module_ = std::move(module);
  init_ = reinterpret_cast<const void*>(init);
  return true;
}

void PlugInLibrary::Unload() {
  module_.Reset();
  init_ = nullptr;
}

CallResult PlugInLibrary::Init(plugin::TPlugInLibInfo* info) const {
  return CallRegister(init_, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info)));
}

CallResult PlugInLibrary::LibProc(const plugin::TPlugInLibInfo& lib, uint32_t request, void* info) {
  return CallStdcall(AsCode(lib.LibProc), request, reinterpret_cast<uintptr_t>(info));
}

CallResult PlugInLibrary::FuncProc(const plugin::TPlugInInfo& plugIn, uint32_t code) {
  return CallStdcall(AsCode(plugIn.FuncProc), code);
}

CallResult PlugInLibrary::Entry(uint32_t address, HWND owner) {
  return CallStdcall(AsCode(address), 0u, reinterpret_cast<uintptr_t>(owner));
}

bool PlugInLibrary::Contains(uint32_t address) const {
  if (!module_) return false;
  const auto* base = reinterpret_cast<const uint8_t*>(module_.Get());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  const uintptr_t start = reinterpret_cast<uintptr_t>(base);
  return address >= start && address < start + nt->OptionalHeader.SizeOfImage;
}

bool PlugInLibrary::Describe(PlugInEntries* out, std::string* error) const {
  *out = {};
  Init(&out->lib);
  if (!Contains(out->lib.LibProc)) {
    *error = "the library did not give a library callback inside itself";
    return false;
  }
  const CallResult served = LibProc(out->lib, plugin::kRequestPlugInInfo, &out->plugIn);
  if (served.value != plugin::kResultServed) {
    *error = "the library did not describe its plug-in (result " + std::to_string(served.value) + ")";
    return false;
  }
  if (!Contains(out->plugIn.FuncProc)) {
    *error = "the library did not give an entry lookup inside itself";
    return false;
  }
  const auto inside = [this](uint32_t address) { return Contains(address) ? address : 0; };
  out->about = inside(FuncProc(out->plugIn, plugin::kFuncAbout).value);
  out->execute = inside(FuncProc(out->plugIn, plugin::kFuncExecute).value);
  return true;
}

std::string FieldText(const char (&field)[plugin::kHostTextSize]) {
  return std::string(field, strnlen(field, plugin::kHostTextSize));
}

}  // namespace host
