// A scratch registry tree that stands in for HKEY_LOCAL_MACHINE for the
// whole process while the object lives. The tree is deleted before and
// after, so a crashed run leaves nothing that the next one would read.
#pragma once

#include <windows.h>

#include <sddl.h>

#include <string>

#include "shared/Scoped.h"

namespace gather_test {

// One tree per process: test programs running side by side never share one.
inline const std::string kScratchPath =
    "Software\\Zentrix\\ScratchHKLM\\" + std::to_string(::GetCurrentProcessId());

class ScratchRegistry {
 public:
  ScratchRegistry() {
    Remove();
    root_ = Create(HKEY_CURRENT_USER, kScratchPath);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_.Get());
  }
  ~ScratchRegistry() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    root_.Reset();
    Remove();
  }
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  bool valid() const { return static_cast<bool>(root_); }

  // Writes a value under a path of the scratch tree, creating the keys.
  void Set(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    ::RegSetValueExA(Create(root_.Get(), path).Get(), name, 0, type, static_cast<const BYTE*>(data), size);
  }
  void SetText(const std::string& path, const char* name, const std::string& text, DWORD type = REG_SZ) {
    Set(path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void SetDword(const std::string& path, const char* name, DWORD value) {
    Set(path, name, REG_DWORD, &value, sizeof value);
  }
  void AddKey(const std::string& path) { Create(root_.Get(), path); }

  // A key that grants reading to everyone and nothing else, as real keys
  // are for a standard user.
  void MakeReadOnly(const std::string& path) { SetDacl(Create(root_.Get(), path).Get(), "D:P(A;;KR;;;WD)"); }

 private:
  static shared::ScopedKey Create(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return shared::ScopedKey(key);
  }
  static void SetDacl(HKEY key, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
      return;
    }
    ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
  }

  // Gives every key of a tree full access back (the owner may always change
  // the access list), so that a read-only key cannot block the deletion.
  static void Unlock(HKEY parent, const std::string& name) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExA(parent, name.c_str(), 0, WRITE_DAC, &raw) != ERROR_SUCCESS) return;
    SetDacl(shared::ScopedKey(raw).Get(), "D:P(A;;KA;;;WD)");
    if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
    const shared::ScopedKey key(raw);
    char child[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = sizeof child;
      if (::RegEnumKeyExA(key.Get(), i, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      Unlock(key.Get(), child);
    }
  }

  static void Remove() {
    Unlock(HKEY_CURRENT_USER, kScratchPath);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratchPath.c_str());
  }

  shared::ScopedKey root_;
};

}  // namespace gather_test
