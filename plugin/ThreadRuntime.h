// Clean-up of the per-thread data the C++ runtime keeps inside the library.
#pragma once

namespace plugin {

// Runs the runtime's destructors for the calling thread's thread-locals (a
// thread leaving the process, or the thread unloading the library).
void ReleaseThreadData();

// At FreeLibrary: the calling thread's data, then the TLS indexes. Threads
// still running keep nothing of the library's: their data was released at
// their own detach or was never made.
void ReleaseThreadRuntime();

}  // namespace plugin
