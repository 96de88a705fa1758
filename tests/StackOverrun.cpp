// Overruns a guarded buffer under the library's stack guard. HardeningTest
// runs it: it must end at the failed check; exit code 2 means it ran on.
#include <windows.h>

#include <cstring>

#include "shared/StackGuard.h"

extern "C" int mainCRTStartup();

extern "C" __attribute__((no_stack_protector)) int ProgramEntry() {
  shared::InitStackGuard(false);
  return mainCRTStartup();
}

__attribute__((noinline)) static void Overrun(size_t count) {
  char buffer[8];
  std::memset(buffer, 'A', count);
  *static_cast<volatile char*>(buffer) = buffer[count - 1];
}

int main(int argc, char**) {
  Overrun(8 + 16 * static_cast<size_t>(argc));  // a count the compiler cannot see
  ExitProcess(2);
}
