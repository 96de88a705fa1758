#include "dialog/LabelTexts.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "shared/AnsiChars.h"
#include "shared/FpuControlWord.h"
#include "shared/NumberText.h"

namespace dialog {

namespace {

std::string Kilobytes(uint64_t bytes) {
  return shared::DecimalText(static_cast<int64_t>(bytes / 1024)) + " KB";
}

std::string Percent(int64_t value) { return shared::DecimalText(value) + " %"; }

// The used share of the page file. Each operation rounds to the precision
// the host's control word selects, as the figure always has.
long long UsedPageFilePercent(uint64_t total, uint64_t available) {
  long double share = static_cast<long double>(available) / static_cast<long double>(total);
  share *= 100;
  return 100 - static_cast<long long>(share);
}

// The platform's date formatting starts on 1 January 1601.
constexpr WORD kFirstFormattedYear = 1601;

// Empty when the platform cannot format it (nor does any pattern give an
// empty date).
std::string PlatformDateText(const SYSTEMTIME& date, const std::string& pattern) {
  char text[128];
  const int length = ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, pattern.c_str(), text, sizeof text);
  return length > 0 ? std::string(text) : std::string();
}

// A year as the pattern's run of 'y' asks: "y" the last two digits without a
// leading zero, "yy" with one, longer runs the whole year in four digits.
std::string YearText(unsigned year, size_t letters) {
  const unsigned shown = letters <= 2 ? year % 100 : year;
  const size_t width = letters == 1 ? 1 : letters == 2 ? 2 : 4;
  const std::string digits = shared::DecimalText(shown);
  return std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

}  // namespace

std::string OrNoInformation(std::string text) { return text.empty() ? kNoInformation : text; }

std::optional<std::string> WindowsTypeText(uint32_t platformId) {
  switch (platformId) {
    case 0:
      return "Windows 3.1x/32s";
    case 1:
      return "Windows 9x";
    case 2:
      return "Windows NT";
  }
  return std::nullopt;
}

std::string WinVersionText(const OsVersion& version) {
  return shared::DecimalText(static_cast<int32_t>(version.major)) + "." +
         shared::DecimalText(static_cast<int32_t>(version.minor));
}

std::string WinBuildText(const OsVersion& version) { return shared::DecimalText(version.build & 0xFFFFu); }

std::optional<std::string> Windows11ProductName(const std::string& stored, const OsVersion& version) {
  constexpr std::string_view kStoredFamily = "Windows 10";
  constexpr uint32_t kFirstWindows11Build = 22000;
  if ((version.build & 0xFFFFu) < kFirstWindows11Build) return std::nullopt;
  if (stored.compare(0, kStoredFamily.size(), kStoredFamily) != 0) return std::nullopt;
  // "Windows 10" as a whole word: "Windows 100" is no such name.
  if (stored.size() > kStoredFamily.size() && stored[kStoredFamily.size()] != ' ') return std::nullopt;
  return "Windows 11" + stored.substr(kStoredFamily.size());
}

ArchitectureTexts ArchitectureText(const ProcessorRecord& processor) {
  ArchitectureTexts texts;
  switch (processor.architecture) {
    case 0:
      texts.architecture = "Intel Processor Architecture";
      texts.intelExtras = true;
      break;
    case 1:
      texts.architecture = "MIPS Processor Architecture";
      break;
    case 2:
      texts.architecture = "DEC ALPHA Processor Architecture";
      break;
    case 3:
      texts.architecture = "PPC Processor Architecture";
      break;
    case 0xFFFF:
      texts.architecture = "Unknown Processor Architecture";
      break;
  }
  if (texts.intelExtras) {
    switch (processor.processorType) {
      case 386:
        texts.cpuType = "80386";
        break;
      case 486:
        texts.cpuType = "80486";
        break;
      case 586:
        texts.cpuType = "Pentium";
        break;
    }
  }
  return texts;
}

std::string MemoryRowText(int row, const MemoryCounts& m) {
  switch (row) {
    case 1:
      return Kilobytes(m.totalPhys);
    case 2:
      return Kilobytes(m.availPhys);
    case 3:
      if (m.totalPhys / 100 == 0) throw std::domain_error("Division by zero");
      return Percent(static_cast<int64_t>(m.availPhys / (m.totalPhys / 100)));
    case 4:
      return Kilobytes(m.totalPageFile);
    case 5:
      // The platform never reports more free than total; if it did, the
      // used part is none rather than a wrapped-around figure.
      return Kilobytes(m.totalPageFile >= m.availPageFile ? m.totalPageFile - m.availPageFile : 0);
    case 6:
      // No page file: no share to show, and no division by zero to raise.
      if (m.totalPageFile == 0) return kNoInformation;
      return Percent(UsedPageFilePercent(m.totalPageFile, m.availPageFile));
  }
  return {};
}

std::string BiosBufferText(const unsigned char* buffer, size_t bytesRead) {
  const auto* text = reinterpret_cast<const char*>(buffer);
  return std::string(text, strnlen(text, bytesRead));
}

bool DateFromDateTime(uint64_t bits, SYSTEMTIME* date) {
  if (((bits >> 52) & 0x7FF) == 0x7FF) return false;  // infinity or NaN
  long long dayNumber = 0;
  {
    shared::KeepFpuControlWord keep;
    shared::WriteFpuControlWord(static_cast<uint16_t>(shared::ReadFpuControlWord() | 0x3F));
    double dateTime;
    std::memcpy(&dateTime, &bits, sizeof dateTime);
    // Days 1 January 0001 .. 31 December 9999, counted from 30 December 1899.
    if (!(dateTime > -693594.0 && dateTime < 2958466.0)) return false;
    // The date part; the time of day is dropped, toward zero as ever.
    dayNumber = static_cast<long long>(dateTime);
  }
  const long long days = dayNumber + 693594;  // 1 January 0001 is day 1
  // Civil date from a day count (proleptic Gregorian, 400-year cycles).
  long long z = days - 1 + 306;  // days since 1 March 0000
  const long long era = z / 146097;
  const long long dayOfEra = z - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  *date = SYSTEMTIME{};
  date->wYear = static_cast<WORD>(year);
  date->wMonth = static_cast<WORD>(month);
  date->wDay = static_cast<WORD>(day);
  date->wDayOfWeek = static_cast<WORD>((days % 7 + 7) % 7);  // 1 January 0001 was a Monday
  return true;
}

std::string ShortDateText(const SYSTEMTIME& date) {
  char pattern[80] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, pattern, sizeof pattern) <= 1) {
    // No short date format in the settings: month, day, two-digit year.
    char separator[8] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, sizeof separator) <= 1) {
      std::strcpy(separator, "/");
    }
    const std::string fallback = std::string("M") + separator + "d" + separator + "yy";
    lstrcpynA(pattern, fallback.c_str(), sizeof pattern);
  }
  return DatePatternText(date, pattern);
}

