/* What starting any process costs, for verinfo_bench to take off every run:
   plain C, no runtime (built with -nostdlib, this is its entry point). */
#include <windows.h>

void EmptyEntry(void) { ExitProcess(0); }
