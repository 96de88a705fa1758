// A loaded plug-in library as the host sees it: the module, its one export,
// and the descriptors and entries reached through the addresses it writes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "host/CallProbe.h"
#include "plugin/PlugInRecords.h"
#include "shared/Scoped.h"

namespace host {

// An entry takes two stdcall arguments and removes their 8 bytes; anything
// else is worth telling the plug-in's author.
constexpr int32_t kEntryArgBytes = 8;

// What the host's walk from InitPlugInLib reaches: both descriptors and the
// About and Execute entries (0 where the lookup gave nothing inside the
// library).
struct PlugInEntries {
  plugin::TPlugInLibInfo lib{};
  plugin::TPlugInInfo plugIn{};
  uint32_t about = 0;
  uint32_t execute = 0;
};

class PlugInLibrary {
 public:
  // Loads the file and finds InitPlugInLib. On failure returns false and sets
  // `error` to a sentence naming what failed and the system's error code.
  bool Load(const std::string& path, std::string* error);
  void Unload();

  HMODULE Module() const { return module_.Get(); }

  // Calls InitPlugInLib over `info`, as is, without clearing it first.
  CallResult Init(plugin::TPlugInLibInfo* info) const;
  // Calls the library callback named by a filled library descriptor.
  static CallResult LibProc(const plugin::TPlugInLibInfo& lib, uint32_t request, void* info);
  // Looks up an entry through a filled plug-in descriptor.
  static CallResult FuncProc(const plugin::TPlugInInfo& plugIn, uint32_t code);
  // Calls an entry: (unused value, owner window), stdcall.
  static CallResult Entry(uint32_t address, HWND owner);

  // Whether `address` lies inside the loaded image.
  bool Contains(uint32_t address) const;

  // Walks as the host does: InitPlugInLib, request 1, the entry lookups. On
  // a callback outside the library or a request not served returns false and
  // sets `error` to a sentence naming the step; a missing entry is left 0.
  bool Describe(PlugInEntries* out, std::string* error) const;

 private:
  shared::ScopedModule module_;
  const void* init_ = nullptr;
};

// Field text of a host record, up to its terminator (or the field's end).
std::string FieldText(const char (&field)[plugin::kHostTextSize]);

}  // namespace host
