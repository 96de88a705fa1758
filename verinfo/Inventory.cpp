#include "verinfo/Inventory.h"

#include <io.h>

#include <algorithm>

#include <cwchar>
#include <exception>
#include <nlohmann/json.hpp>
#include <optional>

#include "shared/NumberText.h"

namespace verinfo {

namespace {

using Json = nlohmann::ordered_json;

constexpr size_t kFlushAt = 64 * 1024;

// The twelve names every inventory tool knows, in the CSV's column order.
constexpr const wchar_t* kStandardNames[] = {L"CompanyName",      L"FileDescription", L"FileVersion",
                                             L"InternalName",     L"LegalCopyright",  L"LegalTrademarks",
                                             L"OriginalFilename", L"ProductName",     L"ProductVersion",
                                             L"Comments",         L"PrivateBuild",    L"SpecialBuild"};

// The fixed block's flag bits by their names.
constexpr struct {
  DWORD bit;
  const char* name;
} kFlags[] = {{VS_FF_DEBUG, "debug"},
              {VS_FF_PRERELEASE, "prerelease"},
              {VS_FF_PATCHED, "patched"},
              {VS_FF_PRIVATEBUILD, "privateBuild"},
              {VS_FF_INFOINFERRED, "infoInferred"},
              {VS_FF_SPECIALBUILD, "specialBuild"}};

// UTF-16 as UTF-8, every unit as it is: a surrogate without its partner,
// which no UTF-8 can hold, becomes U+FFFD.
void AppendUtf8(std::string& out, const wchar_t* text, size_t length) {
  // Written in place: a unit takes at most three bytes, and a pair's four
  // bytes are two units' worth.
  const size_t from = out.size();
  out.resize(from + 3 * length);
  char* at = out.data() + from;
  for (size_t i = 0; i < length; ++i) {
    uint32_t c = static_cast<uint16_t>(text[i]);
    if (c < 0x80) {
      *at++ = static_cast<char>(c);
      continue;
    }
    if (c >= 0xD800 && c < 0xE000) {
      const uint32_t next = i + 1 < length ? static_cast<uint16_t>(text[i + 1]) : 0;
      if (c < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      } else {
        c = 0xFFFD;
      }
    }
    if (c < 0x800) {
      *at++ = static_cast<char>(0xC0 | c >> 6);
    } else if (c < 0x10000) {
      *at++ = static_cast<char>(0xE0 | c >> 12);
      *at++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    } else {
      *at++ = static_cast<char>(0xF0 | c >> 18);
      *at++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
      *at++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    *at++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  out.resize(static_cast<size_t>(at - out.data()));
}

std::string Utf8(const std::wstring& text) {
  std::string out;
  AppendUtf8(out, text.data(), text.size());
  return out;
}

std::optional<std::string> MachineName(std::optional<uint16_t> machine) {
  if (!machine) return std::nullopt;
  switch (*machine) {
    case IMAGE_FILE_MACHINE_I386:
      return "x86";
    case IMAGE_FILE_MACHINE_AMD64:
      return "x64";
    case 0xAA64:
      return "arm64";  // IMAGE_FILE_MACHINE_ARM64
    case IMAGE_FILE_MACHINE_ARM:
    case IMAGE_FILE_MACHINE_ARMNT:
      return "arm";
    default:
      return "0x" + shared::HexText(*machine, 4);
  }
}

std::optional<std::string> PeFormatName(uint16_t magic) {
  if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) return "PE32";
  if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) return "PE32+";
  return std::nullopt;
}

std::string Version(DWORD most, DWORD least) { return FormatVersionPair(TVersionPair{most, least}); }

// The flags the mask says are valid and set, by name, joined by `between`.
std::string FlagList(const VS_FIXEDFILEINFO& fixed, const char* between) {
  std::string list;
  for (const auto& flag : kFlags) {
    if (!(fixed.dwFileFlags & fixed.dwFileFlagsMask & flag.bit)) continue;
    if (!list.empty()) list += between;
    list += flag.name;
  }
  return list;
}

// RFC 4180: a field holding a comma, quote or line break is quoted, its
// quotes doubled.
void AppendCsvField(std::string& out, const std::string& field, bool last) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
  } else {
    out.push_back('"');
    for (char c : field) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  out += last ? "\r\n" : ",";
}

// A tab or line break inside a text would split the line or shift the
// fields, so such characters are written as spaces.
void AppendLinesField(std::string& out, const std::string& text, bool last) {
  for (char c : text) out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
  out.push_back(last ? '\n' : '\t');
}

// "name: value", a value's further lines indented below it.
void AppendAllLine(std::string& out, const char* indent, const std::string& name, const std::string& value) {
  out.append(indent).append(name).append(": ");
  for (size_t at = 0; at < value.size(); ++at) {
    const char c = value[at];
    if (c == '\r' && at + 1 < value.size() && value[at + 1] == '\n') continue;
    if (c == '\r' || c == '\n') {
      out.push_back('\n');
      out.append(indent).append("    ");
    } else {
      out.push_back(c);
    }
  }
  out.push_back('\n');
}

// A folder, or a name in a folder's form ("dir\", ".."): the reader opens
// neither.
bool MaybeFolder(DWORD error) { return error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME; }

std::string TranslationText(const TTranslation& t) { return FormatTranslationKey(t.language, t.codePage); }

// A console, not merely a character device (NUL is one too).
bool IsConsole(std::FILE* out) {
  DWORD mode;
  return ::GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out))), &mode) != FALSE;
}

}  // namespace

