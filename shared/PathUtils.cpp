#include "shared/PathUtils.h"

#include "shared/AnsiChars.h"

namespace shared {

namespace {

// Only the Latin letters name drives; the locale's idea of a letter does not.
bool IsDriveLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// In a double-byte code page the second byte of a character can be 0x5C,
// so a final 0x5C is a backslash only when it starts a character.
bool EndsInBackslash(std::string_view path) {
  const size_t last = LastCharStart(path);
  return last != std::string_view::npos && last + 1 == path.size() && path[last] == '\\';
}

}  // namespace

std::string AddPathSlash(std::string_view path) {
  std::string result(path);
  if (path.empty() || EndsInBackslash(path)) return result;
  result += path.size() == 1 && IsDriveLetter(path[0]) ? ":\\" : "\\";
  return result;
}

}  // namespace shared
