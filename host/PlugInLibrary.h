// A loaded plug-in library as the host sees it: the module, its one export,
// and the descriptors and entries reached through the addresses it writes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "host/CallProbe.h"
#include "plugin/PlugInRecords.h"

namespace host {

class PlugInLibrary {
 public:
  PlugInLibrary() = default;
  ~PlugInLibrary() { Unload(); }
  PlugInLibrary(const PlugInLibrary&) = delete;
  PlugInLibrary& operator=(const PlugInLibrary&) = delete;

  // Loads the file and finds InitPlugInLib. On failure returns false and sets
  // `error` to a sentence naming what failed and the system's error code.
  bool Load(const std::string& path, std::string* error);
  void Unload();

  HMODULE Module() const { return module_; }
  const void* InitEntry() const { return init_; }

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

 private:
  HMODULE module_ = nullptr;
  const void* init_ = nullptr;
};

// Field text of a host record, up to its terminator (or the field's end).
std::string FieldText(const char (&field)[plugin::kHostTextSize]);

}  // namespace host
