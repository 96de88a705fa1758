// scan_bench's floor: the version library's calls over every file of a
// folder (size, data, the translation and the four string queries), the
// texts looked at so no call can be skipped. Built without the plug-in's
// chosen costs (size optimisation, stack protector).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// The number of files with version data; their texts' bytes added to
// `textBytes`.
int BareVersionLoop(const std::string& folder, std::vector<BYTE>& buffer, size_t& textBytes);

}  // namespace bench
