#include "shared/PathUtils.h"

#include <windows.h>

namespace shared {

namespace {

// Only the Latin letters name drives; the locale's idea of a letter does not.
bool IsDriveLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// In a double-byte code page the second byte of a character can be 0x5C,
// so a final 0x5C is a backslash only when it starts a character.
bool EndsInBackslash(std::string_view path) {
  size_t i = 0, last = 0;
  while (i < path.size()) {
    last = i;
    i += ::IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size() ? 2 : 1;
  }
  return path.size() - last == 1 && path[last] == '\\';
}

}  // namespace

std::string AddPathSlash(std::string_view path) {
  std::string result(path);
  if (path.empty() || EndsInBackslash(path)) return result;
  result += path.size() == 1 && IsDriveLetter(path[0]) ? ":\\" : "\\";
  return result;
}

}  // namespace shared
