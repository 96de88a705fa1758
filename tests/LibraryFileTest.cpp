// The library file itself: its export and import tables, its version and
// manifest resources, and what loading it does to the caller's thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "TestPaths.h"
#include "host/PeImage.h"
#include "shared/FpuControlWord.h"

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

class VersionResource {
 public:
  explicit VersionResource(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    data_.resize(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) data_.clear();
  }
  bool empty() const { return data_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
      return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }
  std::vector<WORD> Translation() {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length)) return {};
    const auto* words = static_cast<const WORD*>(value);
    return std::vector<WORD>(words, words + length / sizeof(WORD));
  }
  // Returns false when the value is absent.
  bool String(const char* name, std::string* out) {
    const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data_.data(), query.c_str(), &value, &length)) return false;
    *out = length ? static_cast<const char*>(value) : "";
    return true;
  }

 private:
  std::vector<BYTE> data_;
};

// Attributes of each element named `tag` in document order.
std::vector<std::map<std::string, std::string>> Elements(const std::string& xml, const std::string& tag) {
  std::vector<std::map<std::string, std::string>> found;
  const std::regex element("<" + tag + R"(\s([^>]*)/?>)");
  const std::regex attribute(R"re(([A-Za-z]+)="([^"]*)")re");
  for (std::sregex_iterator e(xml.begin(), xml.end(), element), end; e != end; ++e) {
    std::map<std::string, std::string> attrs;
    const std::string body = (*e)[1];
    for (std::sregex_iterator a(body.begin(), body.end(), attribute); a != end; ++a) attrs[(*a)[1]] = (*a)[2];
    found.push_back(attrs);
  }
  return found;
}

}  // namespace

TEST(LibraryFileTest, ExportsOnlyInitPlugInLibAsOrdinalOne) {
  host::PeImage image;
  std::string error;
  ASSERT_TRUE(host::ReadPeImage(testing_paths::PlugInPath(), &image, &error)) << error;
  EXPECT_EQ(image.exportModuleName, "zentrix.pdl");
  ASSERT_EQ(image.exports.size(), 1u);
  EXPECT_EQ(image.exports[0].name, "InitPlugInLib");
  EXPECT_EQ(image.exports[0].ordinal, 1u);

  HMODULE module = LoadLibraryA(testing_paths::PlugInPath().c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "InitPlugInLib"), GetProcAddress(module, MAKEINTRESOURCEA(1)));
  FreeLibrary(module);
}

TEST(LibraryFileTest, ImportsOnlySystemLibraries) {
  host::PeImage image;
  std::string error;
  ASSERT_TRUE(host::ReadPeImage(testing_paths::PlugInPath(), &image, &error)) << error;
  ASSERT_FALSE(image.importedModules.empty());
  char systemDir[MAX_PATH];
  GetSystemDirectoryA(systemDir, MAX_PATH);
  for (const std::string& module : image.importedModules) {
    const std::string name = Lower(module);
    EXPECT_EQ(name.find("libgcc"), std::string::npos) << module;
    EXPECT_EQ(name.find("libstdc++"), std::string::npos) << module;
    EXPECT_EQ(name.find("pthread"), std::string::npos) << module;
    // The version reader parses files itself; the version library faults
    // on damaged ones.
    EXPECT_NE(name, "version.dll") << module;
    EXPECT_NE(GetFileAttributesA((std::string(systemDir) + "\\" + module).c_str()), INVALID_FILE_ATTRIBUTES)
        << module << " is not in the system folder";
  }
  // The stack guard is set without a crypto provider, whose loading was half
  // of the library's load.
  EXPECT_GT(image.importedFunctions.size(), image.importedModules.size());
  for (const std::string& function : image.importedFunctions)
    EXPECT_NE(function.rfind("Crypt", 0), 0u) << function;
}

TEST(LibraryFileTest, VersionResourceFixedPart) {
  VersionResource version(testing_paths::PlugInPath());
  ASSERT_FALSE(version.empty()) << "no version resource";
  const VS_FIXEDFILEINFO* fixed = version.Fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, 4u);
  EXPECT_EQ(fixed->dwFileType, 1u);
  EXPECT_EQ(fixed->dwFileSubtype, 0u);
  EXPECT_EQ(version.Translation(), (std::vector<WORD>{0x0409, 1252}));
}

