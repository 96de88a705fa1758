// Clean-up of the per-thread data the C++ runtime keeps inside the library.
#pragma once

namespace plugin {

// Runs the runtime's destructors for the calling thread's thread-locals (a
// thread leaving the process, or the thread unloading the library).
void ReleaseThreadData();

// At FreeLibrary: the calling thread's data, the runtime's reserve for
// exceptions, then the TLS indexes. Another thread that ran the library's
// code and is still alive keeps its few bytes: it can no longer be reached.
void ReleaseThreadRuntime();

}  // namespace plugin
