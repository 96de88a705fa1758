// A program's entry point (linked with -e): the stack guard first, then the
// runtime's own console entry, which runs the constructors and main.
// Unguarded itself: its frame is live when the guard is set. Without it the
// static libssp sets the guard from a constructor through a cryptographic
// service provider, which under Wine is most of a small program's start.
#include "shared/StackGuard.h"

extern "C" int mainCRTStartup();

extern "C" __attribute__((no_stack_protector)) int ProgramEntry() {
  shared::InitStackGuard(false);
  return mainCRTStartup();
}
