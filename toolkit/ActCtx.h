// Activates an activation context for a stretch of code: by default the one
// PrepareForms made from the library's own manifest (common controls 6). As
// a DLL's resource 24/1 the loader does not activate that manifest, so window
// creation and the modal loop run inside this scope. Without a context (no
// manifest resource, or before PrepareForms) the scope does nothing.
#pragma once

#include <windows.h>

namespace toolkit {

class TActCtxScope {
 public:
  TActCtxScope();
  explicit TActCtxScope(HANDLE context);
  TActCtxScope(const TActCtxScope&) = delete;
  TActCtxScope& operator=(const TActCtxScope&) = delete;
  ~TActCtxScope();

  bool Active() const { return active_; }

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

}  // namespace toolkit
