// Runs a program as a child under this process's debugger loop, with its
// output in a temporary file and a deadline. A crash then becomes a record
// (exception, address, module) instead of Wine's crash handler, which waits
// on a debugger of its own and would hang the run; a hang is ended at the
// deadline.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "shared/Scoped.h"

namespace badinput {

struct ChildRun {
  bool started = false;
  bool timedOut = false;
  bool crashed = false;
  std::string crash;  // the exception, where it was raised and, for an access violation, what was touched
  DWORD exitCode = 0;
  std::string output;
  DWORD milliseconds = 0;

  bool Clean() const { return started && !timedOut && !crashed && exitCode == 0; }
  std::string Describe() const {
    if (!started) return "could not be started";
    if (timedOut) return "did not finish in " + std::to_string(milliseconds) + " ms (hang)";
    if (crashed) return "crashed: " + crash;
    return "exit code " + std::to_string(exitCode);
  }
};

namespace detail {

// "name.dll+0x1234": the child's module that holds `address`, asked of the
// system at the crash, when the loader knows every module's name.
inline std::string ModuleAt(HANDLE process, uint32_t address) {
  MEMORY_BASIC_INFORMATION region{};
  char path[MAX_PATH] = {};
  if (!::VirtualQueryEx(process, reinterpret_cast<void*>(static_cast<uintptr_t>(address)), &region,
                        sizeof region) ||
      region.Type != MEM_IMAGE ||
      !::GetModuleFileNameExA(process, static_cast<HMODULE>(region.AllocationBase), path, MAX_PATH)) {
    return "no module";
  }
  const std::string name(path);
  char offset[16];
  std::snprintf(offset, sizeof offset, "+0x%X",
                address - static_cast<uint32_t>(reinterpret_cast<uintptr_t>(region.AllocationBase)));
  return name.substr(name.find_last_of("\\/") + 1) + offset;
}

// Serves the child's debug events until it exits, ending it at the first
// unhandled exception or at the deadline.
inline void Debug(const PROCESS_INFORMATION& process, DWORD timeoutMs, ChildRun& run) {
  const DWORD start = ::GetTickCount();
  bool initialBreak = false;
  for (bool done = false; !done;) {
    // Checked on every pass: a child that never stops sending events
    // (exceptions it handles, debug output) must still meet its deadline.
    if (!run.timedOut && ::GetTickCount() - start > timeoutMs) {
      run.timedOut = true;
      ::TerminateProcess(process.hProcess, 0xDEAD);
    }
    DEBUG_EVENT event{};
    if (!::WaitForDebugEvent(&event, 200)) continue;
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) ::CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) ::CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT: {
        const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
        if (event.u.Exception.dwFirstChance) {
          // The loader's breakpoint for a new debugger is expected; every
          // other first chance goes to the child's own handlers.
          if (record.ExceptionCode == EXCEPTION_BREAKPOINT && !initialBreak) {
            initialBreak = true;
          } else {
            status = DBG_EXCEPTION_NOT_HANDLED;
          }
          break;
        }
        if (!run.crashed) {
          run.crashed = true;
          const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record.ExceptionAddress));
          char text[96];
          if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
            std::snprintf(text, sizeof text, "access violation %s 0x%08X at 0x%08X in ",
                          record.ExceptionInformation[0] == 1 ? "writing" : "reading",
                          static_cast<uint32_t>(record.ExceptionInformation[1]), address);
          } else {
            std::snprintf(text, sizeof text, "exception 0x%08lX at 0x%08X in ",
                          static_cast<unsigned long>(record.ExceptionCode), address);
          }
          run.crash = text + ModuleAt(process.hProcess, address);
        }
        ::TerminateProcess(process.hProcess, 0xDEAD);
        break;
      }
      case EXIT_PROCESS_DEBUG_EVENT:
        run.exitCode = event.u.ExitProcess.dwExitCode;
        done = true;
        break;
      default:
        break;
    }
    ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  ::WaitForSingleObject(process.hProcess, 5000);
  run.milliseconds = ::GetTickCount() - start;
}

}  // namespace detail

// Runs `commandLine` in `folder` (or here when empty) for at most
// `timeoutMs`; stdout and stderr go to the returned output.
inline ChildRun RunChild(std::string commandLine, const std::string& folder, DWORD timeoutMs) {
  ChildRun run;
  char tempFolder[MAX_PATH], tempFile[MAX_PATH];
  ::GetTempPathA(MAX_PATH, tempFolder);
  if (!::GetTempFileNameA(tempFolder, "bic", 0, tempFile)) return run;
  {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE raw = ::CreateFileA(tempFile, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    shared::ScopedHandle out(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.Get();
    startup.hStdError = out.Get();
    PROCESS_INFORMATION process{};
    if (out && ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DEBUG_ONLY_THIS_PROCESS,
                                nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
      run.started = true;
      const shared::ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
      detail::Debug(process, timeoutMs, run);
    }
  }
  std::ifstream in(tempFile, std::ios::binary);
  run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  in.close();
  ::DeleteFileA(tempFile);
  return run;
}

}  // namespace badinput
