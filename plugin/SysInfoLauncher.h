// Shows the system information dialog modally over the host's window.
#pragma once

#include <windows.h>

namespace plugin {

// Creates a fresh dialog, shows it until it is closed and destroys it; the
// application window handle is pointed at `wnd` meanwhile and restored on
// every way out. A failure to create or show the dialog is thrown on to the
// caller after the clean-up.
void ShowSystemInfoDlg(HWND wnd);

}  // namespace plugin
