#include "dialog/Registry.h"

#include <cstring>

#include "dialog/SystemQueries.h"

namespace dialog {

namespace {

std::string Message(const char* pattern, const std::string& name) {
  std::string text = pattern;
  text.replace(text.find("%s"), 2, name);
  return text;
}

[[noreturn]] void InvalidType(const std::string& name, LONG code = ERROR_DATATYPE_MISMATCH) {
  throw ERegistryException(Message("Invalid data type for '%s'", name), code);
}

[[noreturn]] void FetchFailed(const std::string& name, LONG status) {
  throw ERegistryException(Message("Failed to get data for '%s'", name), status);
}

}  // namespace

REGSAM RegistryAccess() {
  // Asking for write access as well would fail for every standard user and
  // every process without elevation; the gatherers only read.
  // A 32-bit process under WOW64, on x64 and ARM64 alike, would otherwise
  // read the 32-bit copy of the software keys.
  static const REGSAM access =
      KEY_READ | (QueryProcessMachines().process != IMAGE_FILE_MACHINE_UNKNOWN ? KEY_WOW64_64KEY : 0);
  return access;
}

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

bool TRegistry::OpenKey(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '\\';
  const std::string relative = absolute ? path.substr(1) : path;
  const HKEY base = (!absolute && key_) ? key_.Get() : root_;
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(base, relative.c_str(), 0, RegistryAccess(), &opened) != ERROR_SUCCESS) return false;
  const bool appended = !absolute && key_;
  key_.Reset(opened);
  path_ = appended ? path_ + "\\" + relative : relative;
  return true;
}

void TRegistry::CloseKey() {
  key_.Reset();
  path_.clear();
}

std::string TRegistry::ReadString(const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (!key_ ||
      ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      size == 0) {
    return {};
  }
  std::vector<char> data(size);
  DWORD fetched = size;
  const LONG status = ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data.data()), &fetched);
  if (status != ERROR_SUCCESS) FetchFailed(name, status);
  if (type != REG_SZ && type != REG_EXPAND_SZ) InvalidType(name);
  // Stored texts need not end in a zero; never read past what came back.
  const size_t length = std::min<size_t>(fetched, data.size());
  return std::string(data.data(), strnlen(data.data(), length));
}

size_t TRegistry::ReadBinaryData(const std::string& name, void* buffer, size_t capacity) {
  DWORD type = 0;
  DWORD size = 0;
  if (!key_ ||
      ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return 0;
  }
  const bool suits = type != REG_SZ && type != REG_EXPAND_SZ && type != REG_DWORD;
  if (!suits) InvalidType(name);
  if (size > capacity) InvalidType(name, ERROR_MORE_DATA);
  DWORD fetched = size;
  const LONG status =
      ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &fetched);
  if (status != ERROR_SUCCESS) FetchFailed(name, status);
  return fetched;
}

uint64_t TRegistry::ReadDate(const std::string& name) {
  unsigned char data[8];
  DWORD type = 0;
  DWORD size = sizeof data;
  const LONG status =
      key_ ? ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, data, &size) : ERROR_INVALID_HANDLE;
  if (status != ERROR_SUCCESS) FetchFailed(name, status);
  if (type != REG_BINARY || size != sizeof data) InvalidType(name);
  uint64_t bits;
  std::memcpy(&bits, data, sizeof bits);
  return bits;
}

std::optional<DWORD> TRegistry::ValueType(const std::string& name) {
  DWORD type = 0;
  if (!key_ ||
      ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return type;
}

bool TRegistry::HasSubKeys() {
  DWORD count = 0;
  return key_ &&
         ::RegQueryInfoKeyA(key_.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         count > 0;
}

void TRegistry::GetKeyNames(std::vector<std::string>& names) {
  names.clear();
  DWORD count = 0;
  DWORD longest = 0;
  if (!key_ || ::RegQueryInfoKeyA(key_.Get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return;
  }
  std::vector<char> name(longest + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD length = static_cast<DWORD>(name.size());
    // A key added since the count was taken may not fit; it is skipped.
    if (::RegEnumKeyExA(key_.Get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS) {
      names.emplace_back(name.data(), length);
    }
  }
}

}  // namespace dialog
