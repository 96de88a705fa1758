#include "plugin/RecordWriter.h"

#include <cstring>

namespace plugin {

namespace {

// Volatile stores keep the table's write order in the emitted code; the host
// may watch the record, and the order is part of the contract.
void StoreNumber(uint8_t* at, uint32_t value) {
  volatile uint8_t* out = at;
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

void StoreText(uint8_t* at, const char* text) {
  volatile uint8_t* out = at;
  const size_t length = std::strlen(text);
  for (size_t i = 0; i < length; ++i) out[i] = static_cast<uint8_t>(text[i]);
  out[length] = 0;
}

}  // namespace

void WriteRecord(void* record, const FieldWrite* fields, size_t count, AddressResolver resolve) {
  auto* base = static_cast<uint8_t*>(record);
  for (size_t i = 0; i < count; ++i) {
    const FieldWrite& f = fields[i];
    switch (f.kind) {
      case FieldKind::Number:
        StoreNumber(base + f.offset, f.number);
        break;
      case FieldKind::Text:
        StoreText(base + f.offset, f.text);
        break;
      case FieldKind::Address:
        StoreNumber(base + f.offset, resolve(f.address));
        break;
    }
  }
}

}  // namespace plugin
