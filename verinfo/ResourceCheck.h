// A look at a module's resource table before the version library walks it.
// The platform's GetFileVersionInfo trusts the table: a version resource
// whose entry points past the file makes it read beyond the mapped image and
// fault, taking the host down. This check reads the table with every offset
// bounds-checked and refuses such files.
#pragma once

namespace verinfo {

// False when `path` is a 32-bit or 64-bit PE file whose resource directory,
// or the data of its first version resource, lies outside the file. True
// for every other file (not a PE, no version resource, unreadable), which
// the version library is left to judge.
bool VersionResourceInsideFile(const char* path);

}  // namespace verinfo
