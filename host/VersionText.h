// Texts read from a file's version resource.
#pragma once

#include <string>

namespace host {

// The FileVersion string, or "unknown" when the file has none.
std::string FileVersionText(const std::string& path);

}  // namespace host
