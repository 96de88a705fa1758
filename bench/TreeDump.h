// One line per window of a dialog's tree, for checking that the bare dialog
// builds what ours builds: class (own classes by role), id, styles, bounds,
// text, visibility, focus, font and the common controls' contents.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

std::vector<std::string> DumpTree(HWND form);

// The module holding the window's procedure, as its last two path parts
// (shows which common controls library a tree uses).
std::string ProcedureModule(HWND window);

}  // namespace bench
