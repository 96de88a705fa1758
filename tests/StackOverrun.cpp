// A program with the library's stack guard that overruns a guarded buffer:
// HardeningTest runs it and expects it gone at the failed check, with none
// of the exit codes below, which only code after the check could give.
#include <windows.h>

#include <cstring>

#include "plugin/StackGuard.h"

extern "C" int mainCRTStartup();

extern "C" __attribute__((no_stack_protector)) int ProgramEntry() {
  plugin::InitStackGuard();
  return mainCRTStartup();
}

namespace {

struct ExitOnUnwind {
  ~ExitOnUnwind() { ExitProcess(3); }
};

__attribute__((noinline)) void Overrun(size_t count) {
  char buffer[8];
  std::memset(buffer, 'A', count);
  *static_cast<volatile char*>(buffer) = buffer[count - 1];
}

}  // namespace

int main(int argc, char**) {
  ExitOnUnwind unwind;
  Overrun(8 + 16 * static_cast<size_t>(argc));  // the count unknown to the compiler
  ExitProcess(2);
}
