#include "host/RecordCheck.h"

#include <cstdio>
#include <cstring>

namespace host {

namespace {

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

size_t WrittenLength(const plugin::FieldWrite& f) {
  return f.kind == plugin::FieldKind::Text ? std::strlen(f.text) + 1 : 4;
}

}  // namespace

std::vector<bool> WrittenMask(size_t size, const plugin::FieldWrite* fields, size_t count) {
  std::vector<bool> mask(size, false);
  for (size_t i = 0; i < count; ++i) {
    const size_t end = fields[i].offset + WrittenLength(fields[i]);
    for (size_t b = fields[i].offset; b < end && b < size; ++b) mask[b] = true;
  }
  return mask;
}

std::vector<std::string> CheckRecord(const uint8_t* before, const uint8_t* after, size_t size,
                                     const plugin::FieldWrite* fields, size_t count,
                                     const AddressCheck& address) {
  std::vector<std::string> problems;
  for (size_t i = 0; i < count; ++i) {
    const plugin::FieldWrite& f = fields[i];
    const std::string where = "offset " + std::to_string(f.offset);
    if (f.offset + WrittenLength(f) > size) {
      problems.push_back(where + ": field lies beyond the record");
      continue;
    }
    const uint8_t* at = after + f.offset;
    switch (f.kind) {
      case plugin::FieldKind::Number:
        if (ReadU32(at) != f.number) {
          problems.push_back(where + ": expected " + Hex(f.number) + ", got " + Hex(ReadU32(at)));
        }
        break;
      case plugin::FieldKind::Address:
        if (!address(f.address, ReadU32(at))) {
          problems.push_back(where + ": implausible entry address " + Hex(ReadU32(at)));
        }
        break;
      case plugin::FieldKind::Text: {
        const size_t length = std::strlen(f.text);
        const auto* got = reinterpret_cast<const char*>(at);
        if (std::memcmp(at, f.text, length) != 0 || at[length] != 0) {
          problems.push_back(where + ": expected \"" + f.text + "\" and a zero, got \"" +
                             std::string(got, strnlen(got, plugin::kHostTextSize)) + "\"");
        }
        break;
      }
    }
  }
  const std::vector<bool> written = WrittenMask(size, fields, count);
  size_t changed = 0;
  size_t first = 0;
  for (size_t b = 0; b < size; ++b) {
    if (!written[b] && before[b] != after[b]) {
      if (changed++ == 0) first = b;
    }
  }
  if (changed > 0) {
    problems.push_back(std::to_string(changed) + " host-owned byte(s) changed, the first at offset " +
                       std::to_string(first));
  }
  return problems;
}

}  // namespace host
