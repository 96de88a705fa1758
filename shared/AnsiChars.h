// Scanning 8-bit texts of an ANSI code page character by character. In the
// double-byte code pages (932, 936, 949, 950) the second byte of a character
// is 0x40 or above: a letter in all of them, a backslash or a '|' in 932, 936
// and 950. A search that runs byte by byte finds such a byte inside a
// character, so every search for a separator or an end steps by characters.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

namespace shared {

// The bytes of the character at `at`: 2 for a lead byte with its second byte
// present, otherwise 1 (a lead byte cut off at the end stands alone).
inline size_t CharSize(std::string_view text, size_t at, UINT codePage = CP_ACP) {
  return at + 1 < text.size() && ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[at])) ? 2 : 1;
}

// Where the last character starts; npos for an empty text.
inline size_t LastCharStart(std::string_view text, UINT codePage = CP_ACP) {
  size_t last = std::string_view::npos;
  for (size_t at = 0; at < text.size(); at += CharSize(text, at, codePage)) last = at;
  return last;
}

// Where the first or the last single-byte character that is one of `chars`
// stands; npos when there is none.
inline size_t FindFirstChar(std::string_view text, std::string_view chars, UINT codePage = CP_ACP) {
  for (size_t at = 0, size = 0; at < text.size(); at += size) {
    size = CharSize(text, at, codePage);
    if (size == 1 && chars.find(text[at]) != std::string_view::npos) return at;
  }
  return std::string_view::npos;
}

inline size_t FindLastChar(std::string_view text, std::string_view chars, UINT codePage = CP_ACP) {
  size_t found = std::string_view::npos;
  for (size_t at = 0, size = 0; at < text.size(); at += size) {
    size = CharSize(text, at, codePage);
    if (size == 1 && chars.find(text[at]) != std::string_view::npos) found = at;
  }
  return found;
}

}  // namespace shared
