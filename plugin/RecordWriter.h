// Writes a table of fields into a host record without reading it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/PlugInRecords.h"

namespace plugin {

using AddressResolver = uint32_t (*)(EntryAddress);

// Writes each field in table order: numbers and addresses as 32-bit values,
// texts as their characters and one zero byte. Bytes outside the written
// spans, and the rest of each text field, are left alone.
void WriteRecord(void* record, const FieldWrite* fields, size_t count, AddressResolver resolve);

template <size_t N>
void WriteRecord(void* record, const FieldWrite (&fields)[N], AddressResolver resolve) {
  WriteRecord(record, fields, N, resolve);
}

}  // namespace plugin
