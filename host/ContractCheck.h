// Checks a plug-in library's side of the binary contract and prints one
// PASS/FAIL line per check and a summary line.
#pragma once

#include <cstdio>
#include <string>

namespace host {

// Returns the number of failed checks.
int RunContractCheck(const std::string& libPath, FILE* out);

}  // namespace host