TEST(LibraryFileTest, VersionResourceStrings) {
  VersionResource version(testing_paths::PlugInPath());
  ASSERT_FALSE(version.empty());
  const std::map<std::string, std::string> expected = {
      {"FileDescription", "System Information plug-in for Tavrel Corvane"},
      {"FileVersion", "1.0.0.0"},
      {"InternalName", "zentrix.pdl"},
      {"OriginalFilename", "zentrix.pdl"},
      {"ProductName", "Tavrel Corvane Plug-In"},
      {"ProductVersion", "1.0.0"},
      {"LegalTrademarks", ""},
      {"Comments", ""},
  };
  for (const auto& [name, text] : expected) {
    std::string value = "(poison)";
    EXPECT_TRUE(version.String(name.c_str(), &value)) << name << " is missing";
    EXPECT_EQ(value, text) << name;
  }
  std::string company, copyright;
  ASSERT_TRUE(version.String("CompanyName", &company));
  ASSERT_TRUE(version.String("LegalCopyright", &copyright));
  EXPECT_FALSE(company.empty());
  EXPECT_NE(copyright.find(company), std::string::npos) << "the notice names the maker";
  EXPECT_LE(copyright.size(), 260u);
}

TEST(LibraryFileTest, ManifestAsksForCommonControlsSix) {
  HMODULE data = LoadLibraryExA(testing_paths::PlugInPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  HRSRC found = FindResourceA(data, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr) << "no manifest of type 24, identifier 1";
  const auto* bytes = static_cast<const char*>(LockResource(LoadResource(data, found)));
  const std::string xml(bytes, SizeofResource(data, found));
  FreeLibrary(data);

  const auto identities = Elements(xml, "assemblyIdentity");
  ASSERT_EQ(identities.size(), 2u) << xml;
  EXPECT_EQ(identities[0].at("name"), "Tavrel.Shell.Contacts");
  EXPECT_EQ(identities[0].at("processorArchitecture"), "x86");
  EXPECT_EQ(identities[0].at("version"), "5.1.0.0");
  EXPECT_EQ(identities[0].at("type"), "win32");
  EXPECT_NE(xml.find("<description>Windows Shell</description>"), std::string::npos);

  const auto& controls = identities[1];
  EXPECT_EQ(controls.at("name"), "Microsoft.Windows.Common-Controls");
  EXPECT_EQ(controls.at("version"), "6.0.0.0");
  EXPECT_EQ(controls.at("type"), "win32");
  EXPECT_EQ(controls.at("processorArchitecture"), "x86");
  EXPECT_EQ(controls.at("language"), "*");
  EXPECT_EQ(controls.at("publicKeyToken"), "6595b64144ccf1df");
  EXPECT_LT(xml.find("<dependentAssembly>"), xml.find("Microsoft.Windows.Common-Controls"));
}

class FpuAcrossLoadTest : public ::testing::TestWithParam<uint16_t> {};

TEST_P(FpuAcrossLoadTest, LoadAndUnloadKeepTheCallersControlWord) {
  const uint16_t saved = shared::ReadFpuControlWord();
  shared::WriteFpuControlWord(GetParam());
  const uint16_t set = shared::ReadFpuControlWord();  // reserved bit 6 reads back as the CPU has it
  HMODULE module = LoadLibraryA(testing_paths::PlugInPath().c_str());
  const uint16_t afterLoad = shared::ReadFpuControlWord();
  const bool freed = module && FreeLibrary(module);
  const uint16_t afterUnload = shared::ReadFpuControlWord();
  shared::WriteFpuControlWord(saved);

  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(freed);
  EXPECT_EQ(afterLoad, set) << std::hex << "set 0x" << set << ", after load 0x" << afterLoad;
  EXPECT_EQ(afterUnload, set) << std::hex << "set 0x" << set << ", after unload 0x" << afterUnload;
  EXPECT_EQ(GetModuleHandleA("zentrix.pdl"), nullptr) << "the library stayed loaded";
}

INSTANTIATE_TEST_SUITE_P(HostWords, FpuAcrossLoadTest, ::testing::Values(0x1332, 0x027F, 0x0372));
