// Path helpers shared with the host.
#pragma once

#include <string>
#include <string_view>

namespace shared {

// The path with exactly one trailing backslash added where it has none; a
// bare drive letter becomes its root ("C" gives "C:\"), "" stays "".
std::string AddPathSlash(std::string_view path);

}  // namespace shared
