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
#include <string>
#include <vector>

#include "shared/Scoped.h"

namespace badinput {

using shared::ScopedHandle;

struct ChildRun {
  bool started = false;
  bool timedOut = false;
  bool crashed = false;
  DWORD exitCode = 0;
  DWORD exceptionCode = 0;
  uint32_t exceptionAddress = 0;
  bool faultWrite = false;
  uint32_t faultAddress = 0;  // access violations: the address touched
  std::string module;         // where the exception was raised
  std::string output;
  DWORD milliseconds = 0;

  bool Clean() const { return started && !timedOut && !crashed && exitCode == 0; }
  std::string Describe() const {
    char text[256];
    if (!started) return "could not be started";
    if (timedOut) {
      std::snprintf(text, sizeof text, "did not finish in %lu ms (hang)",
                    static_cast<unsigned long>(milliseconds));
      return text;
    }
    if (crashed) {
      if (exceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        std::snprintf(text, sizeof text, "crashed: access violation %s 0x%08X at 0x%08X in %s",
                      faultWrite ? "writing" : "reading", faultAddress, exceptionAddress, module.c_str());
      } else {
        std::snprintf(text, sizeof text, "crashed: exception 0x%08lX at 0x%08X in %s",
                      static_cast<unsigned long>(exceptionCode), exceptionAddress, module.c_str());
      }
      return text;
    }
    std::snprintf(text, sizeof text, "exit code %lu", static_cast<unsigned long>(exitCode));
    return text;
  }
};

namespace detail {

struct LoadedModule {
  uint32_t base = 0;
  uint32_t size = 0;
  std::string name;
};

inline std::string ReadRemoteName(HANDLE process, void* nameAddress, bool unicode) {
  uint32_t pointer = 0;
  SIZE_T read = 0;
  if (!nameAddress || !::ReadProcessMemory(process, nameAddress, &pointer, sizeof pointer, &read) || !pointer)
    return "?";
  if (unicode) {
    wchar_t name[MAX_PATH] = {};
    ::ReadProcessMemory(process, reinterpret_cast<void*>(pointer), name, sizeof name - sizeof(wchar_t),
                        &read);
    char narrow[MAX_PATH * 2] = {};
    ::WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    return narrow;
  }
  char name[MAX_PATH] = {};
  ::ReadProcessMemory(process, reinterpret_cast<void*>(pointer), name, sizeof name - 1, &read);
  return name;
}

inline uint32_t RemoteImageSize(HANDLE process, uint32_t base) {
  uint32_t header = 0, size = 0;
  SIZE_T read = 0;
  if (!::ReadProcessMemory(process, reinterpret_cast<void*>(base + 0x3C), &header, sizeof header, &read))
    return 0;
  ::ReadProcessMemory(process, reinterpret_cast<void*>(base + header + 0x50), &size, sizeof size, &read);
  return size;
}

inline std::string ModuleAt(HANDLE process, const std::vector<LoadedModule>& modules, uint32_t address) {
  for (const LoadedModule& module : modules) {
    if (address >= module.base && address - module.base < module.size) {
      std::string name = module.name;
      char path[MAX_PATH] = {};
      // Some load events carry no name; the loader knows it by now.
      if (name == "?" &&
          ::GetModuleFileNameExA(process, reinterpret_cast<HMODULE>(static_cast<uintptr_t>(module.base)),
                                 path, MAX_PATH)) {
        name = path;
      }
      const size_t slash = name.find_last_of("\\/");
      char offset[16];
      std::snprintf(offset, sizeof offset, "+0x%X", address - module.base);
      return (slash == std::string::npos ? name : name.substr(slash + 1)) + offset;
    }
  }
  return "no module";
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
    ScopedHandle out(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
    if (!out) return run;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.Get();
    startup.hStdError = out.Get();
    PROCESS_INFORMATION process{};
    const DWORD start = ::GetTickCount();
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DEBUG_ONLY_THIS_PROCESS,
                          nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
      return run;
    }
    run.started = true;
    ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    std::vector<detail::LoadedModule> modules;
    bool initialBreak = false;
    for (bool done = false; !done;) {
      DEBUG_EVENT event{};
      if (!::WaitForDebugEvent(&event, 200)) {
        if (!run.timedOut && ::GetTickCount() - start > timeoutMs) {
          run.timedOut = true;
          ::TerminateProcess(process.hProcess, 0xDEAD);
        }
        continue;
      }
      DWORD status = DBG_CONTINUE;
      switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT: {
          const auto& info = event.u.CreateProcessInfo;
          const auto base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.lpBaseOfImage));
          modules.push_back({base, detail::RemoteImageSize(process.hProcess, base), "main program"});
          if (info.hFile) ::CloseHandle(info.hFile);
          break;
        }
        case LOAD_DLL_DEBUG_EVENT: {
          const auto& info = event.u.LoadDll;
          const auto base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.lpBaseOfDll));
          modules.push_back({base, detail::RemoteImageSize(process.hProcess, base),
                             detail::ReadRemoteName(process.hProcess, info.lpImageName, info.fUnicode != 0)});
          if (info.hFile) ::CloseHandle(info.hFile);
          break;
        }
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
            run.exceptionCode = record.ExceptionCode;
            run.exceptionAddress =
                static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record.ExceptionAddress));
            run.module = detail::ModuleAt(process.hProcess, modules, run.exceptionAddress);
            if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
              run.faultWrite = record.ExceptionInformation[0] == 1;
              run.faultAddress = static_cast<uint32_t>(record.ExceptionInformation[1]);
            }
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
  HANDLE raw =
      ::CreateFileA(tempFile, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ScopedHandle in(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
  char buffer[4096];
  DWORD read = 0;
  while (in && ::ReadFile(in.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    run.output.append(buffer, read);
  return run;
}

}  // namespace badinput
