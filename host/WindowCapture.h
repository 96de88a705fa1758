// Photographs a window as it is on the screen and saves it as a PNG file.
#pragma once

#include <windows.h>

#include <string>

namespace host {

// Copies the screen over the window's outer rectangle, so the window must be
// on top and painted. On failure returns false and sets `error`.
bool SaveWindowPng(HWND window, const std::wstring& path, std::string* error);

}  // namespace host
