// TRegistry: the registry reader the gathering steps share. It holds a root
// and at most one open key, and reads text, binary and date values with the
// type and size rules the labels rely on. Missing data is never an error: a
// key that cannot be opened keeps the current one, an absent value reads as
// empty. A value that exists with an unsuited type, or whose data cannot be
// fetched, raises ERegistryException naming the value and carrying the
// system's status code.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "shared/Scoped.h"

namespace dialog {

class ERegistryException : public std::runtime_error {
 public:
  ERegistryException(const std::string& message, LONG code) : std::runtime_error(message), code_(code) {}
  // The system's status code: what a registry call returned, or
  // ERROR_DATATYPE_MISMATCH / ERROR_MORE_DATA where the data does not suit.
  LONG Code() const { return code_; }

 private:
  LONG code_;
};

// Rights asked for on every open: reading only, and on 64-bit Windows the
// native registry view rather than the 32-bit copy under WOW6432Node.
REGSAM RegistryAccess();

using shared::ScopedKey;

class TRegistry {
 public:
  TRegistry() = default;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return root_; }
  // Closes the current key first: it belonged to the old root.
  void SetRootKey(HKEY root);

  // A path starting with a backslash is opened below the root, any other
  // below the current key (or the root when there is none). Never creates.
  // On failure the current key stays current.
  bool OpenKey(const std::string& path);
  void CloseKey();
  bool HasCurrentKey() const { return static_cast<bool>(key_); }
  const std::string& CurrentPath() const { return path_; }

  // REG_SZ or REG_EXPAND_SZ (unexpanded) up to the first zero byte; empty
  // when the value is absent or has no data.
  std::string ReadString(const std::string& name);
  // Any type but the text and number types; returns the bytes fetched, 0
  // (buffer untouched) when the value is absent.
  size_t ReadBinaryData(const std::string& name, void* buffer, size_t capacity);
  // Exactly 8 bytes of REG_BINARY: a date-time double (days since
  // 30 December 1899), handed over as its bits. Registry data may hold a
  // signalling NaN, which an x87 load would trap on under the host's
  // exception masks, so no floating-point register carries it.
  uint64_t ReadDate(const std::string& name);
  // The value's stored type, its data unread; nothing when there is no such
  // value or no current key. The NT family keeps its BIOS date as "MM/DD/YY"
  // text rather than as a date-time, and often keeps none at all.
  std::optional<DWORD> ValueType(const std::string& name);
  bool HasSubKeys();
  // Subkey names in the platform's enumeration order.
  void GetKeyNames(std::vector<std::string>& names);

 private:
  HKEY root_ = HKEY_CURRENT_USER;
  ScopedKey key_;
  std::string path_;
};

}  // namespace dialog