std::string DatePatternText(const SYSTEMTIME& date, const std::string& pattern) {
  if (date.wYear >= kFirstFormattedYear) return PlatformDateText(date, pattern);
  // The Gregorian calendar repeats every 400 years, weekdays included: the
  // platform formats all but the year on the same day 2000 years later, and
  // each run of 'y' outside quotes is written here.
  SYSTEMTIME later = date;
  later.wYear = static_cast<WORD>(date.wYear + 2000);
  std::string text;
  std::string piece;  // pattern text for the platform, quotes balanced
  bool quoted = false;
  auto flush = [&] {
    if (piece.empty()) return true;
    const std::string part = PlatformDateText(later, piece);
    piece.clear();
    text += part;
    return !part.empty();
  };
  // Character by character: in a double-byte code page a letter of the
  // pattern's own text may end in the byte of 'y'.
  for (size_t i = 0; i < pattern.size();) {
    const size_t size = shared::CharSize(pattern, i);
    if (size == 1 && pattern[i] == '\'') quoted = !quoted;
    if (quoted || size > 1 || pattern[i] != 'y') {
      piece.append(pattern, i, size);
      i += size;
      continue;
    }
    const size_t end = std::min(pattern.find_first_not_of('y', i), pattern.size());
    if (!flush()) return {};
    text += YearText(date.wYear, end - i);
    i = end;
  }
  if (!flush()) return {};
  return text;
}

}  // namespace dialog
