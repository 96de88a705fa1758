// Text onto the system clipboard. Two programs cannot hold the clipboard at
// once, so opening it can fail; the clipboard is then left as it was.
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

// Replaces the clipboard's contents with `text` as CF_UNICODETEXT (the
// system derives the ANSI and OEM forms on request). False, with the
// clipboard untouched, when it cannot be opened or the memory not had.
bool PutClipboardText(HWND owner, const std::wstring& text);

}  // namespace toolkit
