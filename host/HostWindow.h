// The host's main window: the installed plug-in list with About and Execute,
// as the file manager shows it.
#pragma once

#include <string>

namespace host {

// The caption of the host's main window.
constexpr char kHostTitle[] = "Installed Plug-In's";

// Loads the library, shows the window and runs its message loop until the
// window is closed. Returns the process exit status.
int RunHostWindow(const std::string& libPath);

}  // namespace host
