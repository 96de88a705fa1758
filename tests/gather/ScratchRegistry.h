// A scratch registry tree that stands in for HKEY_LOCAL_MACHINE for the
// whole process while the object lives. The tree is deleted before and
// after, so a crashed run leaves nothing that the next one would read.
#pragma once

#include <windows.h>

#include <sddl.h>

#include <string>

namespace gather_test {

constexpr char kScratchPath[] = "Software\\Zentrix\\ScratchHKLM";

class ScratchRegistry {
 public:
  ScratchRegistry() {
    Remove();
    ::RegCreateKeyExA(HKEY_CURRENT_USER, kScratchPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                      nullptr);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_);
  }
  ~ScratchRegistry() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    ::RegCloseKey(root_);
    Remove();
  }
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  bool valid() const { return root_ != nullptr; }

  // Writes a value under a path of the scratch tree, creating the keys.
  void Set(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = Create(path);
    ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
  }
  void SetText(const std::string& path, const char* name, const std::string& text, DWORD type = REG_SZ) {
    Set(path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  void SetDword(const std::string& path, const char* name, DWORD value) {
    Set(path, name, REG_DWORD, &value, sizeof value);
  }
  void AddKey(const std::string& path) { ::RegCloseKey(Create(path)); }

  // A key that grants reading to everyone and nothing else, as real keys
  // are for a standard user.
  void MakeReadOnly(const std::string& path) {
    HKEY key = Create(path);
    SetDacl(key, "D:P(A;;KR;;;WD)");
    ::RegCloseKey(key);
  }

 private:
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
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, name.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    SetDacl(key, "D:P(A;;KA;;;WD)");
    ::RegCloseKey(key);
    if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    char child[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = sizeof child;
      if (::RegEnumKeyExA(key, i, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      Unlock(key, child);
    }
    ::RegCloseKey(key);
  }

  static void Remove() {
    Unlock(HKEY_CURRENT_USER, kScratchPath);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kScratchPath);
  }

  HKEY Create(const std::string& path) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(root_, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
  }
  HKEY root_ = nullptr;
};

}  // namespace gather_test
