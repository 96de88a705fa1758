// Pure functions that turn the records of the system queries into the
// texts of the dialog's value labels. No platform calls here (the short
// date aside, which follows the user's regional settings), so each rule can
// be tested with figures of any machine.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "dialog/SystemQueries.h"

namespace dialog {

inline constexpr char kNoInformation[] = "No information";
inline constexpr char kUnknown[] = "Unknown";

// The text, or "No information" when it is empty.
std::string OrNoInformation(std::string text);

//--- Windows version
// Nothing for a platform this dialog has no name for: the label keeps its text.
std::optional<std::string> WindowsTypeText(uint32_t platformId);
std::string WinVersionText(const OsVersion& version);  // "%d.%d"
std::string WinBuildText(const OsVersion& version);    // low 16 bits, "%d"
// Windows 11 keeps "Windows 10 ..." as its stored product name for old
// programs' sake; only the version query's build (22000 and later) tells
// it apart. The stored name with "Windows 11" in place of "Windows 10", or
// nothing when the name stands as stored.
std::optional<std::string> Windows11ProductName(const std::string& stored, const OsVersion& version);

//--- Processor
struct ArchitectureTexts {
  std::optional<std::string> architecture;  // nothing: keep the label's text
  bool intelExtras = false;                 // show the processor type row
  std::optional<std::string> cpuType;       // nothing: keep the label's text
};
ArchitectureTexts ArchitectureText(const ProcessorRecord& processor);

//--- Memory
inline constexpr int kMemoryRows = 6;
// Row 1..6 of the Memory page: total and free physical memory in KB, the
// free share in percent, page-file total and used in KB, the used share of
// the page file in percent. Row 3 throws std::domain_error "Division by
// zero" when the total is below 100 bytes. Row 6 runs on the x87 unit under
// the calling thread's precision.
std::string MemoryRowText(int row, const MemoryCounts& counts);

//--- BIOS
// The bytes read up to the first zero byte, never beyond `bytesRead`.
std::string BiosBufferText(const unsigned char* buffer, size_t bytesRead);
// A date-time double (days since 30 December 1899), given as its bits, as a
// calendar date; false for a value that is not finite or lies outside the
// years 1 to 9999. The bits are checked before the value reaches the x87
// unit, and the arithmetic runs with its exceptions masked: the host may
// run with them enabled, and registry data is anybody's.
bool DateFromDateTime(uint64_t dateTimeBits, SYSTEMTIME* date);
// The date in the user's short date format; empty when it cannot be shown.
std::string ShortDateText(const SYSTEMTIME& date);
// The date in a date pattern of the platform's date formatting (d, M, y, g
// and quoted text), in the user's locale, for every year 1 to 9999: the
// platform's own formatting refuses the years before 1601, so for those the
// year is written here and the rest comes from the platform.
std::string DatePatternText(const SYSTEMTIME& date, const std::string& pattern);

}  // namespace dialog