// The row's object keeps its storage from row to row, and the serializer
// (with its 512-byte indent and number buffers) appends each row straight
// to the output buffer instead of returning a string to be copied there.
struct TInventory::TJsonWriter {
  explicit TJsonWriter(std::string& out)
      : serializer(nlohmann::detail::output_adapter<char>(out), ' ', Json::error_handler_t::replace) {}
  nlohmann::detail::serializer<Json> serializer;
  Json row = Json::object();
};

std::string ErrorText(const char* what, DWORD error) {
  const char* reason;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      reason = "file not found";
      break;
    case ERROR_PATH_NOT_FOUND:
      reason = "path not found";
      break;
    case ERROR_ACCESS_DENIED:
      reason = "access denied";
      break;
    case ERROR_SHARING_VIOLATION:
      reason = "locked by another process";
      break;
    case ERROR_LOCK_VIOLATION:
      reason = "part of it is locked";
      break;
    case ERROR_INVALID_NAME:
      reason = "not a valid name";
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      reason = "name too long";
      break;
    case ERROR_BAD_FILE_TYPE:
      reason = "not a disk file";
      break;
    case ERROR_DIRECTORY:
      reason = "a folder";
      break;
    case ERROR_CANT_ACCESS_FILE:
      reason = "cannot be accessed";
      break;
    case ERROR_CANT_RESOLVE_FILENAME:
      reason = "link cannot be resolved";
      break;
    case ERROR_NOT_READY:
      reason = "device not ready";
      break;
    default:
      reason = "Windows error";
      break;
  }
  std::string text = what;
  text.append(": ").append(reason).append(" (");
  shared::AppendDecimal(text, error);
  return text + ")";
}

TInventory::TInventory(TRowFormat format, std::FILE* out)
    : format_(format), out_(out), console_(IsConsole(out)), reader_("") {
  // The runtime leaves a character device (a console, NUL) unbuffered and
  // then writes an fwrite one byte at a time; with a buffer, each flush of
  // rows is one write.
  std::setvbuf(out_, nullptr, _IOFBF, kFlushAt);
  if (format_ == TRowFormat::Json) json_ = std::make_unique<TJsonWriter>(buffer_);
  if (format_ == TRowFormat::Csv) {
    for (const char* name :
         {"path", "status", "error", "versionInfo", "machine", "peFormat", "resourceLanguage", "translations",
          "stringTable", "stringTableNote", "fixedFileVersion", "fixedProductVersion", "flags", "fileOS",
          "fileType", "fileSubtype"}) {
      buffer_.append(name).push_back(',');
    }
    for (const wchar_t* name : kStandardNames) {
      AppendUtf8(buffer_, name, std::wcslen(name));
      buffer_.push_back(name == kStandardNames[std::size(kStandardNames) - 1] ? '\r' : ',');
    }
    buffer_.push_back('\n');
  }
}

TInventory::~TInventory() { Flush(); }

void TInventory::Flush() {
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
  buffer_.clear();
  std::fflush(out_);
  flushedAt_ = ::GetTickCount64();
}

void TInventory::Written() {
  // A person at a console sees each row at once. A file, pipe or NUL gets
  // large pieces, and at least one a second, so that a slow walk still
  // streams to whatever reads it.
  if (console_ || buffer_.size() >= kFlushAt || ::GetTickCount64() - flushedAt_ >= 1000) Flush();
}

TAdded TInventory::AddNamed(const char* name) {
  try {
    reader_.SetFilePath(name);
  } catch (const std::exception&) {
    // Out of memory for this file's data: reported as having none.
  }
  const DWORD error = reader_.OpenError();
  if (MaybeFolder(error)) return TAdded::NotAFile;
  LinesRow(name, nullptr);
  Written();
  return error ? TAdded::Failed : TAdded::Read;
}

