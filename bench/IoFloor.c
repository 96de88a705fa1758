/* The I/O floor of a version inventory, for verinfo_bench: for each file,
   open it, read two 4 KB blocks, close it; nothing parsed, nothing written.

     io_floor.exe FILE...       the files named (relative to the current folder)
     io_floor.exe -r FOLDER     every file of the tree: the folders listed with
                                FindFirstFileExW, links to folders not followed

   Plain C, no runtime (built with -nostdlib, this is its entry point), no
   stack protector: none of verinfo.exe's build choices. Ends with the
   number of files opened as its exit code, so a run that read nothing shows. */
#include <windows.h>

enum { kPath = 32768 };

static WCHAR g_path[kPath];
static BYTE g_block[4096];
static DWORD g_opened;

static void ReadFileFloor(const WCHAR* name) {
  HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  DWORD read;
  if (file == INVALID_HANDLE_VALUE) return;
  ReadFile(file, g_block, sizeof g_block, &read, NULL);
  ReadFile(file, g_block, sizeof g_block, &read, NULL);
  CloseHandle(file);
  ++g_opened;
}

static DWORD Length(const WCHAR* text) {
  DWORD n = 0;
  while (text[n]) ++n;
  return n;
}

/* g_path holds a folder of `length` characters; its files are read and its
   folders walked, each appended to it in turn. */
static void Walk(DWORD length) {
  WIN32_FIND_DATAW entry;
  HANDLE listing;
  if (length + 2 >= kPath) return;
  g_path[length] = L'\\';
  g_path[length + 1] = L'*';
  g_path[length + 2] = 0;
  listing = FindFirstFileExW(g_path, FindExInfoBasic, &entry, FindExSearchNameMatch, NULL,
                             FIND_FIRST_EX_LARGE_FETCH);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    const WCHAR* name = entry.cFileName;
    DWORD nameLength = Length(name), i;
    if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
    if (length + 1 + nameLength >= kPath) continue;
    for (i = 0; i <= nameLength; ++i) g_path[length + 1 + i] = name[i];
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Walk(length + 1 + nameLength);
    } else {
      ReadFileFloor(g_path);
    }
  } while (FindNextFileW(listing, &entry));
  FindClose(listing);
}

/* The next argument of the command line at `at` into g_path, quotes
   removed; the position after it, or NULL at the end. */
static const WCHAR* NextArgument(const WCHAR* at) {
  DWORD n = 0;
  BOOL quoted = FALSE;
  while (*at == L' ' || *at == L'\t') ++at;
  if (!*at) return NULL;
  for (; *at && (quoted || (*at != L' ' && *at != L'\t')); ++at) {
    if (*at == L'"')
      quoted = !quoted;
    else if (n + 1 < kPath)
      g_path[n++] = *at;
  }
  g_path[n] = 0;
  return at;
}

void FloorEntry(void) {
  const WCHAR* at = NextArgument(GetCommandLineW()); /* the program's own name */
  BOOL tree = FALSE;
  while (at && (at = NextArgument(at)) != NULL) {
    if (g_path[0] == L'-' && g_path[1] == L'r' && g_path[2] == 0)
      tree = TRUE;
    else if (tree)
      Walk(Length(g_path));
    else
      ReadFileFloor(g_path);
  }
  ExitProcess(g_opened);
}
