// Runs the plug-in's Execute entry the way the host's menu does and, while
// its dialog is up, prints what the dialog shows: window, controls, tabs,
// list columns and any message box over it; optionally photographs each tab's
// page; then closes the dialog with its OK button.
#pragma once

#include <cstdio>
#include <string>

namespace host {

// `screenshotDir` empty: no screenshots. Returns the process exit status: 0
// only when the dialog came up, was read, every page could be selected and
// saved, OK closed it and the entry removed its two arguments.
int RunDialogReport(const std::string& libPath, const std::string& screenshotDir, FILE* out);

}  // namespace host