TAdded TInventory::AddFile(const std::wstring& shown, const std::wstring& exact) {
  const size_t mark = buffer_.size();
  try {
    reader_.SetExactPath(exact);
    if (const DWORD error = reader_.OpenError()) {
      if (MaybeFolder(error)) return TAdded::NotAFile;
      AddFailure(shown, ErrorText("cannot open", error));
      return TAdded::Failed;
    }
    Row(shown, nullptr);
  } catch (const std::exception&) {
    // Out of memory for this file's data or its row: no half row stays.
    buffer_.resize(mark);
    AddFailure(shown, "cannot read: out of memory");
    return TAdded::Failed;
  }
  Written();
  return TAdded::Read;
}

void TInventory::AddFailure(const std::wstring& shown, const std::string& error) {
  Row(shown, &error);
  Written();
}

void TInventory::AddNamedFailure(const char* name) {
  const std::string error;
  LinesRow(name, &error);
  Written();
}

void TInventory::Row(const std::wstring& shown, const std::string* error) {
  switch (format_) {
    case TRowFormat::Lines: {
      // The ANSI code page, as every other text of these lines.
      const int bytes = ::WideCharToMultiByte(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()),
                                              nullptr, 0, nullptr, nullptr);
      std::string& name = text_;
      name.resize(static_cast<size_t>(bytes > 0 ? bytes : 0));
      if (bytes > 0)
        ::WideCharToMultiByte(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()), name.data(), bytes,
                              nullptr, nullptr);
      LinesRow(name, error);
      break;
    }
    case TRowFormat::All:
      AllRow(shown, error);
      break;
    case TRowFormat::Json:
      JsonRow(shown, error);
      break;
    case TRowFormat::Csv:
      CsvRow(shown, error);
      break;
  }
}

void TInventory::LinesRow(const std::string& name, const std::string* error) {
  const bool hasInfo = !error && reader_.HasInfo();
  AppendLinesField(buffer_, name, false);
  AppendLinesField(buffer_, hasInfo ? "1" : "0", false);
  std::string& text = field_;
  text.clear();
  if (hasInfo) reader_.ProductNameText(text);
  AppendLinesField(buffer_, text, false);
  if (hasInfo) reader_.LegalCopyrightText(text);
  AppendLinesField(buffer_, text, false);
  if (hasInfo) reader_.FileVersionText(text);
  AppendLinesField(buffer_, text, false);
  if (hasInfo) reader_.ProductVersionText(text);
  AppendLinesField(buffer_, text, true);
}

void TInventory::StringValue(const wchar_t* name, std::string& value) const {
  value.clear();
  // Names compare as the queries compare them; the first of a name counts.
  // A name of another length never matches and costs no call: this runs
  // for twelve names against every string of every file.
  const int length = static_cast<int>(std::wcslen(name));
  for (size_t i = 0; i < details_.stringCount; ++i) {
    const wchar_t* candidate = details_.strings[i].name.c_str();
    if (static_cast<int>(std::wcslen(candidate)) != length) continue;
    if (::CompareStringOrdinal(candidate, length, name, length, TRUE) == CSTR_EQUAL) {
      AppendUtf8(value, details_.strings[i].value.data(), details_.strings[i].value.size());
      return;
    }
  }
}

namespace {

// The string in `slot`, made one first when it held something else: its
// storage stays from row to row.
std::string& StringSlot(Json& slot) {
  if (!slot.is_string()) slot = std::string();
  std::string& text = slot.get_ref<std::string&>();
  text.clear();
  return text;
}

Json& ArraySlot(Json& slot, size_t size) {
  if (!slot.is_array()) slot = Json::array();
  slot.get_ref<Json::array_t&>().resize(size);
  return slot;
}

Json& ObjectSlot(Json& slot) {
  if (!slot.is_object()) slot = Json::object();
  return slot;
}

}  // namespace

