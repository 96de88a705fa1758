#include "toolkit/ActCtx.h"

#include "toolkit/FormSupport.h"

namespace toolkit {

TActCtxScope::TActCtxScope() : TActCtxScope(FormsActCtx()) {}

TActCtxScope::TActCtxScope(HANDLE context) {
  if (context) active_ = ::ActivateActCtx(context, &cookie_) != FALSE;
}

TActCtxScope::~TActCtxScope() {
  if (active_) ::DeactivateActCtx(0, cookie_);
}

}  // namespace toolkit
