// Byte layouts of the two records the host owns and the library fills, and
// the table of what the library writes into each. The host side (pdlhost and
// the tests) reads the same tables, so every offset is stated once, here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plugin {

constexpr size_t kHostTextSize = 261;  // 260 characters and a terminator

#pragma pack(push, 1)

// Library descriptor, filled by InitPlugInLib.
struct TPlugInLibInfo {
  uint8_t HostOwned0[4];
  char LibFileName[kHostTextSize];
  uint8_t Padding0[3];
  uint32_t Number268;
  uint32_t Number272;
  uint32_t Number276;
  char LibCopyright[kHostTextSize];
  uint8_t HostOwned541[263];
  uint32_t Number804;
  uint32_t Number808;
  uint32_t LibProc;
  uint32_t Number816;
  uint32_t Number820;
};

// Plug-in descriptor, filled by PlugInLibProc for request 1.
struct TPlugInInfo {
  uint8_t HostOwned0[4];
  char PlugInName[kHostTextSize];
  char PlugInDescription[kHostTextSize];
  uint8_t Padding0[2];
  uint32_t Number528;
  char PlugInCaption[kHostTextSize];
  uint8_t HostOwned793[783];
  uint32_t Number1576;
  uint32_t Number1580;
  uint8_t HostOwned1584[8];
  uint32_t FuncProc;
};

#pragma pack(pop)

static_assert(offsetof(TPlugInLibInfo, LibFileName) == 0x004);
static_assert(offsetof(TPlugInLibInfo, Padding0) == 0x109);
static_assert(offsetof(TPlugInLibInfo, Number268) == 0x10C);
static_assert(offsetof(TPlugInLibInfo, Number272) == 0x110);
static_assert(offsetof(TPlugInLibInfo, Number276) == 0x114);
static_assert(offsetof(TPlugInLibInfo, LibCopyright) == 0x118);
static_assert(offsetof(TPlugInLibInfo, HostOwned541) == 0x21D);
static_assert(offsetof(TPlugInLibInfo, Number804) == 0x324);
static_assert(offsetof(TPlugInLibInfo, Number808) == 0x328);
static_assert(offsetof(TPlugInLibInfo, LibProc) == 0x32C);
static_assert(offsetof(TPlugInLibInfo, Number816) == 0x330);
static_assert(offsetof(TPlugInLibInfo, Number820) == 0x334);
static_assert(sizeof(TPlugInLibInfo) == 824);

static_assert(offsetof(TPlugInInfo, PlugInName) == 0x004);
static_assert(offsetof(TPlugInInfo, PlugInDescription) == 0x109);
static_assert(offsetof(TPlugInInfo, Padding0) == 0x20E);
static_assert(offsetof(TPlugInInfo, Number528) == 0x210);
static_assert(offsetof(TPlugInInfo, PlugInCaption) == 0x214);
static_assert(offsetof(TPlugInInfo, HostOwned793) == 0x319);
static_assert(offsetof(TPlugInInfo, Number1576) == 0x628);
static_assert(offsetof(TPlugInInfo, Number1580) == 0x62C);
static_assert(offsetof(TPlugInInfo, HostOwned1584) == 0x630);
static_assert(offsetof(TPlugInInfo, FuncProc) == 0x638);
static_assert(sizeof(TPlugInInfo) == 1596);

// Request codes of PlugInLibProc and the host's result codes.
constexpr uint32_t kRequestPlugInInfo = 1;
constexpr uint32_t kResultServed = 3;
constexpr uint32_t kResultNotServed = 2;
constexpr uint32_t kResultNoEntry = 0;

// Function codes of PlugInFuncProc that have an entry.
constexpr uint32_t kFuncNoOp = 1;
constexpr uint32_t kFuncAbout = 2;
constexpr uint32_t kFuncExecute = 4;

// What one write puts into a record. Addresses are resolved by the writer
// (the library) or checked for plausibility (the host).
enum class FieldKind : uint8_t { Number, Text, Address };
enum class EntryAddress : uint8_t { None, PlugInLibProc, PlugInFuncProc };

struct FieldWrite {
  uint16_t offset;
  FieldKind kind;
  uint32_t number;
  const char* text;
  EntryAddress address;
};

constexpr FieldWrite Number(size_t offset, uint32_t value) {
  return {static_cast<uint16_t>(offset), FieldKind::Number, value, nullptr, EntryAddress::None};
}
constexpr FieldWrite Text(size_t offset, const char* text) {
  return {static_cast<uint16_t>(offset), FieldKind::Text, 0, text, EntryAddress::None};
}
constexpr FieldWrite Address(size_t offset, EntryAddress which) {
  return {static_cast<uint16_t>(offset), FieldKind::Address, 0, nullptr, which};
}

}  // namespace plugin