void TInventory::JsonRow(const std::wstring& shown, const std::string* error) {
  if (error) {
    // Rare: a row of its own, with the error in its place.
    Json row;
    row["path"] = Utf8(shown);
    row["status"] = "error";
    row["error"] = *error;
    row["versionInfo"] = false;
    for (const char* name : {"machine", "peFormat", "resourceLanguage"}) row[name] = nullptr;
    row["translations"] = Json::array();
    row["stringTable"] = nullptr;
    row["stringTableNote"] = nullptr;
    row["fixed"] = nullptr;
    row["strings"] = Json::object();
    json_->serializer.dump(row, false, false, 0);
    buffer_.push_back('\n');
    return;
  }
  reader_.ReadDetails(details_);
  // Every value is set in place in the row the last file left, in the key
  // order made once: no row object, array or string is rebuilt per file.
  Json& row = json_->row;
  if (row.empty()) {
    for (const char* name : {"path", "status", "versionInfo", "machine", "peFormat", "resourceLanguage",
                             "translations", "stringTable", "stringTableNote", "fixed", "strings"})
      row[name] = nullptr;
    row["status"] = "ok";
  }
  std::string& path = StringSlot(row["path"]);
  AppendUtf8(path, shown.data(), shown.size());
  row["versionInfo"] = reader_.HasInfo();
  const std::optional<std::string> machine = MachineName(details_.machine);
  const std::optional<std::string> peFormat = PeFormatName(details_.peMagic);
  Json& machineSlot = row["machine"];
  if (machine)
    StringSlot(machineSlot) = *machine;
  else
    machineSlot = nullptr;
  Json& peSlot = row["peFormat"];
  if (peFormat)
    StringSlot(peSlot) = *peFormat;
  else
    peSlot = nullptr;
  row["resourceLanguage"] = details_.resourceLanguage ? Json(*details_.resourceLanguage) : Json(nullptr);
  Json& translations = ArraySlot(row["translations"], details_.translations.size());
  for (size_t i = 0; i < details_.translations.size(); ++i) {
    Json& entry = ObjectSlot(translations[i]);
    entry["language"] = details_.translations[i].language;
    entry["codePage"] = details_.translations[i].codePage;
  }
  Json& tableSlot = row["stringTable"];
  if (details_.stringTable)
    AppendUtf8(StringSlot(tableSlot), details_.stringTable->data(), details_.stringTable->size());
  else
    tableSlot = nullptr;
  Json& noteSlot = row["stringTableNote"];
  if (!details_.stringTableNote.empty())
    StringSlot(noteSlot) = details_.stringTableNote;
  else
    noteSlot = nullptr;
  Json& fixedSlot = row["fixed"];
  if (details_.fixed) {
    const VS_FIXEDFILEINFO& f = *details_.fixed;
    Json& fixed = ObjectSlot(fixedSlot);
    FormatVersionPair(TVersionPair{f.dwFileVersionMS, f.dwFileVersionLS}, StringSlot(fixed["fileVersion"]));
    FormatVersionPair(TVersionPair{f.dwProductVersionMS, f.dwProductVersionLS},
                      StringSlot(fixed["productVersion"]));
    size_t set = 0;
    for (const auto& flag : kFlags) set += (f.dwFileFlags & f.dwFileFlagsMask & flag.bit) ? 1 : 0;
    Json& flags = ArraySlot(fixed["flags"], set);
    set = 0;
    for (const auto& flag : kFlags)
      if (f.dwFileFlags & f.dwFileFlagsMask & flag.bit) StringSlot(flags[set++]) = flag.name;
    fixed["fileOS"] = f.dwFileOS;
    fixed["fileType"] = f.dwFileType;
    fixed["fileSubtype"] = f.dwFileSubtype;
  } else {
    fixedSlot = nullptr;
  }
  // The last row's strings are kept while the names come in the same
  // order (most files of one folder have the same ones): a value is then
  // rewritten in its slot, not allocated again with its name.
  Json::object_t& strings = ObjectSlot(row["strings"]).get_ref<Json::object_t&>();
  size_t kept = 0;
  for (size_t i = 0; i < details_.stringCount; ++i) {
    text_.clear();
    AppendUtf8(text_, details_.strings[i].name.data(), details_.strings[i].name.size());
    // A name met twice keeps its first value, as a query finds it.
    auto slot = strings.begin() + static_cast<ptrdiff_t>(kept);
    if (std::any_of(strings.begin(), slot, [&](const auto& entry) { return entry.first == text_; })) continue;
    if (slot == strings.end() || slot->first != text_) {
      while (strings.size() > kept) strings.pop_back();
      strings.emplace_back(text_, nullptr);
      slot = strings.end() - 1;
    }
    ++kept;
    AppendUtf8(StringSlot(slot->second), details_.strings[i].value.data(), details_.strings[i].value.size());
  }
  while (strings.size() > kept) strings.pop_back();
  json_->serializer.dump(row, false, false, 0);
  buffer_.push_back('\n');
}

