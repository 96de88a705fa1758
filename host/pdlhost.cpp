// pdlhost: a small host for plug-in libraries.
//
//   pdlhost LIB            the host window with the library's plug-in
//   pdlhost --check LIB    checks the library's side of the binary contract
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/ContractCheck.h"
#include "host/HostWindow.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: pdlhost LIB\n"
               "       pdlhost --check LIB\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && argv[1][0] != '-') return host::RunHostWindow(argv[1]);
  if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
    return host::RunContractCheck(argv[2], stdout) == 0 ? 0 : 1;
  }
  return Usage();
}
