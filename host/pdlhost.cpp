// pdlhost: a small host for plug-in libraries.
//
//   pdlhost LIB            the host window with the library's plug-in
//   pdlhost --check LIB    checks the library's side of the binary contract
//   pdlhost --report LIB [--screenshots DIR]
//                          runs the plug-in and prints what its dialog shows
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "host/ContractCheck.h"
#include "host/DialogReport.h"
#include "host/HostWindow.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: pdlhost LIB\n"
               "       pdlhost --check LIB\n"
               "       pdlhost --report LIB [--screenshots DIR]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && argv[1][0] != '-') return host::RunHostWindow(argv[1]);
  if (argc == 3 && std::strcmp(argv[1], "--check") == 0) {
    return host::RunContractCheck(argv[2], stdout) == 0 ? 0 : 1;
  }
  if (argc >= 3 && std::strcmp(argv[1], "--report") == 0) {
    if (argc == 3) return host::RunDialogReport(argv[2], {}, stdout);
    if (argc == 5 && std::strcmp(argv[3], "--screenshots") == 0 && argv[4][0] != '\0') {
      return host::RunDialogReport(argv[2], argv[4], stdout);
    }
  }
  return Usage();
}
