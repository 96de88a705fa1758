#include "shared/ShellSupport.h"

#include <ole2.h>
#include <shlobj.h>

namespace shared {

const std::array<const char*, ShellSupport::kFormatCount> ShellSupport::kFormatNames = {
    "FileContents",           "FileGroupDescriptor", "Shell IDList Array", "Preferred DropEffect",
    "UniformResourceLocator", "FileNameMap",         "FileNameMapW",
};

void ShellSupport::Load() {
  strings_ = std::make_unique<std::vector<std::string>>();
  drives_ = std::make_unique<std::vector<std::unique_ptr<TDriveItem>>>();

  // S_FALSE (already initialised) also needs its balancing OleUninitialize;
  // a failure must not get one, or the host thread's COM would be torn down.
  oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
  oleThread_ = GetCurrentThreadId();

  for (size_t i = 0; i < kFormatCount; ++i) formats_[i] = RegisterClipboardFormatA(kFormatNames[i]);

  if (FAILED(SHGetMalloc(&malloc_))) malloc_ = nullptr;
}

void ShellSupport::Unload(bool processExit) {
  if (!processExit) {
    // Only the thread that initialised OLE may balance it.
    if (oleInitialized_ && GetCurrentThreadId() == oleThread_) OleUninitialize();
    if (malloc_) malloc_->Release();
  }
  oleInitialized_ = false;
  malloc_ = nullptr;

  if (drives_) drives_->clear();
  drives_.reset();
  if (strings_) strings_->clear();
  strings_.reset();
}

}  // namespace shared
