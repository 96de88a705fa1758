// Text between the toolkit's two encodings and the windows. Every window of
// the toolkit is a Unicode window, so text set through the A functions is
// widened with the ANSI code page (lossless) and text stored as UTF-8 keeps
// characters that the ANSI code page lacks. Reading back through the A path
// narrows again: such characters then read as '?'.
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

enum class TextEncoding { Ansi, Utf8 };

std::wstring Widen(const char* text, TextEncoding encoding);
std::string NarrowToAnsi(const std::wstring& text);

void SetText(HWND window, const char* text, TextEncoding encoding);
std::wstring WindowTextW(HWND window);
// Whether the window's text is `text`, read with one message.
bool ShowsText(HWND window, const std::wstring& text);
// The caption the window manager keeps for any window, in the ANSI code page,
// at most MAX_PATH - 1 characters. Read without sending the window a message:
// GetWindowText on a window of another thread waits until that thread answers.
std::string StoredWindowTextA(HWND window);

}  // namespace toolkit
