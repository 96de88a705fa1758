#include "toolkit/ActCtx.h"

#include <commctrl.h>

#include "toolkit/Scoped.h"

// The linker's symbol at the start of the module this code is linked into:
// the plug-in library, or a test program.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace toolkit {
namespace {

ScopedActCtx CreateModuleActCtx() {
  ACTCTXA request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.hModule = reinterpret_cast<HMODULE>(&__ImageBase);
  request.lpResourceName = MAKEINTRESOURCEA(1);
  HANDLE context = ::CreateActCtxA(&request);
  return ScopedActCtx(context == INVALID_HANDLE_VALUE ? nullptr : context);
}

// Parsed once and kept until the module unloads.
HANDLE ModuleActCtx() {
  static const ScopedActCtx context = CreateModuleActCtx();
  return context.Get();
}

}  // namespace

TActCtxScope::TActCtxScope() {
  if (HANDLE context = ModuleActCtx()) active_ = ::ActivateActCtx(context, &cookie_) != FALSE;
}

TActCtxScope::~TActCtxScope() {
  if (active_) ::DeactivateActCtx(0, cookie_);
}

void InitCommonControlClasses() {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&classes);
}

}  // namespace toolkit
