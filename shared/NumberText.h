// Decimal and hexadecimal texts of integers, written by hand: the label
// formats need nothing more, and the C library's formatted printing would
// bring its whole floating-point engine into the library.
#pragma once

#include <cstdint>
#include <string>

namespace shared {

// Appends the decimal digits of `value` (a leading '-' when negative).
inline void AppendDecimal(std::string& text, int64_t value) {
  char digits[24];
  int at = sizeof digits;
  uint64_t rest = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[--at] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (value < 0) digits[--at] = '-';
  text.append(digits + at, sizeof digits - at);
}

inline std::string DecimalText(int64_t value) {
  std::string text;
  AppendDecimal(text, value);
  return text;
}

// Upper-case hexadecimal, zero-padded to `width` digits.
inline std::string HexText(uint32_t value, int width) {
  std::string text(static_cast<size_t>(width), '0');
  for (int i = width - 1; i >= 0 && value != 0; --i, value >>= 4) text[i] = "0123456789ABCDEF"[value & 0xF];
  return text;
}

}  // namespace shared
