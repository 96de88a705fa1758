// What the activation pass reads from the registry, in the order it reads it:
// each value's key below HKEY_LOCAL_MACHINE, its name, how it is read and the
// label it feeds. The pass, the gathering benchmark's bare floor and the
// bad-input matrix all iterate this one table, so a value added here is read,
// measured and tested alike. Data only: nothing here runs at load, and it
// needs neither the dialog class nor the widget layer.
#pragma once

#include <cstddef>
#include <iterator>
#include <span>

#include "dialog/SysDlgControls.h"

namespace dialog {

// How a value is read, which decides what its label shows.
enum class ReadKind {
  Text,          // REG_SZ or REG_EXPAND_SZ up to its zero; empty text shows "No information"
  TextAsStored,  // the same, but empty text is shown empty
  Binary,        // any but the text and number types, into the BIOS buffer, shown up to a zero
  Date,          // the NT family's "MM/DD/YY" text, or 8 bytes of a date-time
  Text9x,        // text, in every instance key; empty text leaves the label as it was
};

// The gathering step that reads a value; each step's rows stand together.
enum class ReadStep { Processor, Windows, BiosNT, Bios9x };

struct RegistryRead {
  ReadStep step;
  const char* key;  // below HKEY_LOCAL_MACHINE
  const char* value;
  ReadKind kind;
  ControlId label;
};

inline constexpr char kProcessorKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";
inline constexpr char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char kWindowsNTKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
inline constexpr char kSystemKey[] = "Hardware\\description\\system";
// 9x family: one subkey per root-enumerated device below this key, and the
// values in that device's instance key.
inline constexpr char kEnumRootKey[] = "Enum\\Root";
inline constexpr char kInstanceKey[] = "0000";
// The NT family's BIOS values are fetched into one buffer of this size.
inline constexpr size_t kBiosBufferSize = 1001;

inline constexpr RegistryRead kRegistryReads[] = {
    {ReadStep::Processor, kProcessorKey, "Identifier", ReadKind::Text, id_lblProcID},
    {ReadStep::Processor, kProcessorKey, "MMXIdentifier", ReadKind::Text, id_lblMMXProcID},
    {ReadStep::Processor, kProcessorKey, "VendorIdentifier", ReadKind::Text, id_lblProcVendor},
    // The product key decides where the rest come from: beside it when the
    // Windows key has one (9x family), otherwise from the Windows NT key.
    {ReadStep::Windows, kWindowsKey, "ProductKey", ReadKind::Text, id_lblProductKey},
    {ReadStep::Windows, kWindowsNTKey, "CSDVersion", ReadKind::Text, id_lblCSDVersion},
    {ReadStep::Windows, kWindowsNTKey, "CurrentBuild", ReadKind::Text, id_lblCurrentBuild},
    {ReadStep::Windows, kWindowsNTKey, "CurrentBuildNumber", ReadKind::Text, id_lblCurrentBuildNumber},
    {ReadStep::Windows, kWindowsNTKey, "CurrentVersion", ReadKind::Text, id_lblCurrentVersion},
    {ReadStep::Windows, kWindowsNTKey, "Plus! VersionNumber", ReadKind::Text, id_lblPlusVersionNumber},
    {ReadStep::Windows, kWindowsNTKey, "ProductID", ReadKind::Text, id_lblProductID},
    {ReadStep::Windows, kWindowsNTKey, "ProductName", ReadKind::Text, id_lblProductName},
    {ReadStep::Windows, kWindowsNTKey, "RegisteredOrganization", ReadKind::Text, id_lblOrg},
    {ReadStep::Windows, kWindowsNTKey, "RegisteredOwner", ReadKind::TextAsStored, id_lblOwner},
    {ReadStep::BiosNT, kSystemKey, "SystemBiosVersion", ReadKind::Binary, id_lblBIOSVer},
    {ReadStep::BiosNT, kSystemKey, "SystemBiosDate", ReadKind::Date, id_lblBIOSDate},
    {ReadStep::BiosNT, kSystemKey, "VideoBiosVersion", ReadKind::Binary, id_lblVideoBIOSVer},
    {ReadStep::Bios9x, kEnumRootKey, "BIOSVersion", ReadKind::Text9x, id_lblBIOSVer},
    {ReadStep::Bios9x, kEnumRootKey, "BIOSDate", ReadKind::Text9x, id_lblBIOSDate},
};

// One step's rows, in pass order.
constexpr std::span<const RegistryRead> ReadsOf(ReadStep step) {
  const std::span<const RegistryRead> all(kRegistryReads);
  size_t first = 0;
  while (first < all.size() && all[first].step != step) ++first;
  size_t end = first;
  while (end < all.size() && all[end].step == step) ++end;
  return all.subspan(first, end - first);
}

inline constexpr std::span<const RegistryRead> kProcessorReads = ReadsOf(ReadStep::Processor);
inline constexpr std::span<const RegistryRead> kWindowsReads = ReadsOf(ReadStep::Windows);
inline constexpr std::span<const RegistryRead> kBiosNTReads = ReadsOf(ReadStep::BiosNT);
inline constexpr std::span<const RegistryRead> kBios9xReads = ReadsOf(ReadStep::Bios9x);

// The NT BIOS step reads each of its values by name.
inline constexpr const RegistryRead& kSystemBiosVersion = kBiosNTReads[0];
inline constexpr const RegistryRead& kSystemBiosDate = kBiosNTReads[1];
inline constexpr const RegistryRead& kVideoBiosVersion = kBiosNTReads[2];

namespace reads_check {

constexpr bool FeedsALabel(ControlId id) {
  constexpr bool isLabel[] = {false,
#define ZX_IS_LABEL(kind, ...) ControlKind::kind == ControlKind::Label,
                              ZX_SYSDLG_CONTROLS(ZX_IS_LABEL)
#undef ZX_IS_LABEL
  };
  return id > kNoControl && id <= kControlCount && isLabel[id];
}

constexpr bool EveryRowFeedsALabel() {
  for (const RegistryRead& read : kRegistryReads)
    if (!FeedsALabel(read.label)) return false;
  return true;
}

// The Windows step switches keys once, after its first row.
constexpr bool WindowsRowsAfterTheFirstShareOneKey() {
  for (const RegistryRead& read : kWindowsReads.subspan(1))
    if (read.key != kWindowsReads[1].key) return false;
  return true;
}

}  // namespace reads_check

static_assert(kProcessorReads.size() + kWindowsReads.size() + kBiosNTReads.size() + kBios9xReads.size() ==
                  std::size(kRegistryReads),
              "each step's rows must stand together");
static_assert(reads_check::EveryRowFeedsALabel());
static_assert(kWindowsReads.size() >= 2 && reads_check::WindowsRowsAfterTheFirstShareOneKey());
static_assert(kBiosNTReads.size() == 3 && kSystemBiosVersion.label == id_lblBIOSVer &&
              kSystemBiosDate.kind == ReadKind::Date && kVideoBiosVersion.label == id_lblVideoBIOSVer);

}  // namespace dialog
