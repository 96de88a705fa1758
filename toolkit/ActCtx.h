// Activates the library's own manifest (common controls 6) for a stretch of
// code. The manifest is resource 24/1 of the module holding this code; as a
// DLL's resource of that id the loader does not activate it, so window
// creation and the modal loop run inside this scope. In a module without
// the resource the scope does nothing.
#pragma once

#include <windows.h>

namespace toolkit {

class TActCtxScope {
 public:
  TActCtxScope();
  TActCtxScope(const TActCtxScope&) = delete;
  TActCtxScope& operator=(const TActCtxScope&) = delete;
  ~TActCtxScope();

  bool Active() const { return active_; }

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

// Registers the tab and list view classes; inside a TActCtxScope that is the
// version 6 library.
void InitCommonControlClasses();

}  // namespace toolkit
