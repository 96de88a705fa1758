// The toolkit's application object, as the library creates it at load, for
// as long as the scope lives.
#pragma once

#include "toolkit/Application.h"

struct ApplicationScope {
  ApplicationScope() { toolkit::CreateApplication(); }
  ~ApplicationScope() { toolkit::DestroyApplication(); }
  ApplicationScope(const ApplicationScope&) = delete;
  ApplicationScope& operator=(const ApplicationScope&) = delete;
};
