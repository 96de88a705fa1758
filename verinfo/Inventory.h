// verinfo.exe's rows: one file read and written at a time in the format
// asked for, into one output buffer that is written out in large pieces.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "verinfo/VerInfo.h"

namespace verinfo {

enum class TRowFormat {
  Lines,  // the four texts of the library list, tab-separated, ANSI
  All,    // every field, one "name: value" line each, UTF-8
  Json,   // every field, one JSON object per line, UTF-8
  Csv,    // every standard field, RFC 4180 with a header row, UTF-8
};

// What became of a file handed in: read (its row written, data or not),
// failed (its row says why), or no file but perhaps a folder (no row: the
// caller lists the folder, or reports it when it is none).
enum class TAdded { Read, Failed, NotAFile };

// "cannot open: access denied (5)": what failed, and why in words.
std::string ErrorText(const char* what, DWORD error);

class TInventory {
 public:
  TInventory(TRowFormat format, std::FILE* out);
  ~TInventory();
  TInventory(const TInventory&) = delete;
  TInventory& operator=(const TInventory&) = delete;

  // A file named by its bytes as given, read as the list reads it: the
  // Lines format of every earlier release, byte for byte.
  TAdded AddNamed(const char* name);
  // A file by the path to show and its "\\?\" form.
  TAdded AddFile(const std::wstring& shown, const std::wstring& exact);
  // A file or folder that could not be reached at all.
  void AddFailure(const std::wstring& shown, const std::string& error);
  // The same, named by its bytes as given, in the Lines format.
  void AddNamedFailure(const char* name);
  // Writes out what is buffered.
  void Flush();

 private:
  void Row(const std::wstring& shown, const std::string* error);
  void LinesRow(const std::string& name, const std::string* error);
  void AllRow(const std::wstring& shown, const std::string* error);
  void JsonRow(const std::wstring& shown, const std::string* error);
  void CsvRow(const std::wstring& shown, const std::string* error);
  // The chosen table's value of `name`, as UTF-8; empty when none.
  void StringValue(const wchar_t* name, std::string& value) const;
  void Written();

  struct TJsonWriter;
  const TRowFormat format_;
  std::FILE* const out_;
  const bool console_;  // rows reach a person: each is shown at once
  ULONGLONG flushedAt_ = ::GetTickCount64();
  TVersionInfo reader_;
  TVersionDetails details_;
  std::string buffer_;
  // Reused for every row, so rows allocate little once they have grown.
  std::string field_, text_;
  // --json only: one row object and one serializer writing into buffer_.
  std::unique_ptr<TJsonWriter> json_;
};

}  // namespace verinfo
