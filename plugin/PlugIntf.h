// The library's side of the host's plug-in interface: the exported entry, the
// library callback and the plug-in's entry lookup.
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugin/PlugInRecords.h"

// The host calls this in its register convention: the record's address in
// EAX, nothing on the stack, nothing to remove.
extern "C" __attribute__((regparm(1))) void InitPlugInLib(plugin::TPlugInLibInfo* info) noexcept;

namespace plugin {

uint32_t __stdcall PlugInLibProc(uint32_t request, void* info) noexcept;
uint32_t __stdcall PlugInFuncProc(uint32_t code) noexcept;

}  // namespace plugin
