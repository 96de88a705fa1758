#include "bench/BarePass.h"

#include <windows.h>

#include <vector>

#include "dialog/SysDlgReads.h"

namespace bench {

namespace {

// Reads one value as the reader does: size first, then the data.
void QueryValue(HKEY key, const char* name, std::vector<BYTE>& data) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0) return;
  data.resize(size);
  RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
}

HKEY Open(const char* path) {
  HKEY key = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key);
  return key;
}

}  // namespace

// The registry values are the pass's own table's, read as the pass reads them.
void BarePass() {
  using dialog::kBiosNTReads, dialog::kProcessorReads, dialog::kWindowsReads, dialog::RegistryRead;
  std::vector<BYTE> data;
  HKEY processor = Open(kProcessorReads.front().key);
  for (const RegistryRead& read : kProcessorReads) QueryValue(processor, read.value, data);
  // The first Windows value decides which key the others come from.
  const RegistryRead& first = kWindowsReads.front();
  HKEY windows = Open(first.key);
  HKEY from = windows ? windows : processor;
  DWORD type = 0, size = 0;
  const bool productKey =
      from && RegQueryValueExA(from, first.value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      size > 0;
  if (productKey) QueryValue(from, first.value, data);
  HKEY nt = productKey ? nullptr : Open(kWindowsReads[1].key);
  for (const RegistryRead& read : kWindowsReads.subspan(1))
    QueryValue(productKey ? from : nt, read.value, data);
  for (HKEY key : {processor, windows, nt}) {
    if (key) RegCloseKey(key);
  }

  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (rtlGetVersion) rtlGetVersion(&version);
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);
  char computer[16];
  DWORD computerSize = sizeof computer;
  GetComputerNameA(computer, &computerSize);
  DWORD userSize = 0;
  GetUserNameA(nullptr, &userSize);
  std::vector<char> user(userSize ? userSize : 1);
  GetUserNameA(user.data(), &userSize);

  if (!(GetVersion() & 0x80000000u)) {
    HKEY bios = Open(kBiosNTReads.front().key);
    std::vector<BYTE> buffer(dialog::kBiosBufferSize);
    for (const RegistryRead& read : kBiosNTReads) {
      DWORD valueSize = static_cast<DWORD>(buffer.size());
      if (bios) RegQueryValueExA(bios, read.value, nullptr, &type, buffer.data(), &valueSize);
    }
    if (bios) RegCloseKey(bios);
  }
}

}  // namespace bench
