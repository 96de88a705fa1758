// Compares a host record before and after a library call against the table
// of what the library is to write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "plugin/PlugInRecords.h"

namespace host {

// The 32-bit number at `at`, whatever its alignment.
inline uint32_t ReadU32(const uint8_t* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// Decides whether an address written into a record is plausible.
using AddressCheck = std::function<bool(plugin::EntryAddress, uint32_t)>;

// Returns one sentence per difference: a field with the wrong value, a text
// without its terminator, or a byte outside the written spans that changed.
// Empty when the record is as the table says.
std::vector<std::string> CheckRecord(const uint8_t* before, const uint8_t* after, size_t size,
                                     const plugin::FieldWrite* fields, size_t count,
                                     const AddressCheck& address);

template <size_t N>
std::vector<std::string> CheckRecord(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                                     const plugin::FieldWrite (&fields)[N], const AddressCheck& address) {
  return CheckRecord(before.data(), after.data(), before.size() < after.size() ? before.size() : after.size(),
                     fields, N, address);
}

// The bytes a table writes: numbers and addresses whole, texts up to and
// including their terminator. Every other byte is the host's.
std::vector<bool> WrittenMask(size_t size, const plugin::FieldWrite* fields, size_t count);

}  // namespace host
