/* Registers the library's unwind tables with its own unwinder, in place of
   the runtime start-up's registration: linked with
   --wrap=__gcc_register_frame, the start-up's call comes here.

   The start-up first asks whether the shared libgcc DLL is loaded and, if it
   is, registers the tables with that DLL. Both are wrong for this library:
   its throws are unwound by its own static copy of the unwinder, which would
   then find no tables and end the process; and under Wine the question alone
   costs about 0.8 ms per load (the loader searches the path for the file),
   a quarter of the whole load.

   The tables are the image's .eh_frame section, from its start to the
   runtime's end marker. The section's name does not survive in the image
   (names longer than eight characters point into the symbol table, which
   stripping removes), so it is found as the section holding a zero-sized
   mark of our own. Its first record must be a CIE (a non-zero length, then
   an id of 0): where a later linker moved or merged the section, nothing is
   registered and the load fails (LibraryEntry asks FrameTablesRefused), so
   the unwinder never parses other bytes. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

void __register_frame_info(const void* begin, void* object);
void* __deregister_frame_info(const void* begin);
/* The image's first byte (the linker's name for it). */
extern const char __ImageBase[];

static const char g_mark[] __attribute__((used, section(".eh_frame"), aligned(4))) = {};
/* The unwinder's record of one registration (libgcc's struct object, six
   words), kept until deregistered. */
static void* g_object[8];
static const char* g_tables;
static int g_refused;

static const char* FrameTables(void) {
  const char* base = __ImageBase;
  const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  const DWORD mark = (DWORD)(g_mark - base);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (mark >= section->VirtualAddress && mark <= section->VirtualAddress + section->Misc.VirtualSize)
      return base + section->VirtualAddress;
  }
  return NULL;
}

static void Deregister(void) {
  if (g_tables) __deregister_frame_info(g_tables);
  g_tables = NULL;
}

static int StartsWithCie(const char* tables) {
  uint32_t length, id;
  memcpy(&length, tables, sizeof length);
  memcpy(&id, tables + sizeof length, sizeof id);
  return length != 0 && length != 0xFFFFFFFFu && id == 0;
}

int FrameTablesRefused(void) { return g_refused; }

void __wrap___gcc_register_frame(void) {
  const char* tables = FrameTables();
  if (!tables || !StartsWithCie(tables)) {
    g_refused = 1;
    OutputDebugStringA("the unwind tables do not start with a CIE; nothing registered");
    return;
  }
  g_tables = tables;
  __register_frame_info(g_tables, g_object);
  /* Run by the runtime at DLL_PROCESS_DETACH, after DllMain, as the
     start-up's own deregistration is. */
  atexit(Deregister);
}