void TInventory::CsvRow(const std::wstring& shown, const std::string* error) {
  if (!error) reader_.ReadDetails(details_);
  const bool ok = !error;
  std::string& field = field_;
  const auto put = [&](const std::string& text) { AppendCsvField(buffer_, text, false); };
  put(Utf8(shown));
  put(ok ? "ok" : "error");
  put(ok ? "" : *error);
  put(ok && reader_.HasInfo() ? "true" : "false");
  put(ok ? MachineName(details_.machine).value_or("") : "");
  put(ok ? PeFormatName(details_.peMagic).value_or("") : "");
  put(ok && details_.resourceLanguage ? shared::DecimalText(*details_.resourceLanguage) : "");
  field.clear();
  for (size_t i = 0; ok && i < details_.translations.size(); ++i)
    field.append(i ? " " : "").append(TranslationText(details_.translations[i]));
  put(field);
  put(ok && details_.stringTable ? Utf8(*details_.stringTable) : "");
  put(ok ? details_.stringTableNote : "");
  const VS_FIXEDFILEINFO* f = ok && details_.fixed ? &*details_.fixed : nullptr;
  put(f ? Version(f->dwFileVersionMS, f->dwFileVersionLS) : "");
  put(f ? Version(f->dwProductVersionMS, f->dwProductVersionLS) : "");
  put(f ? FlagList(*f, " ") : "");
  put(f ? shared::DecimalText(f->dwFileOS) : "");
  put(f ? shared::DecimalText(f->dwFileType) : "");
  put(f ? shared::DecimalText(f->dwFileSubtype) : "");
  for (const wchar_t* name : kStandardNames) {
    field.clear();
    if (ok) StringValue(name, field);
    AppendCsvField(buffer_, field, name == kStandardNames[std::size(kStandardNames) - 1]);
  }
}

void TInventory::AllRow(const std::wstring& shown, const std::string* error) {
  AppendAllLine(buffer_, "", "path", Utf8(shown));
  if (error) {
    AppendAllLine(buffer_, "", "error", *error);
    buffer_.push_back('\n');
    return;
  }
  reader_.ReadDetails(details_);
  AppendAllLine(buffer_, "", "versionInfo", reader_.HasInfo() ? "yes" : "no");
  AppendAllLine(buffer_, "", "machine", MachineName(details_.machine).value_or("none (not a PE file)"));
  AppendAllLine(buffer_, "", "peFormat", PeFormatName(details_.peMagic).value_or("none"));
  std::string& field = field_;
  field = "none";
  if (details_.resourceLanguage) {
    field = shared::DecimalText(*details_.resourceLanguage);
    field += " (0x" + shared::HexText(*details_.resourceLanguage, 4) + ")";
  }
  AppendAllLine(buffer_, "", "resourceLanguage", field);
  field = details_.translations.empty() ? "none" : "";
  for (size_t i = 0; i < details_.translations.size(); ++i) {
    const TTranslation& t = details_.translations[i];
    field.append(i ? ", " : "").append(TranslationText(t));
    field += " (language " + shared::DecimalText(t.language) + ", code page " +
             shared::DecimalText(t.codePage) + ")";
  }
  AppendAllLine(buffer_, "", "translations", field);
  AppendAllLine(buffer_, "", "stringTable", details_.stringTable ? Utf8(*details_.stringTable) : "none");
  if (!details_.stringTableNote.empty())
    AppendAllLine(buffer_, "", "stringTableNote", details_.stringTableNote);
  if (const VS_FIXEDFILEINFO* f = details_.fixed ? &*details_.fixed : nullptr) {
    buffer_ += "fixed:\n";
    AppendAllLine(buffer_, "  ", "fileVersion", Version(f->dwFileVersionMS, f->dwFileVersionLS));
    AppendAllLine(buffer_, "  ", "productVersion", Version(f->dwProductVersionMS, f->dwProductVersionLS));
    const std::string flags = FlagList(*f, ", ");
    AppendAllLine(buffer_, "  ", "flags", flags.empty() ? "none" : flags);
    AppendAllLine(buffer_, "  ", "fileOS", "0x" + shared::HexText(f->dwFileOS, 8));
    AppendAllLine(buffer_, "  ", "fileType", shared::DecimalText(f->dwFileType));
    AppendAllLine(buffer_, "  ", "fileSubtype", shared::DecimalText(f->dwFileSubtype));
  } else {
    AppendAllLine(buffer_, "", "fixed", "none");
  }
  if (details_.stringCount) buffer_ += "strings:\n";
  for (size_t i = 0; i < details_.stringCount; ++i) {
    text_.clear();
    AppendUtf8(text_, details_.strings[i].value.data(), details_.strings[i].value.size());
    AppendAllLine(buffer_, "  ", Utf8(details_.strings[i].name), text_);
  }
  buffer_.push_back('\n');
}

}  // namespace verinfo
