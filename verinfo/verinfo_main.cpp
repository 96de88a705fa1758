// verinfo.exe FILE...: one tab-separated line per file with the texts the
// library list shows, for scripts and for comparing the reader with other
// tools: name as given, 1 or 0 for version data, product name, legal
// copyright, file version, product version.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "verinfo/VerInfo.h"

namespace {

// A tab or line break inside a text would split the line or shift the
// fields, so such characters are written as spaces.
void WriteField(const std::string& text, bool last) {
  for (char c : text) std::fputc(c == '\t' || c == '\r' || c == '\n' ? ' ' : c, stdout);
  std::fputc(last ? '\n' : '\t', stdout);
}

// What one file gives; all empty when it has no version data.
struct TFileTexts {
  bool hasInfo = false;
  std::string productName, legalCopyright, fileVersion, productVersion;
};

void WriteLine(const char* name, const TFileTexts& texts) {
  WriteField(name, false);
  WriteField(texts.hasInfo ? "1" : "0", false);
  WriteField(texts.productName, false);
  WriteField(texts.legalCopyright, false);
  WriteField(texts.fileVersion, false);
  WriteField(texts.productVersion, true);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: verinfo FILE...\n", stderr);
    return 2;
  }
  // Lines end in a bare LF whatever reads them.
  _setmode(_fileno(stdout), _O_BINARY);
  std::unique_ptr<verinfo::TVersionInfo> reader;
  for (int i = 1; i < argc; ++i) {
    TFileTexts texts;
    try {
      if (reader)
        reader->SetFilePath(argv[i]);
      else
        reader = std::make_unique<verinfo::TVersionInfo>(argv[i]);
      if (reader->HasInfo()) {
        reader->ProductNameText(texts.productName);
        reader->LegalCopyrightText(texts.legalCopyright);
        reader->FileVersionText(texts.fileVersion);
        reader->ProductVersionText(texts.productVersion);
        texts.hasInfo = true;
      }
    } catch (const std::exception&) {
      // Out of memory for this file's data: reported as having none.
      texts = TFileTexts{};
    }
    WriteLine(argv[i], texts);
  }
  return 0;
}
